#include "framework/media/detail/JpegDecoder.h"

#include <jpeglib.h>
// clang-format off
#include <jerror.h>  // after jpeglib.h
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "framework/media/detail/DecodeMemory.h"
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
  bool cutIsFatal = false;  // not in an outline, whose scans have no data
};

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void Silently(j_common_ptr) {}

// A warning that the data of a scan ran out before its blocks did: libjpeg goes on with zeros,
// grey below the cut, a pass over the rest of the picture for nothing. A cut file, or a frame
// claiming far more than its data holds, is not a picture to us.
void OnMessage(j_common_ptr cinfo, int level) {
  const int code = cinfo->err->msg_code;
  if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF) &&
      reinterpret_cast<ErrorManager*>(cinfo->err)->cutIsFatal)
    OnFatalError(cinfo);
}

// The work of a decode as libjpeg does it, counted at every call of its progress monitor: once
// an iMCU row (a band of 8 to 16 rows of blocks) as a multi-scan file is read into its
// coefficients, once a row handed out. Each scan costs the blocks it visits, whatever data it
// holds; each byte of entropy-coded data the decoder consumed costs by its coder; each output
// pixel its transform and conversion. Counted, not timed: the same file gives up at the same
// point on any machine.
struct ProgressMonitor {
  jpeg_progress_mgr pub;  // first, as above
  const std::atomic<bool>* cancel = nullptr;
  size_t streamBytes = 0;
  int scan = 0;              // libjpeg's number of the scan being read
  int64_t row = 0;           // its iMCU rows counted so far
  int64_t blocksPerRow = 0;  // blocks in one of its iMCU rows
  int64_t blocks = 0;        // blocks visited in every scan so far
  int64_t work = 0;
};

int64_t BlocksPerRow(const jpeg_decompress_struct& cinfo) {
  // A scan of one component covers v_samp_factor rows of its blocks an iMCU row; an
  // interleaved scan one row of MCUs.
  const int64_t mcus = int64_t{cinfo.MCUs_per_row} * cinfo.blocks_in_MCU;
  return cinfo.comps_in_scan == 1 ? mcus * cinfo.cur_comp_info[0]->v_samp_factor : mcus;
}

void OnProgress(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  auto* p = reinterpret_cast<ProgressMonitor*>(cinfo->progress);
  if (p->cancel && p->cancel->load(std::memory_order_relaxed)) OnFatalError(common);
  if (cinfo->input_scan_number != p->scan) {
    // The last scan was read to its end (or its missing rows filled in): all its blocks.
    if (p->scan > 0)
      p->blocks += std::max<int64_t>(0, cinfo->total_iMCU_rows - p->row) * p->blocksPerRow;
    p->scan = cinfo->input_scan_number;
    p->row = 0;
    p->blocksPerRow = BlocksPerRow(*cinfo);
  }
  const int64_t row = std::min<int64_t>(cinfo->input_iMCU_row, cinfo->total_iMCU_rows);
  if (row > p->row) p->blocks += (row - p->row) * p->blocksPerRow, p->row = row;
  const int64_t consumed = static_cast<int64_t>(p->streamBytes - cinfo->src->bytes_in_buffer);
  const int64_t byteWork = cinfo->arith_code         ? kJpegArithmeticByteWork
                           : cinfo->progressive_mode ? kJpegProgressiveByteWork
                                                     : kJpegSequentialByteWork;
  p->work = consumed * byteWork + p->blocks * kJpegBlockWork +
            int64_t{cinfo->output_scanline} * cinfo->output_width * kJpegPixelWork;
  if (p->work > kMaxJpegWork) OnFatalError(common);
}

class Decompressor {
 public:
  Decompressor(std::string_view bytes, const std::atomic<bool>* cancel) : bytes_(bytes) {
    cinfo_.err = jpeg_std_error(&errors_.pub);
    errors_.pub.error_exit = OnFatalError;
    errors_.pub.output_message = Silently;
    errors_.pub.emit_message = OnMessage;
    progress_.pub.progress_monitor = OnProgress;
    progress_.cancel = cancel;
    progress_.streamBytes = bytes.size();
    created_ = Create();
  }
  ~Decompressor() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // The header, and the output set up for eighths/8 of the size, its dimensions computed.
  bool Start(int eighths) {
    if (!created_ || setjmp(errors_.jump)) return false;
    if (jpeg_read_header(&cinfo_, TRUE) != JPEG_HEADER_OK) return false;  // tables only
    const int components = cinfo_.num_components;
    if (components != 1 && components != 3 && components != 4) return false;
    cinfo_.scale_num = static_cast<unsigned>(eighths);
    cinfo_.scale_denom = 8;
    cinfo_.dct_method = JDCT_ISLOW;
    cinfo_.out_color_space = components == 4 ? JCS_CMYK : kRgb32;
    jpeg_calc_output_dimensions(&cinfo_);
    return true;
  }
  // What libjpeg will allocate beyond small tables: the coefficients of the whole picture when
  // its scans are not one interleaved pass (libjpeg's own test), and working rows.
  int64_t MemoryNeeded() const {
    int64_t bytes = (4LL << 20) + 96LL * cinfo_.image_width * cinfo_.num_components;
    if (cinfo_.progressive_mode || cinfo_.comps_in_scan < cinfo_.num_components) {
      auto roundUp = [](int64_t n, int64_t m) { return (n + m - 1) / m * m; };
      for (int c = 0; c < cinfo_.num_components; ++c) {
        const jpeg_component_info& comp = cinfo_.comp_info[c];
        bytes += roundUp(comp.width_in_blocks, comp.h_samp_factor) *
                 roundUp(comp.height_in_blocks, comp.v_samp_factor) * int64_t{sizeof(JBLOCK)};
      }
    }
    return bytes;
  }
  void LimitMemory(int64_t bytes) { cinfo_.mem->max_memory_to_use = static_cast<long>(bytes); }
  // Decompression up to the first row of pixels (a multi-scan file is read whole here), four
  // bytes a pixel.
  bool Begin() {
    if (setjmp(errors_.jump)) return false;
    jpeg_start_decompress(&cinfo_);
    return cinfo_.output_components == 4 && cinfo_.output_width > 0 && cinfo_.output_height > 0;
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

  void CutIsFatal() { errors_.cutIsFatal = true; }
  jpeg_decompress_struct& info() { return cinfo_; }
  int64_t Work() const { return progress_.work; }

 private:
  // QImage::Format_RGB32 is 0xFFRRGGBB in native byte order; libjpeg sets the filler to 0xFF.
  static constexpr J_COLOR_SPACE kRgb32 =
      Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

  bool Create() {
    if (setjmp(errors_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    // Until the decode has taken its share of the budget: an outline's needs. libjpeg is built
    // without temporary files, so beyond the limit it fails.
    cinfo_.mem->max_memory_to_use = 16L << 20;
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

// The stream a progressive picture decoded at 1/8 needs: without the AC scans of the
// components whose block libjpeg reduces to one pixel (its DC term). A subsampled component
// is reduced less (its 2 x 2 transform reads the first AC terms) and keeps its scans. Nothing
// when every scan is needed.
std::optional<std::string> DcOnlyStream(std::string_view stream, jpeg_decompress_struct& info) {
  if (!info.progressive_mode || info.scale_num * 8 != info.scale_denom) return std::nullopt;
  std::vector<int> dcOnly;
  for (int c = 0; c < info.num_components; ++c)
    if (info.comp_info[c].DCT_scaled_size == 1) dcOnly.push_back(info.comp_info[c].component_id);
  if (dcOnly.empty()) return std::nullopt;
  return WithoutAcScans(
      stream, [&](int id) { return std::find(dcOnly.begin(), dcOnly.end(), id) != dcOnly.end(); });
}

}  // namespace

QSize JpegDecoder::Check(const JpegOutline& outline, int64_t maxPixels) {
  const int64_t width = outline.width, height = outline.height;
  if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION ||
      width * height > maxPixels)
    return {};
  Decompressor jpeg(outline.segments, nullptr);
  if (!jpeg.Start(8) || jpeg.info().image_width != 1 || jpeg.info().image_height != 1) return {};
  unsigned char pixel[4];
  if (!jpeg.Begin() || !jpeg.ReadRows(pixel, 0) || !jpeg.Finish()) return {};
  return QSize(static_cast<int>(width), static_cast<int>(height));
}

QImage JpegDecoder::Decode(std::string_view stream, int eighths, const Options& options) {
  std::optional<std::string> reduced;
  if (options.dcOnly && eighths == 1) {
    Decompressor header(stream, options.cancel);
    if (!header.Start(eighths)) return {};
    reduced = DcOnlyStream(stream, header.info());
  }
  Decompressor jpeg(reduced ? std::string_view(*reduced) : stream, options.cancel);
  jpeg.CutIsFatal();
  if (!jpeg.Start(eighths)) return {};
  // Without its AC terms a block would be smoothed as a coarse early picture is.
  if (reduced) jpeg.info().do_block_smoothing = FALSE;
  const int64_t libjpeg = jpeg.MemoryNeeded();
  const int64_t pixels = int64_t{jpeg.info().output_width} * jpeg.info().output_height * 4;
  // A photo whose coefficients take most of the budget (24 megapixels in full colour, drawn at
  // twice the density) still shows, a scale smaller and so a little softer, rather than not at
  // all. Nothing is decoded yet: only the header was read.
  if (libjpeg + pixels > kDecodeMemoryBytes && eighths > 1)
    return Decode(stream, eighths / 2, options);
  DecodeMemory memory;
  if (!memory.Take(libjpeg + pixels, options.cancel)) return {};
  jpeg.LimitMemory(libjpeg);
  QImage image;
  if (jpeg.Begin()) {
    image = QImage(static_cast<int>(jpeg.info().output_width),
                   static_cast<int>(jpeg.info().output_height), kPictureFormat);
    if (!image.isNull() && !jpeg.ReadRows(image.bits(), static_cast<size_t>(image.bytesPerLine())))
      image = QImage();
  }
  if (options.work) *options.work = jpeg.Work();
  if (image.isNull()) return {};
  if (jpeg.info().out_color_space == JCS_CMYK) CmykToRgb32(image);
  return image;
}

}  // namespace fw
