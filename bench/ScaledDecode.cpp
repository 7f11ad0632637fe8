#include "ScaledDecode.h"

#include <jpeglib.h>

#include <QByteArray>
#include <QBuffer>
#include <QImageReader>
#include <QLoggingCategory>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace bench {
namespace {

struct Errors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

unsigned Denominator(unsigned width, unsigned height, QSize target) {
  unsigned denominator = 8;
  while (denominator > 1 && ((width + denominator - 1) / denominator < unsigned(target.width()) ||
                             (height + denominator - 1) / denominator < unsigned(target.height())))
    denominator /= 2;
  return denominator;
}

// All libjpeg calls in one frame that has no destructors for the jump to skip.
bool Decode(const std::vector<unsigned char>& bytes, QSize target, QImage& out,
            bool dcOnly = false) {
  jpeg_decompress_struct cinfo;
  Errors errors;
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = [](j_common_ptr c) {
    std::longjmp(reinterpret_cast<Errors*>(c->err)->jump, 1);
  };
  errors.pub.output_message = [](j_common_ptr) {};
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = Denominator(cinfo.image_width, cinfo.image_height, target);
  cinfo.out_color_space = JCS_EXT_BGRA;
  if (dcOnly) cinfo.do_block_smoothing = FALSE;
  jpeg_start_decompress(&cinfo);
  out = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.scanLine(int(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// The stream without the scans that refine only the first component's AC coefficients; empty
// when it is no progressive JPEG that 1/8 of covers `target`.
std::vector<unsigned char> WithoutLumaAc(const std::vector<unsigned char>& in, QSize target) {
  const size_t n = in.size();
  if (n < 4 || in[0] != 0xFF || in[1] != 0xD8) return {};
  std::vector<unsigned char> out(in.begin(), in.begin() + 2);
  int luma = -1;
  size_t at = 2;
  while (at + 4 <= n) {
    if (in[at] != 0xFF) return {};
    const unsigned char marker = in[at + 1];
    if (marker == 0xD9) break;
    const size_t length = size_t(in[at + 2]) << 8 | in[at + 3];
    size_t end = at + 2 + length;
    if (end > n) return {};
    if (marker == 0xC2 && length >= 11) {
      const unsigned height = unsigned(in[at + 5]) << 8 | in[at + 6];
      const unsigned width = unsigned(in[at + 7]) << 8 | in[at + 8];
      if (Denominator(width, height, target) != 8) return {};
      luma = in[at + 10];
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
               marker != 0xCC) {
      return {};  // not progressive Huffman
    }
    bool keep = true;
    if (marker == 0xDA) {
      const unsigned components = in[at + 4];
      const size_t spectral = at + 5 + 2 * components;
      if (spectral + 1 >= n) return {};
      keep = !(components == 1 && in[at + 5] == luma && in[spectral] > 0);
      // Entropy-coded data runs to the next marker that is neither a stuffed 0xFF nor a restart.
      while (end + 1 < n && !(in[end] == 0xFF && in[end + 1] != 0 &&
                              (in[end + 1] < 0xD0 || in[end + 1] > 0xD7)))
        ++end;
    }
    if (keep) out.insert(out.end(), in.begin() + long(at), in.begin() + long(end));
    at = end;
  }
  if (luma < 0) return {};
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fseek(file, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(std::max(0L, std::ftell(file))));
    std::rewind(file);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
  }
  return bytes;
}

QImage Shrunk(const QImage& image, QSize target) {
  // Enlarging is left to the painter, which scales straight onto the screen.
  if (image.width() <= target.width() && image.height() <= target.height()) return image;
  return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

QImage FloorDecode(const std::string& path, QSize target) {
  const std::vector<unsigned char> bytes = ReadAll(path);
  QImage image;
  if (bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    const std::vector<unsigned char> dc = WithoutLumaAc(bytes, target);
    if (!Decode(dc.empty() ? bytes : dc, target, image, !dc.empty())) return {};
    return Shrunk(image, target);
  }
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  QBuffer buffer(&data);
  QImageReader::setAllocationLimit(0);  // the floor knows no bound
  // Nor does it log the decoder's warnings (one a chunk, in a PNG of bad chunks); the rules go
  // back at once, so that the program measured beside it logs as it always does.
  QLoggingCategory::setFilterRules("qt.gui.imageio=false");
  QImageReader reader(&buffer);
  const bool read = reader.read(&image);
  QLoggingCategory::setFilterRules("");
  if (!read) return {};
  return Shrunk(image.convertToFormat(QImage::Format_RGB32), target);
}

QImage ScaledDecode(const std::string& path, QSize target) {
  QImage image;
  if (!Decode(ReadAll(path), target, image)) return {};
  return Shrunk(image, target);
}

}  // namespace bench
