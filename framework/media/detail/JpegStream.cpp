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

// The end of the entropy-coded data that starts at `pos`: the 0xFF of the marker after it, or
// `n` when the stream ends first.
size_t EndOfScanData(const unsigned char* data, size_t n, size_t pos) {
  while (true) {
    const void* ff = std::memchr(data + pos, 0xFF, n - pos);
    if (!ff) return n;
    pos = static_cast<size_t>(static_cast<const unsigned char*>(ff) - data);
    if (pos + 1 >= n) return n;
    const unsigned char next = data[pos + 1];
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
      pos += 2;
    } else if (next == 0xFF) {
      pos += 1;
    } else {
      return pos;
    }
  }
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
    pos = EndOfScanData(data, n, pos);
    if (pos >= n) return std::nullopt;
  }
}

// The same walk, copying what it keeps: an AC scan (spectral selection start Ss > 0) of
// DC-only components is left out whole, from its marker to the marker after its data.
std::optional<std::string> WithoutAcScans(std::string_view stream,
                                          const std::function<bool(int id)>& dcOnly) {
  const auto* data = reinterpret_cast<const unsigned char*>(stream.data());
  const size_t n = stream.size();
  if (n < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
  std::string kept;
  kept.reserve(n);
  size_t from = 0, pos = 2;  // stream[from, pos) is yet to be copied
  while (true) {
    while (pos < n && data[pos] != 0xFF) ++pos;
    const size_t markerAt = pos;
    while (pos < n && data[pos] == 0xFF) ++pos;
    if (pos >= n) return std::nullopt;
    const unsigned char marker = data[pos++];
    if (marker == 0xD9) {
      kept.append(stream.substr(from));
      return kept;
    }
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (n - pos < 2) return std::nullopt;
    const size_t length = (size_t{data[pos]} << 8) | data[pos + 1];
    if (length < 2 || n - pos < length) return std::nullopt;
    const size_t segment = pos;
    pos += length;
    if (marker != 0xDA) continue;
    // Ns, then Ns pairs of (component id, tables), then Ss, Se and Ah/Al.
    const size_t components = length >= 3 ? data[segment + 2] : 0;
    bool drop =
        components > 0 && length >= 6 + 2 * components && data[segment + 3 + 2 * components] > 0;
    for (size_t i = 0; drop && i < components; ++i) drop = dcOnly(data[segment + 3 + 2 * i]);
    const size_t end = EndOfScanData(data, n, pos);
    if (end >= n) return std::nullopt;
    if (drop) {
      kept.append(stream.substr(from, markerAt - from));
      from = end;
    }
    pos = end;
  }
}

}  // namespace fw
