#pragma once
// Internal to the framework: the marker structure of a JPEG stream, walked before libjpeg
// sees a byte of it.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// A progressive JPEG may repeat its scans without end, and each scan is a pass over the
// whole picture: 10,000 scans over 8192 x 8192 pixels took over a minute to decode. Real
// encoders write a few dozen at most.
inline constexpr int kMaxJpegScans = 100;

// What a JPEG stream is made of, without its pixels: every marker segment (tables, frame
// header, scan headers) in order, without the entropy-coded data of the scans, and with the
// frame header claiming one pixel. libjpeg's run over these segments makes every check the
// real decode makes of them, at a cost that does not grow with the picture.
struct JpegOutline {
  std::string segments;
  int width = 0, height = 0;  // what the (first) frame header claims; 0 without one
};

// The outline of a stream that runs from its start marker to its end marker and has at most
// kMaxJpegScans scans; nothing otherwise. libjpeg decodes a truncated file anyway (grey
// below the cut); a cut file is not a picture to us.
std::optional<JpegOutline> OutlineJpeg(std::string_view stream);

// The stream without the progressive scans of AC coefficients (their header and their data)
// whose every component `dcOnly` names by its id: what libjpeg reads for a picture decoded at
// 1/8, where such a component's block is its DC term alone. Every other segment and scan is
// kept byte for byte. Nothing when the stream ends before its end marker.
std::optional<std::string> WithoutAcScans(std::string_view stream,
                                          const std::function<bool(int id)>& dcOnly);

}  // namespace fw
