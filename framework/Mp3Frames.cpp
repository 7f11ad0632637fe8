#include "Mp3Frames.h"

#include <algorithm>
#include <cstddef>

namespace fw {
namespace {

// kbit/s by [MPEG 1][layer - 1][index]; index 0 is free format, 15 is no frame.
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},  // MPEG 2 and 2.5
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // MPEG 1
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}}};
// Hz by [version][index]; version 1 is reserved.
constexpr int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

}  // namespace

bool LooksLikeMp3(const std::string& bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() < 4) return false;
  if (b[0] == 'I' && b[1] == 'D' && b[2] == '3') return true;
  return b[0] == 0xFF && (b[1] & 0xE6) == 0xE2;  // frame sync, layer III
}

// Bytes that are no frame header are stepped over one at a time and a free-format frame,
// whose length only the next header tells, is taken as a header alone: both err long.
double MpegAudioSeconds(const std::string& bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t pos = 0;
  if (n >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    pos = 10 + ((size_t(b[6] & 0x7F) << 21) | (size_t(b[7] & 0x7F) << 14) | (size_t(b[8] & 0x7F) << 7) |
                size_t(b[9] & 0x7F));
    if (b[5] & 0x10) pos += 10;  // footer
  }
  double seconds = 0;
  for (; pos + 4 <= n; ++pos) {
    if (b[pos] != 0xFF || (b[pos + 1] & 0xE0) != 0xE0) continue;
    const int version = (b[pos + 1] >> 3) & 3;   // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const int layer = 4 - ((b[pos + 1] >> 1) & 3);  // 4: reserved
    const int bitrateIndex = b[pos + 2] >> 4;
    const int rateIndex = (b[pos + 2] >> 2) & 3;
    if (layer == 4 || bitrateIndex == 15 || rateIndex == 3 || version == 1) continue;
    const bool mpeg1 = version == 3;
    const int rate = kRates[version][rateIndex];
    const int samples = layer == 1 ? 384 : (layer == 3 && !mpeg1) ? 576 : 1152;
    seconds += double(samples) / rate;
    const size_t bitrate = size_t(kBitrates[mpeg1][layer - 1][bitrateIndex]) * 1000;
    const size_t slot = layer == 1 ? 4 : 1;
    const size_t padding = (b[pos + 2] >> 1) & 1;
    const size_t length = (size_t(samples) / 8 * bitrate / size_t(rate) / slot + padding) * slot;
    pos += std::max<size_t>(length, 4) - 1;
  }
  return seconds;
}

}  // namespace fw
