#pragma once
// Internal to the framework: the pixels behind a fw::Picture, for the code that paints them,
// always in kPictureFormat.
#include <QImage>
#include <memory>

class QPainter;

#include "framework/media/Picture.h"
#include "framework/media/detail/EncodedPicture.h"

struct fw::Picture::Impl {
  // The pixels; null while an opened picture is only its file, or a new one only white.
  QImage image;
  // An opened picture's file, while the file is what the picture shows.
  std::shared_ptr<const EncodedPicture> encoded;
  // An opened picture drawn whole, as last drawn: at that size in pixels, a redraw decodes
  // nothing. The target shares these pixels, so keeping them costs no memory of its own.
  QImage drawn;
  // A new picture's size: it is filled with white when its pixels are first wanted. A
  // backdrop is drawn over all of itself at once, and need never be filled.
  QSize blank;
  // A new picture's pixels per unit of its size, the screen's device pixel ratio: a picture
  // made to be shown holds the pixels it is shown at, and the image says so, so that it is
  // painted 1:1 instead of enlarged. An opened picture holds its file's own pixels (1).
  qreal ratio = 1;

  // The size in units, what the picture's Width and Height say, whatever its pixels.
  QSize Size() const {
    return encoded          ? encoded->Size()
           : image.isNull() ? blank
                            : image.deviceIndependentSize().toSize();
  }
  // Pixels per unit of Size(): the image's own ratio once it has pixels.
  qreal Ratio() const { return encoded ? 1 : image.isNull() ? ratio : image.devicePixelRatio(); }
  // The pixels (at Size() times Ratio()), to show as they are (null only when memory runs
  // out). An opened picture decodes its file here, once.
  const QImage& Pixels();
  // An opened picture, whole, at `size` pixels and `ratio` pixels a unit (drawn once per
  // size); null when memory runs out.
  const QImage& DrawnWhole(QSize size, qreal ratio);
  // The pixels, to draw into: from now on they, not the file, are the picture. Raises
  // OutOfBoundsException when memory runs out.
  QImage& Surface();
};

namespace fw {

// Paints a picture's pixels with their top left at `at`, at their own size in units: 1:1 on a
// device of their ratio, smoothly scaled on another (a window on a screen of another ratio).
void PaintPicture(QPainter& painter, QPoint at, const QImage& pixels);

}  // namespace fw
