#include "Picture.h"

#include <QPainter>
#include <string>

#include "FolderItem.h"
#include "PictureImpl.h"

namespace fw {
namespace {

QImage White(QSize size) {
  QImage image(size, kPictureFormat);
  if (!image.isNull()) image.fill(Qt::white);
  return image;
}

}  // namespace

const QImage& Picture::Impl::Pixels() {
  if (!image.isNull()) return image;
  if (encoded) image = encoded->Decode(encoded->Size());
  // The file decoded when it was opened: only memory running out fails here.
  if (image.isNull()) image = White(Size());
  return image;
}

QImage& Picture::Impl::Surface() {
  Pixels();
  if (image.isNull()) throw OutOfBoundsException("picture size " + std::to_string(Size().width()) + " x " +
                                                 std::to_string(Size().height()) + ": out of memory");
  encoded.reset();
  drawn = QImage();
  return image;
}

const QImage& Picture::Impl::DrawnWhole(QSize size) {
  if (drawn.size() == size) return drawn;
  drawn = QImage();
  QImage pixels = encoded->Decode(size);  // no larger than needed
  if (pixels.isNull() || pixels.size() == size) return drawn = pixels;
  if (pixels.width() > size.width() || pixels.height() > size.height()) {
    // Shrinking (in one direction at least): an area-averaging filter. The painter's bilinear filter reads two pixels in
    // each direction whatever the scale, so below half size it skips pixels, and thin lines
    // and hatches turn to moiré.
    drawn = pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (drawn.format() != kPictureFormat) drawn = drawn.convertToFormat(kPictureFormat);
    return drawn;
  }
  // Enlarging: painting scales several times faster than
  // QImage::scaled.
  drawn = White(size);
  if (drawn.isNull()) return drawn;
  QPainter painter(&drawn);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(drawn.rect()), pixels, QRectF(pixels.rect()));
  return drawn;
}

Picture::Picture(int32_t width, int32_t height, int32_t /*depth*/)
    : impl_(std::make_unique<Impl>()) {
  // Every picture is 32 bits deep whatever the caller asked for: Depth() says so.
  if (!PictureSizeAllowed(width, height))
    throw OutOfBoundsException("picture size " + std::to_string(width) + " x " + std::to_string(height));
  impl_->blank = QSize(width, height);
}

Picture::Picture(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
  if (!impl_ || impl_->Size().isEmpty()) throw NilObjectException("picture without pixels");
}

Picture::~Picture() {
  // A Graphics the caller still holds must not reach a picture that is gone.
  if (graphics_) graphics_->owner_ = nullptr;
}

int32_t Picture::Width() const { return impl_->Size().width(); }
int32_t Picture::Height() const { return impl_->Size().height(); }

Ref<Graphics> Picture::Graphics() {
  if (!graphics_) graphics_ = New<fw::Graphics>(this);
  return graphics_;
}

void Graphics::DrawPicture(const Ref<Picture>& source, int32_t x, int32_t y, int32_t width,
                           int32_t height, int32_t sourceX, int32_t sourceY,
                           int32_t sourceWidth, int32_t sourceHeight) {
  if (!owner_) throw NilObjectException("drawing into a picture that no longer exists");
  Picture::Impl& from = source->impl();
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  Picture::Impl& to = owner_->impl();

  QRect sourceRect(sourceX, sourceY, sourceWidth, sourceHeight);
  QImage pixels;
  if (!from.encoded || !from.image.isNull()) {
    pixels = from.Pixels();  // a shallow copy: painting into the target detaches it from this
  } else if (sourceRect == QRect(QPoint(0, 0), from.Size())) {
    // The whole picture: decoded no larger than needed and scaled to the destination's size;
    // only that is kept, not the pixels at the picture's own size.
    pixels = from.DrawnWhole(QSize(width, height));
    sourceRect = pixels.rect();
  } else {
    pixels = from.encoded->Decode(from.Size());
  }
  if (pixels.isNull()) return;

  // Shrinking: an area-averaging filter. The painter's bilinear filter reads two pixels in
  // each direction whatever the scale, so below half size it skips pixels, and thin lines
  // and hatches turn to moiré. (A source rectangle reaching outside the picture is left to
  // the painter, which draws the part inside.)
  if ((width < sourceRect.width() || height < sourceRect.height()) && pixels.rect().contains(sourceRect)) {
    pixels = (sourceRect == pixels.rect() ? pixels : pixels.copy(sourceRect))
                 .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (pixels.format() != kPictureFormat) pixels = pixels.convertToFormat(kPictureFormat);
    sourceRect = pixels.rect();
  }
  const QRect destination(x, y, width, height);
  if (destination == QRect(QPoint(0, 0), to.Size()) && sourceRect == pixels.rect() &&
      pixels.size() == destination.size()) {
    // The whole target: share the pixels instead of copying them.
    to.image = pixels;
    to.encoded.reset();
    return;
  }
  // Enlarging, or a part of the target: painting scales straight into the target's pixels,
  // several times faster than QImage::scaled when enlarging, and with no second image.
  QPainter painter(&to.Surface());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(destination), pixels, QRectF(sourceRect));
}

Ref<Picture> FolderItem::OpenAsPicture() const {
  auto encoded = EncodedPicture::Read(path_);
  if (!encoded) return nullptr;
  auto impl = std::make_unique<Picture::Impl>();
  impl->encoded = std::move(encoded);
  return New<Picture>(std::move(impl));
}

}  // namespace fw
