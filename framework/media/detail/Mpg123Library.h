#pragma once
// Internal to the framework: libmpg123, the MP3 decoder, loaded when the first sound is
// decoded, as the mixer is (MixerLibrary.h). The header only gives the types.
#include <mpg123.h>

namespace fw {

// clang-format off
#define FW_MPG123_FUNCTIONS(X)                                                                 \
  X(mpg123_new) X(mpg123_delete) X(mpg123_param) X(mpg123_format_none) X(mpg123_format)        \
  X(mpg123_open_feed) X(mpg123_feed) X(mpg123_read) X(mpg123_getformat)
// clang-format on

struct Mpg123Library {
#define FW_MPG123_POINTER(name) decltype(&::name) name = nullptr;
  FW_MPG123_FUNCTIONS(FW_MPG123_POINTER)
#undef FW_MPG123_POINTER
};

// Loaded on the first call and kept for good; nullptr when the library or one of its
// functions is missing (then no sound decodes; the mixer, which needs it too, has said so).
const Mpg123Library* LoadMpg123Library();

}  // namespace fw
