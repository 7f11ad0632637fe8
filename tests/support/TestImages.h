#pragma once
// Pictures for the tests that feed the decoder: noise, and JPEG bytes written by Qt.
#include <QImage>
#include <string>

namespace testsupport {

// Random opaque pixels from `seed`. Noise compresses badly, so a cut of its JPEG lands deep
// in the entropy-coded data.
QImage Noise(int width, int height, unsigned seed);

// The image as a JPEG file's bytes; progressive: libjpeg's usual ten scans, the later ones
// one component each.
std::string JpegBytes(const QImage& image, bool progressive = false);

}  // namespace testsupport
