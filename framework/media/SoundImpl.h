#pragma once
// Internal to the framework: the samples behind a fw::Sound, decoded on a worker while the
// sound already exists. Every field is the main thread's: the worker only ever sees its own
// copies, and what it decoded comes back through the event loop.
#include <string>

#include "framework/core/BackgroundWork.h"
#include "framework/media/Sound.h"
#include "framework/media/detail/Mp3Decoder.h"

struct Mix_Chunk;

struct fw::Sound::Impl {
  enum class State { kDecoding, kReady, kNone };

  Impl(unsigned session, size_t reserved);
  ~Impl();  // frees the chunk, then its samples: on the main thread, once no playback holds it
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  State state = State::kDecoding;
  DecodedPcm pcm;             // the chunk's samples once kReady: the mixer reads them, we own them
  Mix_Chunk* chunk = nullptr;  // made by the first playback, the device being open then
  const unsigned session;      // the opening of the audio device whose format pcm is in
  size_t reserved;             // of the budget on decoded samples: the bound, then pcm.size
  int pending = 0;             // playbacks asked for while decoding, started when it ends
  const CancelFlag cancel = NewCancelFlag();
  std::string source;  // the file it is decoded from
};

template <>
struct fw::detail::ImplAccess<fw::Sound::Impl> {
  static fw::Sound::Impl& Of(const fw::Sound& sound) { return *sound.impl_; }
};
