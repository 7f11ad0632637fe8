#pragma once
// Sounds: decoded whole on a worker once opened, played asynchronously and mixed. A started
// sound plays to its end even after the system drops its last reference; nothing is freed or
// called back on the audio thread.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/ImplAccess.h"
#include "framework/core/Object.h"

namespace fw {

class Sound : public Object {
 public:
  ~Sound() override;
  std::string FullClassName() const override { return "Sound"; }
  // Starts a playback and returns at once; several playbacks of one sound overlap. Asked for
  // while the sound is still being decoded, the playback starts when the decode ends; a sound
  // that turns out not to decode plays nothing.
  void Play();
  // Stops every playback of this sound, those still waiting for the decode too.
  void Stop();
  // True while a playback plays or waits for the decode.
  bool IsPlaying() const;

  // The samples and the decode behind the sound (SoundImpl.h).
  struct Impl;
  explicit Sound(std::shared_ptr<Impl> impl);

 private:
  friend struct detail::ImplAccess<Impl>;
  std::shared_ptr<Impl> impl_;
};

// Upper bound on the size of one sound, as a file and decoded; a larger one opens as no sound,
// or, when only its decode tells, plays nothing.
inline constexpr int64_t kMaxSoundBytes = 64LL * 1024 * 1024;
// Upper bound on the decoded samples of all sounds alive at once, decoding or decoded. A sound
// the rest of it cannot hold is no sound: nothing left at all, it opens as none; less than
// the bound left, its decode stops there and it plays nothing when it would need more.
inline constexpr int64_t kMaxLiveSoundBytes = 3 * kMaxSoundBytes;

// Stops all sound and closes the audio device (at exit).
void ShutdownSound();

}  // namespace fw
