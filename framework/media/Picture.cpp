#include "framework/media/Picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <string>

#include "framework/media/PictureImpl.h"
#include "framework/media/detail/Openers.h"
#include "framework/media/detail/Resample.h"

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
// runs out, the decode fails or `cancel` is set. Runs on a worker: nothing here may wait for
// Qt's thread pool (see Resample.h).
QImage WholeAt(const EncodedPicture& file, QSize size, const std::atomic<bool>* cancel) {
  QImage pixels = file.Decode(size, kMaxDecodedForDrawing, cancel);
  if (pixels.isNull() || pixels.size() == size) return pixels;
  return Resampled(pixels, size, cancel);
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

Picture::Impl::~Impl() {
  if (pending) pending->cancel->store(true);
}

bool Picture::Impl::TakeMade() {
  if (!pending) return true;
  {
    std::lock_guard lock(pending->mutex);
    if (!pending->finished) return false;
    image = std::move(pending->pixels);
  }
  if (auto sourceDrawn = pending->sourceDrawn.lock(); sourceDrawn && !image.isNull())
    *sourceDrawn = image;
  pending.reset();
  return true;
}

const QImage& Picture::Impl::Pixels() {
  if (pending) {
    {
      // The worker ends the drawing, or it was cancelled before it began (at exit).
      std::unique_lock lock(pending->mutex);
      while (!pending->finished && !pending->cancel->load())
        pending->made.wait_for(lock, std::chrono::milliseconds(10));
      pending->finished = true;
    }
    TakeMade();
  }
  if (!image.isNull()) return image;
  if (encoded) image = encoded->Decode(encoded->Size());
  // Only memory running out, or a decode that passed its bounds, fails here: white.
  if (image.isNull()) image = White(Size(), ratio);
  return image;
}

const QImage* Picture::Impl::PixelsIfMade() {
  if (!TakeMade()) return nullptr;
  return &Pixels();
}

bool Picture::Impl::WhenMade(std::function<void()> made) {
  if (TakeMade()) return false;
  pending->whenMade.push_back(std::move(made));
  return true;
}

QImage& Picture::Impl::Surface() {
  Pixels();
  if (image.isNull())
    throw OutOfBoundsException("picture size " + std::to_string(Size().width()) + " x " +
                               std::to_string(Size().height()) + ": out of memory");
  encoded.reset();
  drawn = std::make_shared<QImage>();
  return image;
}

namespace {

// Starts making `to`'s pixels, a new picture's, from the whole of `from`'s file at `size`
// pixels and `ratio` pixels a unit, on a worker.
void DrawWholeInBackground(Picture::Impl& from, Picture::Impl& to, QSize size, qreal ratio) {
  auto pending = std::make_shared<PendingPixels>();
  pending->sourceDrawn = from.drawn;
  to.pending = pending;
  RunInBackground(
      [pending, file = from.encoded, size, ratio] {
        QImage pixels = WholeAt(*file, size, pending->cancel.get());
        if (!pixels.isNull()) pixels.setDevicePixelRatio(ratio);
        std::lock_guard lock(pending->mutex);
        pending->pixels = std::move(pixels);
        pending->finished = true;
        pending->made.notify_all();
      },
      [pending] {
        // Called even when the work was skipped: nobody then waits for it.
        for (auto& made : std::exchange(pending->whenMade, {})) made();
      },
      pending->cancel);
}

}  // namespace

Picture::Picture(int32_t width, int32_t height, int32_t /*depth*/)
    : impl_(std::make_unique<Impl>()) {
  // Every picture is 32 bits deep whatever the caller asked for: Depth() says so.
  if (!PictureSizeAllowed(width, height))
    throw OutOfBoundsException("picture size " + std::to_string(width) + " x " +
                               std::to_string(height));
  impl_->unfilledSize = QSize(width, height);
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
  Picture::Impl& from = detail::ImplOf(*source);
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return;
  Picture::Impl& to = detail::ImplOf(*owner_);
  // A drawing still being made into the target comes first.
  if (to.pending) to.Pixels();

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
    const bool fewer = EnlargedAsPainted(own, destination.size(), pixelSize);
    const QSize size = fewer ? own : pixelSize;
    const qreal drawnRatio = fewer ? qreal(own.width()) / width : ratio;
    QImage& drawn = *from.drawn;
    if (drawn.isNull() || drawn.size() != size || drawn.devicePixelRatio() != drawnRatio) {
      if (destination == QRect(QPoint(0, 0), to.Size()) && to.image.isNull() && !to.encoded &&
          !to.pending) {
        // A new picture drawn over whole, as a backdrop or a thumbnail is: made on a worker.
        DrawWholeInBackground(from, to, size, drawnRatio);
        return;
      }
      drawn = QImage();
      drawn = WholeAt(*from.encoded, size, nullptr);
      // Set here, on the one copy, since the target shares these pixels.
      if (!drawn.isNull()) drawn.setDevicePixelRatio(drawnRatio);
    }
    pixels = drawn;
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
    QImage part = sourceRect == pixels.rect() ? pixels : pixels.copy(sourceRect);
    if (part.format() != kPictureFormat) part = part.convertToFormat(kPictureFormat);
    pixels = Resampled(part, pixelSize);
    sourceRect = pixels.rect();
    if (pixels.isNull()) return;
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

Ref<Picture> OpenPictureFile(const String& path) {
  auto encoded = EncodedPicture::Read(path);
  if (!encoded) return nullptr;
  auto impl = std::make_unique<Picture::Impl>();
  impl->encoded = std::move(encoded);
  return New<Picture>(std::move(impl));
}

}  // namespace fw
