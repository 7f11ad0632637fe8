#pragma once
// Internal to the framework: libjpeg-turbo's decoder, silent, with every fatal error a
// null result, and scaling in the DCT: a picture decodes straight to 1/2, 1/4 or 1/8 of its
// size for a fraction of the work of a full decode.
#include <QImage>
#include <QSize>
#include <string_view>

namespace fw {

struct JpegOutline;

class JpegDecoder {
 public:
  // The picture's size, after libjpeg has decoded its outline: the frame, the tables and
  // each scan's header, with the checks the real decode makes of them. Invalid when libjpeg
  // refuses a segment, when the picture is empty, over libjpeg's 65500 pixels a side or
  // over `maxPixels`, or when it is of a kind we do not show (components other than 1, 3
  // or 4).
  static QSize Check(const JpegOutline& outline, int64_t maxPixels);

  // The pixels of `stream` at 1/denominator of its size (1, 2, 4 or 8; the size rounded
  // up), in kPictureFormat; null when libjpeg gives up.
  static QImage Decode(std::string_view stream, int denominator);
};

}  // namespace fw
