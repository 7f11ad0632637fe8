#pragma once
// Internal to the framework: SDL_mixer and SDL, loaded when the first sound needs them. A
// clock that never speaks (voice mode "none", a payload without voices) never maps them and
// the forty-odd libraries they bring. The headers only give the types and constants.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>

namespace fw {

// clang-format off
#define FW_MIXER_FUNCTIONS(X)                                                                    \
  X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_SetHint) X(SDL_SetHintWithPriority)            \
  X(SDL_ResetHint) X(SDL_GetError) X(SDL_NewAudioStream) X(SDL_AudioStreamPut)                 \
  X(SDL_AudioStreamGet) X(SDL_AudioStreamAvailable) X(SDL_AudioStreamFlush)                      \
  X(SDL_FreeAudioStream) X(Mix_Init) X(Mix_Quit) X(Mix_OpenAudio) X(Mix_CloseAudio)              \
  X(Mix_QuerySpec) X(Mix_QuickLoad_RAW) X(Mix_FreeChunk) X(Mix_PlayChannelTimed) X(Mix_Playing)  \
  X(Mix_GetChunk) X(Mix_HaltChannel) X(Mix_AllocateChannels)
// clang-format on

struct MixerLibrary {
#define FW_MIXER_POINTER(name) decltype(&::name) name = nullptr;
  FW_MIXER_FUNCTIONS(FW_MIXER_POINTER)
#undef FW_MIXER_POINTER
};

// Loaded on the first call and kept for good; nullptr when the library or one of its
// functions is missing, which is told once on stderr.
const MixerLibrary* LoadMixerLibrary();

}  // namespace fw
