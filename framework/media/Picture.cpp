#include "framework/media/Picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <string>

#include "framework/files/FolderItem.h"
#include "framework/media/PictureImpl.h"

namespace fw {
namespace {

// A rectangle in a picture's units, in its pixels at `ratio` pixels a unit: each edge
// rounded on its own, so that rectangles that meet still meet.
QRect InPixels(const QRect& units, qreal ratio) {
  if (ratio == 1) return units;
  const int left = qRound(units.x() * ratio), top = qRound(units.y() * ratio);
  return QRect(left, top, qRound((units.x() + units.width()) * ratio) - left,
               qRound((units.y() + units.height()) * ratio) - top);
}

QSize InPixels(QSize units, qreal ratio) {
  return InPixels(QRect(QPoint(0, 0), units), ratio).size();
}

QImage White(QSize size, qreal ratio) {
  QImage image(InPixels(size, ratio), kPictureFormat);
  if (image.isNull()) return image;
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);
  return image;
}

// The most pixels a picture drawn whole is decoded at before it is shrunk: 36 MiB, three times
// the largest window at twice the density. Beside a progressive file's coefficients (libjpeg's
// memory bound) the peak stays under 128 MB; a picture far from the target's proportions is
// decoded smaller and enlarged in the other direction.
constexpr int64_t kMaxDecodedForDrawing = 3 * 1536 * 2048;

// The file's whole picture at `size` pixels, decoded no larger than needed; null when memory
// runs out.
QImage WholeAt(const EncodedPicture& file, QSize size) {
  QImage pixels = file.Decode(size, kMaxDecodedForDrawing);
  if (pixels.isNull() || pixels.size() == size) return pixels;
  if (pixels.width() > size.width() || pixels.height() > size.height()) {
    // Shrinking (in one direction at least): an area-averaging filter. The painter's bilinear
    // filter reads two pixels in each direction whatever the scale, so below half size it
    // skips pixels, and thin lines and hatches turn to moiré.
    QImage out = pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.format() == kPictureFormat ? out : out.convertToFormat(kPictureFormat);
  }
  // Enlarging: painting scales several times faster than QImage::scaled.
  QImage out = White(size, 1);
  if (out.isNull()) return out;
  QPainter painter(&out);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(out.rect()), pixels, QRectF(pixels.rect()));
  return out;
}

// Whether pixels of this size, drawn over `units` that are `screen` pixels on screen, are
// best kept as they are: fewer than the screen's but no fewer than the units, in the units'
// proportions (a picture at its own size on a screen of ratio 2). Enlarged as they are
// painted, they look as they would enlarged when drawn, and cost a quarter of the memory
// and no pass over the screen's pixels.
bool EnlargedAsPainted(QSize pixels, QSize units, QSize screen) {
  return pixels.width() >= units.width() && pixels.width() < screen.width() &&
         int64_t(pixels.width()) * units.height() == int64_t(pixels.height()) * units.width();
}

// Pixels a unit for a new picture of this size: the screen's device pixel ratio (the highest
// of the screens, so that a picture is never enlarged on any of them); 1 without a screen,
// and for a picture that would exceed the size bound at that ratio.
qreal NewPictureRatio(int32_t width, int32_t height) {
  const qreal ratio = qGuiApp ? std::max<qreal>(1, qGuiApp->devicePixelRatio()) : 1;
  const QSize pixels = InPixels(QSize(width, height), ratio);
  return PictureSizeAllowed(pixels.width(), pixels.height()) ? ratio : 1;
}

}  // namespace

const QImage& Picture::Impl::Pixels() {
  if (!image.isNull()) return image;
  if (encoded) image = encoded->Decode(encoded->Size());
  // The file decoded when it was opened: only memory running out fails here.
  if (image.isNull()) image = White(Size(), ratio);
  return image;
}

QImage& Picture::Impl::Surface() {
  Pixels();
  if (image.isNull())
    throw OutOfBoundsException("picture size " + std::to_string(Size().width()) + " x " +
                               std::to_string(Size().height()) + ": out of memory");
  encoded.reset();
  drawn = QImage();
  return image;
}

const QImage& Picture::Impl::DrawnWhole(QSize size, qreal ratio) {
  if (drawn.size() == size && drawn.devicePixelRatio() == ratio) return drawn;
  drawn = QImage();
  drawn = WholeAt(*encoded, size);
  // Set here, on the one copy, since the target shares these pixels.
  if (!drawn.isNull()) drawn.setDevicePixelRatio(ratio);
  return drawn;
}

Picture::Picture(int32_t width, int32_t height, int32_t /*depth*/)
    : impl_(std::make_unique<Impl>()) {
  // Every picture is 32 bits deep whatever the caller asked for: Depth() says so.
  if (!PictureSizeAllowed(width, height))
    throw OutOfBoundsException("picture size " + std::to_string(width) + " x " +
                               std::to_string(height));
  impl_->blank = QSize(width, height);
  impl_->ratio = NewPictureRatio(width, height);
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
                           int32_t height, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                           int32_t sourceHeight) {
  if (!owner_) throw NilObjectException("drawing into a picture that no longer exists");
  Picture::Impl& from = source->impl();
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  Picture::Impl& to = owner_->impl();

  // Rectangles in units are drawn at the target's pixels, from the source's pixels.
  const QRect destination(x, y, width, height);
  const qreal ratio = to.Ratio();
  const QSize pixelSize = InPixels(destination, ratio).size();
  QRect sourceRect(sourceX, sourceY, sourceWidth, sourceHeight);
  QImage pixels;
  if (!from.encoded || !from.image.isNull()) {
    pixels = from.Pixels();  // a shallow copy: painting into the target detaches it from this
    sourceRect = InPixels(sourceRect, from.Ratio());
  } else if (sourceRect == QRect(QPoint(0, 0), from.Size())) {
    // The whole picture: decoded no larger than needed and scaled to the destination's
    // pixels; only that is kept, not the pixels at the picture's own size.
    const QSize own = from.Size();
    pixels = EnlargedAsPainted(own, destination.size(), pixelSize)
                 ? from.DrawnWhole(own, qreal(own.width()) / width)
                 : from.DrawnWhole(pixelSize, ratio);
    sourceRect = pixels.rect();
  } else {
    pixels = from.encoded->Decode(from.Size());
  }
  if (pixels.isNull()) return;

  // Shrinking: an area-averaging filter. The painter's bilinear filter reads two pixels in
  // each direction whatever the scale, so below half size it skips pixels, and thin lines
  // and hatches turn to moiré. (A source rectangle reaching outside the picture is left to
  // the painter, which draws the part inside.)
  if ((pixelSize.width() < sourceRect.width() || pixelSize.height() < sourceRect.height()) &&
      pixels.rect().contains(sourceRect)) {
    pixels = (sourceRect == pixels.rect() ? pixels : pixels.copy(sourceRect))
                 .scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (pixels.format() != kPictureFormat) pixels = pixels.convertToFormat(kPictureFormat);
    sourceRect = pixels.rect();
  }
  if (destination == QRect(QPoint(0, 0), to.Size()) && sourceRect == pixels.rect()) {
    // The whole target: share the pixels instead of copying them.
    const bool fewer = EnlargedAsPainted(pixels.size(), destination.size(), pixelSize);
    if (pixels.size() == pixelSize || fewer) {
      pixels.setDevicePixelRatio(fewer ? qreal(pixels.width()) / width : ratio);
      to.image = pixels;
      to.encoded.reset();
      return;
    }
  }
  // Enlarging, or a part of the target: painting scales straight into the target's pixels,
  // several times faster than QImage::scaled when enlarging, and with no second image. The
  // painter takes the destination in units (the surface's ratio), the source in pixels.
  QPainter painter(&to.Surface());
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(destination), pixels, QRectF(sourceRect));
}

void PaintPicture(QPainter& painter, QPoint at, const QImage& pixels) {
  if (pixels.devicePixelRatio() != painter.device()->devicePixelRatio())
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(at, pixels);
}

Ref<Picture> FolderItem::OpenAsPicture() const {
  auto encoded = EncodedPicture::Read(path_);
  if (!encoded) return nullptr;
  auto impl = std::make_unique<Picture::Impl>();
  impl->encoded = std::move(encoded);
  return New<Picture>(std::move(impl));
}

}  // namespace fw
