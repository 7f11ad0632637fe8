#pragma once
// Internal to the framework: libjpeg-turbo's decoder, silent, with every fatal error a
// null result, and scaling in the DCT: a picture decodes straight to any eighth of its size
// for a fraction of the work and memory of a full decode.
#include <QImage>
#include <QSize>
#include <cstdint>
#include <string_view>

namespace fw {

struct JpegOutline;

// The memory libjpeg may take for one picture, held by libjpeg itself. Nearly all of it is the
// buffer of every DCT coefficient that a progressive (or any multi-scan) file is decoded into
// before its first row comes out: two bytes a sample, 72 MB for a 24-megapixel photo with its
// colour at a quarter of the resolution, as cameras and phones write them.
inline constexpr long kMaxJpegMemory = 80L << 20;

// Each scan is a pass over the whole picture, however little data it holds: the decode's work
// grows with the pixels times the scans, and libjpeg gives up once the scans it has met would
// pass this: 16 megapixels in a progressive encoder's usual ten scans.
inline constexpr int64_t kMaxJpegScanPixels = 160LL * 1000 * 1000;

// A file of several scans is read whole into its coefficients, at any scale: every byte of
// every scan is decoded however small the picture is drawn, at several times the cost of a
// single scan's byte. Within this and the bound above a draw costs under a quarter of a
// second: a 12-megapixel progressive photo at quality 92 shows, a 24-megapixel one does not
// (0.19-0.3 s a draw at quality 82, more above). A single scan is held only to the file's
// own bound: a 24-megapixel baseline photo costs a third of its progressive twin.
inline constexpr int64_t kMaxMultiScanJpegBytes = 3LL << 20;

class JpegDecoder {
 public:
  // The picture's size, after libjpeg has decoded its outline (the frame, the tables and
  // each scan's header, with the checks the real decode makes of them) and set `stream` up for
  // decoding, its buffers allocated, up to the first byte of its pixels. Invalid when libjpeg
  // refuses a segment or passes a bound (kMaxJpegMemory, kMaxJpegScanPixels by its own count
  // of the scans, kMaxMultiScanJpegBytes), when the picture is empty, over libjpeg's 65500 pixels a
  // side or over `maxPixels`, or when it is of a kind we do not show (components other than 1, 3 or
  // 4).
  static QSize Check(const JpegOutline& outline, std::string_view stream, int64_t maxPixels);

  // The pixels of `stream` at eighths/8 of its size (1 to 8; the size rounded up), in
  // kPictureFormat; null when libjpeg gives up or a bound is passed.
  static QImage Decode(std::string_view stream, int eighths);
};

}  // namespace fw
