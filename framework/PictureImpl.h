#pragma once
// Internal to the framework: the pixels behind a fw::Picture, for the code that paints them.
// Always QImage::Format_RGB32 (opaque, the raster backing store's own format, so painting
// it is a plain copy) and never null.
#include <QImage>

#include "Picture.h"

struct fw::Picture::Impl {
  QImage image;
};
