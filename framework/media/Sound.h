#pragma once
// Sounds: decoded whole when opened, played asynchronously and mixed. A started sound plays
// to its end even after the system drops its last reference; nothing is freed or called
// back on the audio thread.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/Object.h"

namespace fw {

class Sound : public Object {
 public:
  ~Sound() override;
  std::string FullClassName() const override { return "Sound"; }
  // Starts a playback and returns at once; several playbacks of one sound overlap.
  void Play();
  // Stops every playback of this sound.
  void Stop();
  bool IsPlaying() const;

  struct Impl;
  explicit Sound(std::shared_ptr<Impl> impl);
  Impl& impl() const { return *impl_; }

 private:
  std::shared_ptr<Impl> impl_;
};

// Upper bound on the size of one sound, as a file and decoded; a larger one opens as no sound.
inline constexpr int64_t kMaxSoundBytes = 64LL * 1024 * 1024;

// Playbacks still running anywhere (tests and benchmarks).
int ActiveSoundPlaybacks();
// Stops all sound and closes the audio device (at exit).
void ShutdownSound();

}  // namespace fw
