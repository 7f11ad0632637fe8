#include "framework/media/detail/EncodedPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <optional>

#include "framework/files/RegularFile.h"
#include "framework/media/detail/JpegDecoder.h"
#include "framework/media/detail/JpegStream.h"

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

// The scale, in eighths, at which libjpeg decodes the picture no smaller than `atLeast` in
// either direction for the least work, as long as its pixels stay within `maxPixels` (else
// the largest scale that does). libjpeg scales in the DCT, rounding the size up. Only
// 1, 2, 4 and 8 eighths: its 3, 5, 6 and 7-point transforms shrink line art 3 to 5 dB less
// faithfully than the next power of two shrunk by area.
int Eighths(QSize size, QSize atLeast, int64_t maxPixels) {
  auto scaled = [](int side, int eighths) { return (int64_t{side} * eighths + 7) / 8; };
  int eighths = 1;
  while (eighths < 8 && (scaled(size.width(), eighths) < atLeast.width() ||
                         scaled(size.height(), eighths) < atLeast.height()))
    eighths *= 2;
  while (eighths > 1 && scaled(size.width(), eighths) * scaled(size.height(), eighths) > maxPixels)
    eighths /= 2;
  return eighths;
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
  if (!reader.read(&image) || image.isNull() || !SizeAllowed(image.size(), kMaxWholeDecodePixels))
    return {};
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

QImage EncodedPicture::Decode(QSize atLeast, int64_t maxPixels,
                              const std::atomic<bool>* /*cancel*/) const {
  if (jpeg_) return JpegDecoder::Decode(bytes_, Eighths(size_, atLeast, maxPixels));
  return DecodeWithQt(bytes_);
}

}  // namespace fw
