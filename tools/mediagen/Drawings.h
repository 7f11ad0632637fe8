#pragma once
// Pictures like the ones a payload holds, made at any size, for the tests and benchmarks of
// picture decoding and scaling.
class QImage;

namespace mediagen {

// An illustration's line art: anti-aliased strokes one and two pixels wide, hatching a few
// pixels apart, small type and flat colour fills. The hardest kind of picture to shrink:
// sampling it instead of averaging it turns the hatches to moiré. With a scale above 1 the
// same drawing is made at that many pixels a unit (width x scale by height x scale), finer than
// any picture of width x height can hold: shrunk back, the closest a picture of any size can
// come to the drawing.
QImage LineArt(int width, int height, int scale = 1);

// A photograph's kind of content: smooth light, soft-edged shapes and fine grain, which
// compresses to several times the bytes of line art and costs the decoder more.
QImage PhotoLike(int width, int height);

}  // namespace mediagen
