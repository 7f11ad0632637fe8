#pragma once
// Internal to the framework: the pixels behind a fw::Picture, for the code that paints them,
// always in kPictureFormat.
#include <QImage>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QPainter;

#include "framework/core/BackgroundWork.h"
#include "framework/media/Picture.h"
#include "framework/media/detail/EncodedPicture.h"

namespace fw {

// A drawing into a new picture being made on a worker: an opened picture decoded and scaled
// to the new one's pixels, off the main thread. The picture takes the pixels when it next
// looks (painting, drawing) after they are made.
struct PendingPixels {
  CancelFlag cancel = NewCancelFlag();
  std::mutex mutex;
  std::condition_variable made;
  bool finished = false;  // under `mutex`, with `pixels`
  QImage pixels;          // null when the decode failed or was cancelled
  // The source's copy of its last whole drawing: it gets these pixels too (main thread).
  std::weak_ptr<QImage> sourceDrawn;
  // Called on the main thread once the pixels are made (the windows and wells showing the
  // picture paint it then).
  std::vector<std::function<void()>> whenMade;
};

}  // namespace fw

struct fw::Picture::Impl {
  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  // A drawing still being made for nobody is stopped.
  ~Impl();

  // The pixels; null while an opened picture is only its file, or a new one only white.
  QImage image;
  // An opened picture's file, while the file is what the picture shows.
  std::shared_ptr<const EncodedPicture> encoded;
  // An opened picture drawn whole, as last drawn: at that size in pixels, a redraw decodes
  // nothing. The target shares these pixels, so keeping them costs no memory of its own.
  std::shared_ptr<QImage> drawn = std::make_shared<QImage>();
  // The drawing being made into this (new) picture on a worker, until the picture takes it.
  std::shared_ptr<PendingPixels> pending;
  // A new picture's size: it is filled with white when its pixels are first wanted. A
  // backdrop is drawn over all of itself at once, and need never be filled.
  QSize unfilledSize;
  // A new picture's pixels per unit of its size, the screen's device pixel ratio: a picture
  // made to be shown holds the pixels it is shown at, and the image says so, so that it is
  // painted 1:1 instead of enlarged. An opened picture holds its file's own pixels (1).
  qreal ratio = 1;

  // The size in units, what the picture's Width and Height say, whatever its pixels.
  QSize Size() const {
    return encoded          ? encoded->Size()
           : image.isNull() ? unfilledSize
                            : image.deviceIndependentSize().toSize();
  }
  // Pixels per unit of Size(): the image's own ratio once it has pixels.
  qreal Ratio() const { return encoded ? 1 : image.isNull() ? ratio : image.devicePixelRatio(); }
  // The pixels (at Size() times Ratio()), to show as they are (null only when memory runs
  // out). An opened picture decodes its file here, once; a drawing still being made is
  // waited for.
  const QImage& Pixels();
  // The pixels as Pixels() gives them, or null while a drawing into the picture is still being
  // made: what a paint shows, since the main thread never waits for a worker.
  const QImage* PixelsIfMade();
  // Calls `made` on the main thread once the drawing being made is done; false (and `made`
  // is dropped) when nothing is being made.
  bool WhenMade(std::function<void()> made);
  // The pixels, to draw into: from now on they, not the file, are the picture. Raises
  // OutOfBoundsException when memory runs out.
  QImage& Surface();
  // Takes the pending drawing's pixels once they are made; whether nothing is pending now.
  bool TakeMade();
};

template <>
struct fw::detail::ImplAccess<fw::Picture::Impl> {
  static fw::Picture::Impl& Of(const fw::Picture& picture) { return *picture.impl_; }
};

namespace fw {

// Paints a picture's pixels with their top left at `at`, at their own size in units: 1:1 on a
// device of their ratio, smoothly scaled on another (a window on a screen of another ratio).
void PaintPicture(QPainter& painter, QPoint at, const QImage& pixels);

}  // namespace fw
