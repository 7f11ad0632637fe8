#pragma once
// What tests, benchmarks and fuzzing may set or read in the sound system.
#include <cstdint>
#include <functional>
#include <string>

namespace fw {

// Playbacks still running or waiting for their decode, anywhere (those ended are let go first).
int ActiveSoundPlaybacks();
// Learns which file each started playback comes from (nullptr: nobody listens).
void SetPlayObserverForTesting(std::function<void(const std::string& file)> observer);
// How long the audio device stays open without a playback (the previous setting is returned).
int SetAudioRestForTesting(int milliseconds);
bool AudioOpenForTesting();
// The audio library to load in place of SDL_mixer; before the first sound only.
void SetMixerLibraryForTesting(const char* soname);
// Sounds still in memory, decoding or decoded; whether the end-of-playback check is running.
int LiveSoundsForTesting();
// What those sounds hold of the budget on decoded samples (kMaxLiveSoundBytes): the bound
// while decoding, their samples once decoded.
int64_t LiveSoundBytesForTesting();
bool SoundPollingForTesting();

}  // namespace fw
