#include "framework/media/detail/JpegStream.h"

#include <cstring>

namespace fw {
namespace {

// SOF0 to SOF15, less DHT, JPG and DAC, which share the range.
bool IsFrameHeader(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Makes the frame header at `at` (its length field) claim 1 x 1 pixels; returns what it
// claimed.
void ClaimOnePixel(std::string& segments, size_t at, int& width, int& height) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(segments[at + i]); };
  height = (byte(3) << 8) | byte(4);
  width = (byte(5) << 8) | byte(6);
  segments.replace(at + 3, 4, std::string("\x00\x01\x00\x01", 4));
}

}  // namespace

// Walks the marker segments, and the entropy-coded data of each scan, where 0xFF is always
// followed by a stuffed 0x00 or a restart marker. libjpeg reads the same way, so it meets
// the same scans, in the same order.
std::optional<JpegOutline> OutlineJpeg(std::string_view stream) {
  const auto* data = reinterpret_cast<const unsigned char*>(stream.data());
  const size_t n = stream.size();
  if (n < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
  JpegOutline outline;
  outline.segments.assign(stream.substr(0, 2));
  bool frame = false;
  int scans = 0;
  size_t pos = 2;
  while (true) {
    // Junk between segments is tolerated, as libjpeg does; fill bytes (0xFF runs) too.
    while (pos < n && data[pos] != 0xFF) ++pos;
    while (pos < n && data[pos] == 0xFF) ++pos;
    if (pos >= n) return std::nullopt;
    const unsigned char marker = data[pos++];
    if (marker == 0xD9) {  // EOI
      outline.segments.append("\xFF\xD9", 2);
      return outline;
    }
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (n - pos < 2) return std::nullopt;
    const size_t length = (size_t{data[pos]} << 8) | data[pos + 1];
    if (length < 2 || n - pos < length) return std::nullopt;
    outline.segments.push_back('\xFF');
    outline.segments.push_back(static_cast<char>(marker));
    outline.segments.append(stream.substr(pos, length));
    // A second frame header is an error to libjpeg, and a short one too: left as they are.
    if (IsFrameHeader(marker) && !frame && length >= 8) {
      frame = true;
      ClaimOnePixel(outline.segments, outline.segments.size() - length, outline.width,
                    outline.height);
    }
    pos += length;
    if (marker != 0xDA) continue;  // not SOS
    if (++scans > kMaxJpegScans) return std::nullopt;
    while (true) {
      const void* ff = std::memchr(data + pos, 0xFF, n - pos);
      if (!ff) return std::nullopt;
      pos = static_cast<size_t>(static_cast<const unsigned char*>(ff) - data);
      if (pos + 1 >= n) return std::nullopt;
      const unsigned char next = data[pos + 1];
      if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
        pos += 2;
      } else if (next == 0xFF) {
        pos += 1;
      } else {
        break;  // the marker after the scan
      }
    }
  }
}

}  // namespace fw
