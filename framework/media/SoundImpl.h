#pragma once
// Internal to the framework: the decoded samples behind a fw::Sound.
#include <string>

#include "framework/media/Sound.h"
#include "framework/media/detail/Mp3Decoder.h"

struct Mix_Chunk;

struct fw::Sound::Impl {
  Impl(DecodedPcm pcm, Mix_Chunk* chunk, unsigned session);
  ~Impl();  // frees the chunk, then its samples: on the main thread, once no playback holds it
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  const DecodedPcm pcm;  // the chunk's samples: the mixer reads them, we own them
  Mix_Chunk* const chunk;
  const unsigned session;  // the opening of the audio device whose format the chunk is in
  std::string source;      // the file it was decoded from
};
