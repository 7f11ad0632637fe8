#include "Picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <cstring>
#include <optional>
#include <string>

#include "FolderItem.h"
#include "PictureImpl.h"
#include "RegularFile.h"

namespace fw {
namespace {

constexpr QImage::Format kFormat = QImage::Format_RGB32;

// No image format packs a pixel into less than this on average, so a bigger file cannot be
// a picture we would accept; it also bounds what we read into memory.
constexpr int64_t kMaxPictureFileBytes = kMaxPicturePixels * 4;

bool SizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxPicturePixels;
}

// Whether a JPEG stream runs from its start marker to its end marker. libjpeg decodes a
// truncated file anyway (grey below the cut, a warning on stderr); a cut file is not a
// picture to us. Walks the marker segments, and the entropy-coded data of each scan, where
// 0xFF is always followed by a stuffed 0x00 or a restart marker.
bool JpegIsComplete(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const size_t n = static_cast<size_t>(bytes.size());
  if (n < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  size_t pos = 2;
  while (true) {
    // Junk between segments is tolerated, as libjpeg does; fill bytes (0xFF runs) too.
    while (pos < n && data[pos] != 0xFF) ++pos;
    while (pos < n && data[pos] == 0xFF) ++pos;
    if (pos >= n) return false;
    const unsigned char marker = data[pos++];
    if (marker == 0xD9) return true;                                        // EOI
    if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (n - pos < 2) return false;
    const size_t length = (size_t{data[pos]} << 8) | data[pos + 1];
    if (length < 2 || n - pos < length) return false;
    pos += length;
    if (marker != 0xDA) continue;                                           // not SOS
    while (true) {
      const void* ff = std::memchr(data + pos, 0xFF, n - pos);
      if (!ff) return false;
      pos = static_cast<size_t>(static_cast<const unsigned char*>(ff) - data);
      if (pos + 1 >= n) return false;
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

QImage DecodePicture(const std::string& path) {
  // Qt's own default (128 MB) would refuse pictures well inside our bound; ours is checked
  // against the header below, so Qt's guard only needs to sit just above it.
  QImageReader::setAllocationLimit(static_cast<int>((kMaxPicturePixels * 4) >> 20) + 1);
  std::optional<std::string> file = ReadRegularFile(path, kMaxPictureFileBytes);
  if (!file) return {};
  QByteArray bytes = QByteArray::fromRawData(file->data(), static_cast<qsizetype>(file->size()));
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);

  // The well-worn decoders only: the name of a file says nothing, its first bytes decide.
  const QByteArray format = reader.format();
  if (format != "jpeg" && format != "png" && format != "gif" && format != "bmp") return {};
  if (format == "jpeg" && !JpegIsComplete(bytes)) return {};

  // The header's size, before a single pixel is allocated: a few hundred bytes can claim
  // gigapixels.
  const QSize size = reader.size();
  if (!size.isValid() || !SizeAllowed(size.width(), size.height())) return {};

  QImage image;
  if (!reader.read(&image) || image.isNull()) return {};
  if (!SizeAllowed(image.width(), image.height())) return {};
  if (image.format() != kFormat) image = image.convertToFormat(kFormat);
  return image;
}

}  // namespace

Picture::Picture(int32_t width, int32_t height, int32_t /*depth*/)
    : impl_(std::make_unique<Impl>()) {
  // Every picture is 32 bits deep whatever the caller asked for: Depth() says so.
  auto what = [&] { return "picture size " + std::to_string(width) + " x " + std::to_string(height); };
  if (!SizeAllowed(width, height)) throw OutOfBoundsException(what());
  impl_->image = QImage(width, height, kFormat);
  if (impl_->image.isNull()) throw OutOfBoundsException(what() + ": out of memory");
  impl_->image.fill(Qt::white);
}

Picture::Picture(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  if (!impl_ || impl_->image.isNull()) throw NilObjectException("picture without pixels");
}

Picture::~Picture() {
  // A Graphics the caller still holds must not reach a picture that is gone.
  if (graphics_) graphics_->owner_ = nullptr;
}

int32_t Picture::Width() const { return impl_->image.width(); }
int32_t Picture::Height() const { return impl_->image.height(); }

Ref<Graphics> Picture::Graphics() {
  if (!graphics_) graphics_ = New<fw::Graphics>(this);
  return graphics_;
}

void Graphics::DrawPicture(const Ref<Picture>& source, int32_t x, int32_t y, int32_t width,
                           int32_t height, int32_t sourceX, int32_t sourceY,
                           int32_t sourceWidth, int32_t sourceHeight) {
  if (!owner_) throw NilObjectException("drawing into a picture that no longer exists");
  // A shallow copy: when a picture is drawn into itself, painting detaches the target from it.
  const QImage from = source->impl().image;
  QImage& target = owner_->impl().image;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;

  const QRect sourceRect(sourceX, sourceY, sourceWidth, sourceHeight);
  if (x == 0 && y == 0 && sourceRect == from.rect() && from.size() == target.size() &&
      width == target.width() && height == target.height()) {
    // A backdrop of the picture's own size: share the pixels instead of copying them.
    target = from;
    return;
  }
  // Painting scales straight into the target's pixels. Measured against QImage::scaled for
  // the backdrop (whole picture over whole target): as fast when shrinking, several times
  // faster when enlarging, and it allocates no second target-sized image.
  QPainter painter(&target);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(x, y, width, height), from, QRectF(sourceRect));
}

Ref<Picture> FolderItem::OpenAsPicture() const {
  QImage image = DecodePicture(path_);
  if (image.isNull()) return nullptr;
  auto impl = std::make_unique<Picture::Impl>();
  impl->image = std::move(image);
  return New<Picture>(std::move(impl));
}

}  // namespace fw
