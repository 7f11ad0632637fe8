#pragma once
// How close one picture is to another, and the reference a shrunk picture is held to.
class QImage;

namespace mediagen {

// Each factor x factor square of pixels averaged into one (the box filter); the size is
// divided by the factor, rounding down.
QImage BoxShrink(const QImage& image, int factor);

// Peak signal-to-noise ratio over the red, green and blue of two pictures of the same size,
// in dB (99 when they are the same; 0 when the sizes differ). Above 35 dB the difference is
// hard to see; a sampled shrink of line art is near 15.
double Psnr(const QImage& a, const QImage& b);

}  // namespace mediagen
