#include "Pixels.h"

#include "framework/core/Testing.h"
#include "framework/media/PictureImpl.h"

namespace testsupport {
uint32_t PixelRgb(const fw::Ref<fw::Picture>& picture, int x, int y) {
  return fw::ImplForTesting(*picture).Pixels().pixel(x, y) & 0xffffffu;
}
}  // namespace testsupport
