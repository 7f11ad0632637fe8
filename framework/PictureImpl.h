#pragma once
// Internal to the framework: the pixels behind a fw::Picture, for the code that paints them,
// always in kPictureFormat.
#include <QImage>
#include <memory>

#include "EncodedPicture.h"
#include "Picture.h"

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

  QSize Size() const { return encoded ? encoded->Size() : image.isNull() ? blank : image.size(); }
  // The pixels at the picture's own size, to show as they are (null only when memory runs
  // out). An opened picture decodes its file here, once.
  const QImage& Pixels();
  // An opened picture, whole, at `size` (drawn once per size); null when memory runs out.
  const QImage& DrawnWhole(QSize size);
  // The pixels, to draw into: from now on they, not the file, are the picture. Raises
  // OutOfBoundsException when memory runs out.
  QImage& Surface();
};
