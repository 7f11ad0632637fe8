// Source material for the benchmarks' photo set (tools/photos/make_photos.sh): photo-like
// pictures (soft light and shapes under sensor grain, so that they compress as photos do) as
// PPM for cjpeg, or written straight as PNG, BMP or GIF; a PNG padded with chunks whose CRC is
// wrong; and a long voice MP3.
//
//   photo_source ppm W H GRAIN                > stdout
//   photo_source png|bmp|gif W H GRAIN OUT
//   photo_source badcrc-png W H CHUNKS OUT    a PNG with CHUNKS empty ancillary chunks, bad CRC
//   photo_source mp3 SECONDS OUT              a tone, mono 22.05 kHz at 48 kbit/s
//
// GRAIN is the extra noise's amplitude in levels (0 to 60): more grain, bigger files.
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "mediagen/Drawings.h"
#include "mediagen/MediaGen.h"

namespace {

uint32_t gState = 0x9E3779B9u;
uint32_t Next() {
  gState ^= gState << 13;
  gState ^= gState >> 17;
  gState ^= gState << 5;
  return gState;
}

// Luma grain of +-grain, a third of it again in each colour: a sensor's noise.
QImage Photo(int width, int height, int grain) {
  QImage image = mediagen::PhotoLike(width, height);
  if (grain <= 0) return image;
  const int colour = grain / 3 + 1;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const uint32_t r = Next();
      const int n = int(r % uint32_t(2 * grain + 1)) - grain;
      auto c = [&](int v, int shift) {
        const int k = int((r >> shift) % uint32_t(2 * colour + 1)) - colour;
        return std::clamp(v + n + k, 0, 255);
      };
      row[x] = qRgb(c(qRed(row[x]), 8), c(qGreen(row[x]), 16), c(qBlue(row[x]), 24));
    }
  }
  return image;
}

bool WritePpm(const QImage& image) {
  std::printf("P6\n%d %d\n255\n", image.width(), image.height());
  std::vector<unsigned char> line(size_t(image.width()) * 3);
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      line[3 * x] = uchar(qRed(row[x]));
      line[3 * x + 1] = uchar(qGreen(row[x]));
      line[3 * x + 2] = uchar(qBlue(row[x]));
    }
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) return false;
  }
  return std::fflush(stdout) == 0;
}

std::string Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image)) return {};
  return bytes.toStdString();
}

// GIF with a 3-3-2 palette, its LZW kept at 9-bit codes by a clear code every 250 codes: as
// large as a photo's GIF gets, which is about what one of a real photo is.
std::string Gif(const QImage& image) {
  const int w = image.width(), h = image.height();
  std::string out = "GIF89a";
  auto u16 = [&](int v) { out += char(v & 0xFF), out += char(v >> 8); };
  u16(w), u16(h);
  out += char(0xF7), out += char(0), out += char(0);  // global table of 256 colours
  for (int i = 0; i < 256; ++i) {
    out += char((i >> 5) * 255 / 7), out += char(((i >> 2) & 7) * 255 / 7);
    out += char((i & 3) * 255 / 3);
  }
  out += ',', u16(0), u16(0), u16(w), u16(h), out += char(0);
  out += char(8);  // minimum code size
  std::string data;
  uint32_t bits = 0;
  int count = 0;
  auto put = [&](int code) {
    bits |= uint32_t(code) << count;
    count += 9;
    while (count >= 8) data += char(bits & 0xFF), bits >>= 8, count -= 8;
  };
  int run = 0;
  put(256);
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      put((qRed(row[x]) >> 5) << 5 | (qGreen(row[x]) >> 5) << 2 | qBlue(row[x]) >> 6);
      if (++run == 250) put(256), run = 0;
    }
  }
  put(257);
  if (count > 0) data += char(bits & 0xFF);
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    out += char(n);
    out.append(data, at, n);
  }
  out += char(0), out += ';';
  return out;
}

// Empty private ancillary chunks after the header, each with a wrong CRC: a decoder that
// checks them reads and drops every one.
std::string BadCrcPng(const QImage& image, long chunks) {
  const std::string png = Encoded(image, "png");
  const size_t afterHeader = 8 + 8 + 13 + 4;
  std::string out = png.substr(0, afterHeader);
  out.reserve(png.size() + size_t(chunks) * 12);
  const char chunk[12] = {0, 0, 0, 0, 'v', 'a', 'V', 'x', 0, 0, 0, 0};
  for (long i = 0; i < chunks; ++i) out.append(chunk, sizeof chunk);
  return out + png.substr(afterHeader);
}

bool Save(const std::string& path, const std::string& bytes) {
  if (bytes.empty()) return false;
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  auto arg = [&](int i) { return i < argc ? std::atol(argv[i]) : 0L; };
  bool ok = false;
  if (what == "ppm" && argc == 5) {
    ok = WritePpm(Photo(int(arg(2)), int(arg(3)), int(arg(4))));
  } else if ((what == "png" || what == "bmp" || what == "gif") && argc == 6) {
    const QImage image = Photo(int(arg(2)), int(arg(3)), int(arg(4)));
    ok = Save(argv[5], what == "gif" ? Gif(image) : Encoded(image, what.c_str()));
  } else if (what == "badcrc-png" && argc == 6) {
    ok = Save(argv[5], BadCrcPng(Photo(int(arg(2)), int(arg(3)), 4), arg(4)));
  } else if (what == "mp3" && argc == 4) {
    ok = mediagen::WriteMp3(argv[3], mediagen::Tone(440, double(arg(2))), 48);
  } else {
    std::fprintf(stderr, "usage: see the head of photo_source.cpp\n");
    return 2;
  }
  if (!ok) std::fprintf(stderr, "photo_source %s: failed\n", what.c_str());
  return ok ? 0 : 1;
}
