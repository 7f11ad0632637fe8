#pragma once
// Internal to the framework: libjpeg-turbo's decoder, silent, with every fatal error a
// null result, and scaling in the DCT: a picture decodes straight to any eighth of its size
// for a fraction of the work and memory of a full decode.
#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <string_view>

namespace fw {

struct JpegOutline;

// The work one decode may do, counted as libjpeg does it (see JpegDecoder::Decode), in about
// nanoseconds of one core of the machine the figures were taken on (docs/performance.md): 1.4 s.
// The largest photos the clock shows take up to 1.2 s decoded at a quarter or more (a
// progressive file of 24 MB, 24 megapixels with its colour at full resolution or 45 with it at
// a quarter), a fifth of that at 1/8; a stream built to make the decoder pass over a picture
// again and again, or to make each byte cost the most, gives up here.
inline constexpr int64_t kMaxJpegWork = 1400LL * 1000 * 1000;

// The weights of that count: a byte of entropy-coded data through the Huffman decoder in a
// single pass or in progressive scans (refinement scans read most bytes bit by bit), a byte
// through the arithmetic decoder, a block visited by a scan, and an output pixel (its inverse
// transform, upsampling and colour conversion).
inline constexpr int64_t kJpegSequentialByteWork = 10;
inline constexpr int64_t kJpegProgressiveByteWork = 44;
inline constexpr int64_t kJpegArithmeticByteWork = 140;
inline constexpr int64_t kJpegBlockWork = 15;
inline constexpr int64_t kJpegPixelWork = 6;

class JpegDecoder {
 public:
  // The picture's size, after libjpeg has decoded its outline (the frame, the tables and each
  // scan's header, with the checks the real decode makes of them). Invalid when libjpeg refuses
  // a segment, when the picture is empty, over libjpeg's 65500 pixels a side or over
  // `maxPixels`, or when it is of a kind we do not show (components other than 1, 3 or 4).
  // Costs nothing that grows with the picture: no buffer of the real stream is allocated.
  static QSize Check(const JpegOutline& outline, int64_t maxPixels);

  struct Options {
    // A progressive stream decoded at 1/8 is handed to libjpeg without the AC scans that the
    // 1/8 picture does not read: the same pixels for a fraction of the work.
    bool dcOnly = true;
    const std::atomic<bool>* cancel = nullptr;
    // Where the work counted is left, for measuring.
    int64_t* work = nullptr;
  };
  // The pixels of `stream` at eighths/8 of its size (1 to 8; the size rounded up), in
  // kPictureFormat; null when libjpeg gives up, when the decode would pass kMaxJpegWork, when
  // its memory (libjpeg's and the pixels') is more than the decode budget holds
  // (DecodeMemory.h), or once `cancel` is set.
  static QImage Decode(std::string_view stream, int eighths, const Options& options);
  static QImage Decode(std::string_view stream, int eighths) {
    return Decode(stream, eighths, Options());
  }
};

}  // namespace fw
