#include "Pixels.h"

#include "framework/media/PictureImpl.h"

namespace testsupport {
uint32_t PixelRgb(const fw::Ref<fw::Picture>& picture, int x, int y) {
  return picture->impl().Pixels().pixel(x, y) & 0xffffffu;
}
}  // namespace testsupport
