#pragma once
// Internal to the media layer: the one pixel format and the one size bound of every picture,
// shared by the decoders and the pictures they fill.
#include <QImage>
#include <cstdint>

namespace fw {

// Upper bound on the size of one picture; larger files open as no picture. Room for a
// 24-megapixel photo, and several times the largest window at twice its pixel density.
inline constexpr int64_t kMaxPicturePixels = 5120LL * 5120;

// Every picture's pixels: opaque, the raster backing store's own format, so painting one is a
// plain copy.
inline constexpr QImage::Format kPictureFormat = QImage::Format_RGB32;

// Whether a picture of this size is one we hold: not empty, at most kMaxPicturePixels.
inline bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width * height <= kMaxPicturePixels;
}

}  // namespace fw
