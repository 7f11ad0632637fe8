#pragma once
#include <cstdint>

#include "framework/media/Picture.h"

namespace testsupport {
// The colour of one pixel as 0xRRGGBB.
uint32_t PixelRgb(const fw::Ref<fw::Picture>& picture, int x, int y);
}  // namespace testsupport
