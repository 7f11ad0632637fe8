#include "EncodedPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <optional>

#include "JpegDecoder.h"
#include "JpegStream.h"
#include "RegularFile.h"

namespace fw {
namespace {

// A 24-megapixel photo as a camera or phone writes it takes 5 to 12 MB. The decode's
// work grows with the file too (every byte of a scan is read), and the file is held in memory
// while the picture is.
constexpr int64_t kMaxPictureFileBytes = 16LL << 20;

// PNG, GIF and BMP decode only whole, and a picture is decoded once when it is opened and
// again when it is drawn; so they are held to a smaller size than a JPEG, which decodes
// straight to the size it is drawn at. A screenshot of a large screen fits.
constexpr int64_t kMaxWholeDecodePixels = 2560LL * 2048;

bool SizeAllowed(QSize size, int64_t maxPixels) {
  return PictureSizeAllowed(size.width(), size.height()) &&
         int64_t{size.width()} * size.height() <= maxPixels;
}

// The largest of 1, 2, 4 and 8 that divides `size` (rounding up, as libjpeg does) into no
// less than `atLeast`.
int Reduction(QSize size, QSize atLeast) {
  int denominator = 8;
  auto covers = [&](int d) {
    return (size.width() + d - 1) / d >= atLeast.width() && (size.height() + d - 1) / d >= atLeast.height();
  };
  while (denominator > 1 && !covers(denominator)) denominator /= 2;
  return denominator;
}

// A PNG, GIF or BMP, decoded whole by Qt; null when it is none or does not decode.
QImage DecodeWithQt(const std::string& file) {
  // Ours is checked against the header below; Qt holds it again where the decoder allocates
  // its image, should a decoder read a size other than the header's.
  QImageReader::setAllocationLimit(static_cast<int>((kMaxWholeDecodePixels * 4) >> 20) + 1);
  QByteArray bytes = QByteArray::fromRawData(file.data(), static_cast<qsizetype>(file.size()));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  // The well-worn decoders only: the name of a file says nothing, its first bytes decide.
  const QByteArray format = reader.format();
  if (format != "png" && format != "gif" && format != "bmp") return {};
  // The header's size, before a single pixel is allocated.
  if (!SizeAllowed(reader.size(), kMaxWholeDecodePixels)) return {};
  QImage image;
  if (!reader.read(&image) || image.isNull() || !SizeAllowed(image.size(), kMaxWholeDecodePixels)) return {};
  return image.format() == kPictureFormat ? image : image.convertToFormat(kPictureFormat);
}

}  // namespace

std::shared_ptr<const EncodedPicture> EncodedPicture::Read(const std::string& path) {
  std::optional<std::string> file = ReadRegularFile(path, kMaxPictureFileBytes);
  if (!file) return nullptr;
  if (file->size() >= 2 && (*file)[0] == '\xFF' && (*file)[1] == '\xD8') {
    const std::optional<JpegOutline> outline = OutlineJpeg(*file);
    if (!outline) return nullptr;
    const QSize size = JpegDecoder::Check(*outline, *file, kMaxPicturePixels);
    if (!size.isValid()) return nullptr;
    return std::make_shared<const EncodedPicture>(std::move(*file), true, size);
  }
  // Other formats have no cheap check short of decoding: this decode is the check, and its
  // pixels are not kept.
  const QSize size = DecodeWithQt(*file).size();
  if (size.isEmpty()) return nullptr;
  return std::make_shared<const EncodedPicture>(std::move(*file), false, size);
}

QImage EncodedPicture::Decode(QSize atLeast) const {
  if (jpeg_) return JpegDecoder::Decode(bytes_, Reduction(size_, atLeast));
  return DecodeWithQt(bytes_);
}

}  // namespace fw
