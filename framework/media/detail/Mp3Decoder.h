#pragma once
// Internal to the framework: an MP3 file decoded whole into the mixer's sample format. The
// length bound is kept by the decode itself, so no header, however it lies, lets a stream
// past it.
#include <cstddef>
#include <cstdint>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace fw {

struct MixerLibrary;

struct PcmFormat {
  int frequency = 0;
  uint16_t format = 0;  // SDL's sample format
  int channels = 0;
};

struct FreeBytes {
  void operator()(uint8_t* p) const { std::free(p); }
};

struct DecodedPcm {
  std::unique_ptr<uint8_t, FreeBytes> bytes;
  size_t size = 0;  // 0: no sound
};

// An ID3v2 tag or an MPEG Layer III frame header at the start.
bool LooksLikeMp3(std::string_view bytes);

// Every frame the decoder takes of bytes that LooksLikeMp3 (the caller checks, before it opens
// the device the format comes from), in `format`. No sound when nothing decodes or the output
// passes `maxBytes`: the decode stops there. A pure function of its arguments, safe on any
// thread; `cancel`, once set, ends it early with no sound.
DecodedPcm DecodeMp3(const MixerLibrary& sdl, std::string_view bytes, const PcmFormat& format,
                     size_t maxBytes, const std::atomic<bool>* cancel = nullptr);

}  // namespace fw
