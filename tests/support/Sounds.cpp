#include "support/Sounds.h"

#include "framework/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Sound.h"

namespace testsupport {

bool PlaysAsSound(const std::filesystem::path& path) {
  auto sound = fw::FolderItem(path.string()).OpenAsSound();
  fw::FinishBackgroundWorkForTesting();
  if (!sound) return false;
  sound->Play();
  const bool plays = sound->IsPlaying();
  sound->Stop();
  return plays;
}

}  // namespace testsupport
