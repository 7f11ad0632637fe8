#include "ScaledDecode.h"

#include <jpeglib.h>

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

// All libjpeg calls in one frame that has no destructors for the jump to skip.
bool Decode(const std::vector<unsigned char>& bytes, QSize target, QImage& out) {
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
  unsigned denominator = 8;
  while (denominator > 1 &&
         ((cinfo.image_width + denominator - 1) / denominator < unsigned(target.width()) ||
          (cinfo.image_height + denominator - 1) / denominator < unsigned(target.height())))
    denominator /= 2;
  cinfo.scale_num = 1;
  cinfo.scale_denom = denominator;
  cinfo.out_color_space = JCS_EXT_BGRA;
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

}  // namespace

QImage ScaledDecode(const std::string& path, QSize target) {
  std::vector<unsigned char> bytes;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fseek(file, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(std::max(0L, std::ftell(file))));
    std::rewind(file);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
  }
  QImage image;
  if (!Decode(bytes, target, image)) return {};
  // Enlarging is left to the painter, which scales straight onto the screen.
  if (image.width() <= target.width() && image.height() <= target.height()) return image;
  return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace bench
