#include "TestImages.h"

// clang-format off
#include <cstdio>  // jpeglib.h wants FILE first
#include <jpeglib.h>
// clang-format on
#include <unistd.h>

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <vector>

namespace testsupport {

QImage Noise(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, rng() | 0xFF000000u);
  return image;
}

std::string JpegBytes(const QImage& image, bool progressive) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(progressive);
  writer.write(image);
  return bytes.toStdString();
}

std::string LibJpegBytes(const JpegSpec& spec) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  const bool grey = spec.colour == JpegSpec::kGrey;
  cinfo.image_width = static_cast<JDIMENSION>(spec.width);
  cinfo.image_height = static_cast<JDIMENSION>(spec.height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, spec.quality, TRUE);
  if (!grey) {
    const int sampling = spec.colour == JpegSpec::k444 ? 1 : 2;
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = sampling;
  }
  if (spec.progressive) jpeg_simple_progression(&cinfo);
  cinfo.arith_code = spec.arithmetic ? TRUE : FALSE;
  cinfo.restart_in_rows = spec.restartRows;
  cinfo.restart_interval = static_cast<unsigned>(spec.restartMcus);
  jpeg_start_compress(&cinfo, TRUE);
  const int channels = grey ? 1 : 3;
  std::vector<unsigned char> row(size_t(spec.width) * channels);
  uint64_t state = 0x9E3779B97F4A7C15ull * (spec.seed + 1);
  const unsigned noise = static_cast<unsigned>(std::clamp(spec.noise, 0, 255));
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < spec.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;  // xorshift
        const unsigned smooth =
            static_cast<unsigned>((x * 255 / spec.width + y * 255 / spec.height + c * 85) % 256);
        const unsigned jitter = noise ? static_cast<unsigned>(state % (noise + 1)) : 0;
        row[size_t(x) * channels + c] =
            static_cast<unsigned char>(smooth * (255 - noise) / 255 + jitter);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return bytes;
}

std::string GifBytes(int width, int height) {
  std::string gif = "GIF89a";
  auto word = [&](int v) { gif += char(v & 0xFF), gif += char((v >> 8) & 0xFF); };
  word(width), word(height);
  gif += "\xF7";  // a global colour table of 256 entries
  gif += std::string(2, '\0');
  for (int i = 0; i < 256; ++i) gif += char(i), gif += char(255 - i), gif += char(i * 7);
  gif += ',';
  word(0), word(0), word(width), word(height);
  gif += '\0';
  gif += '\x08';  // LZW minimum code size: 9-bit codes, 256 clear, 257 end
  std::string data;
  uint32_t bits = 0;
  int count = 0;
  auto code = [&](unsigned c) {
    bits |= c << count, count += 9;
    while (count >= 8) data += char(bits & 0xFF), bits >>= 8, count -= 8;
  };
  uint64_t state = 88172645463325252ull;
  const int64_t pixels = int64_t{width} * height;
  for (int64_t i = 0; i < pixels; ++i) {
    if (i % 254 == 0) code(256);  // a clear before the table grows past 9-bit codes
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    code(static_cast<unsigned>(state & 0xFF));
  }
  code(257);
  if (count > 0) data += char(bits & 0xFF);
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t n = std::min<size_t>(255, data.size() - at);
    gif += char(n);
    gif += data.substr(at, n);
  }
  gif += '\0';
  gif += ';';
  return gif;
}

std::string PngChunkFlood(const std::string& png, int chunks, bool afterPixels) {
  std::string flood;
  flood.reserve(size_t(chunks) * 12);
  for (int i = 0; i < chunks; ++i) flood += std::string("\0\0\0\0teXt\0\0\0\0", 12);
  const size_t at = afterPixels ? png.size() - 12 : 33;  // before IEND, or after IHDR
  return png.substr(0, at) + flood + png.substr(at);
}

std::filesystem::path CachedJpeg(const std::string& name, const JpegSpec& spec) {
  static std::mutex mutex;
  static std::map<std::string, std::filesystem::path> made;
  struct Folder {
    std::filesystem::path path;
    Folder() {
      std::string pattern =
          (std::filesystem::temp_directory_path() / "vv-test-images.XXXXXX").string();
      path = mkdtemp(pattern.data()) ? std::filesystem::path(pattern)
                                     : std::filesystem::temp_directory_path();
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static Folder folder;
  std::lock_guard lock(mutex);
  auto it = made.find(name);
  if (it != made.end()) return it->second;
  const auto path = folder.path / name;
  const std::string bytes = LibJpegBytes(spec);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), std::streamsize(bytes.size()));
  return made[name] = path;
}

std::string ProgressiveClaiming(std::string jpeg, int width, int height, int scans) {
  const auto sof = jpeg.find("\xFF\xC2");
  jpeg[sof + 5] = char(height >> 8), jpeg[sof + 6] = char(height & 0xFF);
  jpeg[sof + 7] = char(width >> 8), jpeg[sof + 8] = char(width & 0xFF);
  int written = 0;
  for (size_t at = jpeg.find("\xFF\xDA"); at != std::string::npos;
       at = jpeg.find("\xFF\xDA", at + 2))
    ++written;
  const size_t last = jpeg.rfind("\xFF\xDA");
  const std::string lastScan = jpeg.substr(last, jpeg.size() - 2 - last);
  std::string out = jpeg.substr(0, jpeg.size() - 2);
  for (int i = written; i < scans; ++i) out += lastScan;
  return out + "\xFF\xD9";
}

}  // namespace testsupport
