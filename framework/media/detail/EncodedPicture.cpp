#include "framework/media/detail/EncodedPicture.h"

#include <optional>

#include "framework/files/RegularFile.h"
#include "framework/media/detail/JpegDecoder.h"
#include "framework/media/detail/JpegStream.h"
#include "framework/media/detail/QtPictureDecoder.h"

namespace fw {

// libjpeg scales in the DCT, rounding the size up. Only 1, 2, 4 and 8 eighths: its 3, 5, 6
// and 7-point transforms shrink line art 3 to 5 dB less faithfully than the next power of two
// shrunk by area.
int JpegEighths(QSize size, QSize atLeast, int64_t maxPixels) {
  auto scaled = [](int side, int eighths) { return (int64_t{side} * eighths + 7) / 8; };
  int eighths = 1;
  while (eighths < 8 && (scaled(size.width(), eighths) < atLeast.width() ||
                         scaled(size.height(), eighths) < atLeast.height()))
    eighths *= 2;
  while (eighths > 1 && scaled(size.width(), eighths) * scaled(size.height(), eighths) > maxPixels)
    eighths /= 2;
  return eighths;
}

std::shared_ptr<const EncodedPicture> EncodedPicture::Read(const std::string& path) {
  std::optional<FileBytes> file = ReadRegularFileBytes(path, kMaxPictureFileBytes);
  if (!file) return nullptr;
  const std::string_view bytes = file->View();
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xD8') {
    const std::optional<JpegOutline> outline = OutlineJpeg(bytes);
    if (!outline) return nullptr;
    const QSize size = JpegDecoder::Check(*outline, kMaxJpegFilePixels);
    if (!size.isValid()) return nullptr;
    return std::make_shared<const EncodedPicture>(std::move(*file), true, size);
  }
  const QSize size = QtPictureSize(bytes);
  if (!size.isValid()) return nullptr;
  return std::make_shared<const EncodedPicture>(std::move(*file), false, size);
}

QImage EncodedPicture::Decode(QSize atLeast, int64_t maxPixels,
                              const std::atomic<bool>* cancel) const {
  if (!jpeg_) return DecodeWithQt(bytes_.View(), size_, cancel);
  JpegDecoder::Options options;
  options.cancel = cancel;
  return JpegDecoder::Decode(bytes_.View(), JpegEighths(size_, atLeast, maxPixels), options);
}

}  // namespace fw
