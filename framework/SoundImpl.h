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

namespace fw {
// Tests: decoded sounds still in memory; whether the end-of-playback check is running.
int LiveSoundsForTesting();
bool SoundPollingForTesting();
// Tests: whether the audio device is open; how long it stays open without a playback (the
// previous setting is returned).
bool AudioOpenForTesting();
int SetAudioRestForTesting(int milliseconds);
// Tests: the audio library to load in place of SDL_mixer; before the first sound only.
void SetMixerLibraryForTesting(const char* soname);
}  // namespace fw
