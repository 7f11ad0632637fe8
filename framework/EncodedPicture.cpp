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

// No image format packs a pixel into less than this on average, so a bigger file cannot be
// a picture we would accept; it also bounds what we read into memory.
constexpr int64_t kMaxPictureFileBytes = kMaxPicturePixels * 4;

bool SizeAllowed(QSize size) { return PictureSizeAllowed(size.width(), size.height()); }

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
  // Qt's own default (128 MB) would refuse pictures well inside our bound; ours is checked
  // against the header below, so Qt's guard only needs to sit just above it.
  QImageReader::setAllocationLimit(static_cast<int>((kMaxPicturePixels * 4) >> 20) + 1);
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
  if (!SizeAllowed(reader.size())) return {};
  QImage image;
  if (!reader.read(&image) || image.isNull() || !SizeAllowed(image.size())) return {};
  return image.format() == kPictureFormat ? image : image.convertToFormat(kPictureFormat);
}

}  // namespace

std::shared_ptr<const EncodedPicture> EncodedPicture::Read(const std::string& path) {
  std::optional<std::string> file = ReadRegularFile(path, kMaxPictureFileBytes);
  if (!file) return nullptr;
  if (file->size() >= 2 && (*file)[0] == '\xFF' && (*file)[1] == '\xD8') {
    const std::optional<JpegOutline> outline = OutlineJpeg(*file);
    if (!outline) return nullptr;
    const QSize size = JpegDecoder::Check(*outline, kMaxPicturePixels);
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
