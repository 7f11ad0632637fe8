#include "framework/media/detail/JpegDecoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

#include "framework/media/detail/JpegStream.h"
#include "framework/media/detail/PictureFormat.h"

namespace fw {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back
// to the step that called libjpeg. Each step is a function of its own whose locals have no
// destructors, so the jump skips nothing that needed to run.
struct ErrorManager {
  jpeg_error_mgr pub;  // first: libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
};

constexpr int kFailed = 1;
constexpr int kStopped = 2;  // set up, and stopped before the work on the pixels

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, kFailed);
}

void Silently(j_common_ptr) {}

struct ProgressMonitor {
  jpeg_progress_mgr pub;  // first, as above
  bool stopAtWork = false;
};

// Called before each step of reading a multi-scan file into its coefficient buffer (the
// buffer already allocated), so a scan that would pass the bound costs nothing. The marker
// walk already refuses a stream with too many scans; this holds the bound should libjpeg ever
// count them differently.
void OnProgress(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  const int64_t scans = cinfo->input_scan_number;
  if (scans > kMaxJpegScans ||
      scans * cinfo->image_width * cinfo->image_height > kMaxJpegScanPixels)
    OnFatalError(common);
  if (reinterpret_cast<ProgressMonitor*>(cinfo->progress)->stopAtWork)
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, kStopped);
}

class Decompressor {
 public:
  explicit Decompressor(std::string_view bytes) : bytes_(bytes) {
    cinfo_.err = jpeg_std_error(&errors_.pub);
    errors_.pub.error_exit = OnFatalError;
    errors_.pub.output_message = Silently;
    progress_.pub.progress_monitor = OnProgress;
    created_ = Create();
  }
  ~Decompressor() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // The header, and the output set up for eighths/8 of the size.
  bool Start(int eighths) {
    if (!created_ || setjmp(errors_.jump)) return false;
    if (jpeg_read_header(&cinfo_, TRUE) != JPEG_HEADER_OK) return false;  // tables only
    const int components = cinfo_.num_components;
    if (components != 1 && components != 3 && components != 4) return false;
    cinfo_.scale_num = static_cast<unsigned>(eighths);
    cinfo_.scale_denom = 8;
    cinfo_.dct_method = JDCT_ISLOW;
    cinfo_.out_color_space = components == 4 ? JCS_CMYK : kRgb32;
    return true;
  }
  // Decompression up to the first row of pixels (a multi-scan file is read whole here), four
  // bytes a pixel.
  bool Begin() {
    if (setjmp(errors_.jump)) return false;
    jpeg_start_decompress(&cinfo_);
    return cinfo_.output_components == 4 && cinfo_.output_width > 0 && cinfo_.output_height > 0;
  }
  // Decompression set up, every buffer allocated, and stopped before the first scan's data
  // (a single-scan file reads none while being set up).
  bool SetUp() {
    progress_.stopAtWork = true;
    const int jumped = setjmp(errors_.jump);
    if (jumped) return jumped == kStopped;
    jpeg_start_decompress(&cinfo_);
    return true;
  }
  // Every row, each into rows + y * stride (stride 0: all into one row).
  bool ReadRows(unsigned char* rows, size_t stride) {
    if (setjmp(errors_.jump)) return false;
    while (cinfo_.output_scanline < cinfo_.output_height) {
      JSAMPROW row = rows + stride * cinfo_.output_scanline;
      if (jpeg_read_scanlines(&cinfo_, &row, 1) != 1) return false;
    }
    return true;
  }
  // The rest of the stream up to its end marker.
  bool Finish() {
    if (setjmp(errors_.jump)) return false;
    jpeg_finish_decompress(&cinfo_);
    return true;
  }

  jpeg_decompress_struct& info() { return cinfo_; }

 private:
  // QImage::Format_RGB32 is 0xFFRRGGBB in native byte order; libjpeg sets the filler to 0xFF.
  static constexpr J_COLOR_SPACE kRgb32 =
      Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

  bool Create() {
    if (setjmp(errors_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    // Beyond it libjpeg would need a temporary file, which it is built without: an error.
    cinfo_.mem->max_memory_to_use = kMaxJpegMemory;
    cinfo_.progress = &progress_.pub;
    jpeg_mem_src(&cinfo_, reinterpret_cast<const unsigned char*>(bytes_.data()),
                 static_cast<unsigned long>(bytes_.size()));
    return true;
  }

  std::string_view bytes_;
  jpeg_decompress_struct cinfo_{};
  ErrorManager errors_{};
  ProgressMonitor progress_{};
  bool created_ = false;
};

// Adobe's CMYK, stored inverted (as Photoshop writes it), shown as (c, m, y) darkened by k.
void CmykToRgb32(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* pixel = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const auto* cmyk = reinterpret_cast<const unsigned char*>(pixel + x);
      const int k = cmyk[3];
      pixel[x] = qRgb(k * cmyk[0] / 255, k * cmyk[1] / 255, k * cmyk[2] / 255);
    }
  }
}

}  // namespace

QSize JpegDecoder::Check(const JpegOutline& outline, std::string_view stream, int64_t maxPixels) {
  const int64_t width = outline.width, height = outline.height;
  if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
      width * height > maxPixels)
    return {};
  Decompressor jpeg(outline.segments);
  if (!jpeg.Start(8) || jpeg.info().image_width != 1 || jpeg.info().image_height != 1) return {};
  unsigned char pixel[4];
  if (!jpeg.Begin() || !jpeg.ReadRows(pixel, 0) || !jpeg.Finish()) return {};
  // The scans as libjpeg counted them, over the picture's real size, and the bytes they hold.
  const int64_t scans = jpeg.info().input_scan_number;
  if (scans * width * height > kMaxJpegScanPixels) return {};
  if (scans > 1 && static_cast<int64_t>(stream.size()) > kMaxMultiScanJpegBytes) return {};
  Decompressor file(stream);
  if (!file.Start(8) || !file.SetUp()) return {};
  return QSize(static_cast<int>(width), static_cast<int>(height));
}

QImage JpegDecoder::Decode(std::string_view stream, int eighths) {
  Decompressor jpeg(stream);
  if (!jpeg.Start(eighths)) return {};
  if (!jpeg.Begin()) return {};
  QImage image(static_cast<int>(jpeg.info().output_width),
               static_cast<int>(jpeg.info().output_height), kPictureFormat);
  if (image.isNull() || !jpeg.ReadRows(image.bits(), static_cast<size_t>(image.bytesPerLine())))
    return {};
  if (jpeg.info().out_color_space == JCS_CMYK) CmykToRgb32(image);
  return image;
}

}  // namespace fw
