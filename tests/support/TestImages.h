#pragma once
// Pictures for the tests that feed the decoder: noise, and JPEG bytes written by Qt or, where a
// test needs what Qt's writer does not set, by libjpeg itself.
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>

namespace testsupport {

// Random opaque pixels from `seed`. Noise compresses badly, so a cut of its JPEG lands deep
// in the entropy-coded data.
QImage Noise(int width, int height, unsigned seed);

// The image as a JPEG file's bytes; progressive: libjpeg's usual ten scans, the later ones
// one component each.
std::string JpegBytes(const QImage& image, bool progressive = false);

// A JPEG written by libjpeg, of a smooth gradient under noise of `noise` levels (0 to 255: the
// more, the larger the file), generated a row at a time, so a picture of any size is made
// without holding its pixels.
struct JpegSpec {
  int width = 64, height = 64;
  int quality = 90;
  enum Colour { k444, k420, kGrey } colour = k420;
  bool progressive = false;  // jpeg_simple_progression's scans
  bool arithmetic = false;
  int restartRows = 0;  // a restart marker every this many MCU rows
  int restartMcus = 0;  // or every this many MCUs
  int noise = 64;
  unsigned seed = 1;
};
std::string LibJpegBytes(const JpegSpec& spec);

// A GIF of width x height pixels in 256 colours of noise, each byte its own LZW code (a clear
// code every 254): what Qt's GIF reader reads, at any size, made in a moment.
std::string GifBytes(int width, int height);

// The PNG with `chunks` empty text chunks of wrong CRC after its header, or before its end
// when `afterPixels`: libpng warns of each.
std::string PngChunkFlood(const std::string& png, int chunks, bool afterPixels);

// The JPEG of `spec`, made once per test program and kept under `name` in a temporary folder
// that lasts as long as the program (large files take seconds to encode).
std::filesystem::path CachedJpeg(const std::string& name, const JpegSpec& spec);

// A progressive JPEG with its frame claiming width x height and its last scan repeated until
// there are `scans`: a few kilobytes that make a decoder pass over the claimed picture that
// often.
std::string ProgressiveClaiming(std::string jpeg, int width, int height, int scans);

}  // namespace testsupport
