// The sound open path: any bytes, as a file, opened as a sound. A file either is no sound,
// opens as a sound whose decode yields nothing and which plays nothing, or decodes to whole
// frames of the mixer's format (16-bit stereo), more than none and no more than the bound,
// whatever its tags and frame headers claim, and plays and stops. Once released, a sound
// holds nothing of the budget on decoded samples.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/core/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Sound.h"
#include "framework/media/SoundImpl.h"
#include "framework/media/Testing.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_sound_open: %s\n", what.c_str());
  std::abort();
}

std::string& InputFile() {
  static std::string path;
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);  // plays in real time, no device needed
  const char* tmp = std::getenv("TMPDIR");
  InputFile() = std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_sound_open." +
                std::to_string(getpid()) + ".mp3";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(InputFile().c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    Fail("cannot write the input file");
  fw::Ref<fw::Sound> sound = fw::FolderItem(InputFile()).OpenAsSound();
  // Without an application the decode has run already; with one it would be on a worker.
  fw::FinishBackgroundWorkForTesting();
  if (!sound) return 0;
  const size_t bytes = fw::ImplForTesting(*sound).pcm.size;
  if (fw::ImplForTesting(*sound).state == fw::Sound::Impl::State::kDecoding)
    Fail("the decode never ended");
  if (fw::ImplForTesting(*sound).state == fw::Sound::Impl::State::kNone) {
    if (bytes != 0) Fail("a sound that decoded to nothing holds samples");
    sound->Play();
    if (sound->IsPlaying()) Fail("a sound that decoded to nothing plays");
    sound = nullptr;
    if (fw::LiveSoundBytesForTesting() != 0) Fail("a released sound holds some of the budget");
    return 0;
  }
  if (bytes == 0) Fail("a sound of no samples decoded");
  if (int64_t(bytes) > fw::kMaxSoundBytes)
    Fail("a sound of " + std::to_string(bytes) + " bytes passed the bound");
  if (bytes % 4 != 0)
    Fail("a sound of " + std::to_string(bytes) + " bytes is not whole 16-bit stereo frames");
  sound->Play();
  if (!sound->IsPlaying()) Fail("an opened sound does not play");
  sound->Stop();
  sound = nullptr;
  if (fw::LiveSoundBytesForTesting() != 0) Fail("a released sound holds some of the budget");
  return 0;
}
