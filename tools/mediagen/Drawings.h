#pragma once
// Pictures like the ones a payload holds, made at any size, for the tests and benchmarks of
// picture decoding and scaling.
class QImage;

namespace mediagen {

// An illustration's line art: anti-aliased strokes one and two pixels wide, hatching a few
// pixels apart, small type and flat colour fills. The hardest kind of picture to shrink:
// sampling it instead of averaging it turns the hatches to moiré.
QImage LineArt(int width, int height);

// A photograph's kind of content: smooth light, soft-edged shapes and fine grain, which
// compresses to several times the bytes of line art and costs the decoder more.
QImage PhotoLike(int width, int height);

}  // namespace mediagen
