#pragma once
// Internal to the framework: the decoded samples behind a fw::Sound.
#include <string>

#include "Sound.h"

struct Mix_Chunk;

struct fw::Sound::Impl {
  Impl(Mix_Chunk* chunk, unsigned session);
  ~Impl();  // frees the chunk: on the main thread, once no playback holds it
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  Mix_Chunk* const chunk;
  const unsigned session;  // the opening of the audio device whose format the chunk is in
  std::string source;      // the file it was decoded from
};
