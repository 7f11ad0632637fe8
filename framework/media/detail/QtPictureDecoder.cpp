#include "framework/media/detail/QtPictureDecoder.h"

#include <QIODevice>
#include <QImageReader>
#include <QLoggingCategory>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "framework/media/detail/DecodeMemory.h"
#include "framework/media/detail/PictureFormat.h"

namespace fw {
namespace {

// The file's bytes as Qt's readers read them: a read fails once `cancel` is set, or past
// `maxRead` bytes in all (seeks back included).
class PictureBytes : public QIODevice {
 public:
  PictureBytes(std::string_view bytes, const std::atomic<bool>* cancel, int64_t maxRead)
      : bytes_(bytes), cancel_(cancel), left_(maxRead) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return false; }
  qint64 size() const override { return static_cast<qint64>(bytes_.size()); }

 protected:
  qint64 readData(char* data, qint64 max) override {
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) return -1;
    const qint64 at = pos();
    const qint64 n = std::min(max, size() - at);
    if (n <= 0) return 0;
    if (n > left_) return -1;
    left_ -= n;
    std::memcpy(data, bytes_.data() + at, static_cast<size_t>(n));
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::string_view bytes_;
  const std::atomic<bool>* cancel_;
  qint64 left_;
};

// What Qt's readers may read beyond the file itself: they go back to its start to learn its
// format, and a GIF's is scanned whole for its frames before it is decoded.
constexpr int64_t kMaxHeaderRead = 4LL << 20;

QLoggingCategory::CategoryFilter previousFilter = nullptr;

void QuietImageIo(QLoggingCategory* category) {
  if (previousFilter) previousFilter(category);
  if (std::strncmp(category->categoryName(), "qt.gui.imageio", 14) == 0)
    for (QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg})
      category->setEnabled(type, false);
}

bool ReaderFor(QImageReader& reader) {
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(false);
  // The well-worn decoders only: the name of a file says nothing, its first bytes decide.
  const QByteArray format = reader.format();
  return format == "png" || format == "gif" || format == "bmp";
}

bool SizeAllowed(QSize size) {
  return size.width() > 0 && size.height() > 0 &&
         int64_t{size.width()} * size.height() <= kMaxWholeDecodePixels;
}

// Qt's conversion of an image of more than 64K pixels splits it over QThreadPool's global
// pool, and waits for ever when the pool can start no thread; a band of fewer pixels (or of
// one row) is converted on the calling thread. A 32-bit image is converted in place.
QImage ToPictureFormat(QImage image, const std::atomic<bool>* cancel) {
  if (image.format() == kPictureFormat) return image;
  const int width = image.width(), height = image.height();
  const bool inPlace = image.depth() == 32;
  QImage converted32 = inPlace ? QImage() : QImage(width, height, kPictureFormat);
  QImage& out = inPlace ? image : converted32;
  if (out.isNull()) return {};
  const int bandRows = std::max(1, 65535 / width);
  const QVector<QRgb> colours = image.colorTable();
  for (int y = 0; y < height; y += bandRows) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return {};
    const int rows = std::min(bandRows, height - y);
    QImage band(image.constScanLine(y), width, rows, image.bytesPerLine(), image.format());
    if (!colours.isEmpty()) band.setColorTable(colours);
    const QImage converted = band.convertToFormat(kPictureFormat);
    if (converted.isNull()) return {};
    for (int r = 0; r < rows; ++r)
      std::memcpy(out.scanLine(y + r), converted.constScanLine(r), size_t(width) * 4);
  }
  if (inPlace) out.reinterpretAsFormat(kPictureFormat);
  return std::move(out);
}

}  // namespace

void QuietQtImageReaders() {
  static std::once_flag once;
  std::call_once(once, [] {
    previousFilter = QLoggingCategory::installFilter(QuietImageIo);
    // In megabytes, at the depth Qt decodes to: 16-bit PNGs take 8 bytes a pixel. The decode
    // budget holds what may be decoded at once.
    QImageReader::setAllocationLimit(static_cast<int>((kMaxWholeDecodePixels * 8) >> 20));
  });
}

QSize QtPictureSize(std::string_view bytes) {
  // Read here, not by Qt's readers: they read a PNG's chunks up to its pixels, and a GIF whole,
  // to learn what its first bytes say. The decode checks that the pixels come out at this size.
  // A byte past the end reads as 0: a header cut short claims an empty picture.
  auto byte = [&](size_t i) { return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0u; };
  auto big32 = [&](size_t i) {
    return int64_t{byte(i)} << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3);
  };
  auto little16 = [&](size_t i) { return int64_t{byte(i)} | byte(i + 1) << 8; };
  auto little32 = [&](size_t i) {
    return static_cast<int32_t>(uint32_t(little16(i)) | uint32_t(little16(i + 2)) << 16);
  };
  int64_t width = 0, height = 0;
  if (bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8) && bytes.size() >= 24 &&
      bytes.substr(12, 4) == "IHDR") {
    width = big32(16), height = big32(20);  // IHDR comes first, or libpng refuses the file
  } else if (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a") {
    width = little16(6), height = little16(8);  // the logical screen, which Qt decodes
  } else if (bytes.substr(0, 2) == "BM" && bytes.size() >= 26) {
    if (little32(14) == 12) {  // the oldest header: 16-bit sizes
      width = little16(18), height = little16(20);
    } else {
      width = little32(18), height = std::abs(int64_t{little32(22)});  // negative: top down
    }
  }
  if (width > kMaxWholeDecodePixels || height > kMaxWholeDecodePixels) return {};
  const QSize size(static_cast<int>(width), static_cast<int>(height));
  return SizeAllowed(size) ? size : QSize();
}

QImage DecodeWithQt(std::string_view bytes, QSize size, const std::atomic<bool>* cancel) {
  QuietQtImageReaders();
  // Every byte twice (Qt's GIF reader scans the whole file for its frames' sizes before it
  // decodes), and the header again.
  PictureBytes device(bytes, cancel, 2 * static_cast<int64_t>(bytes.size()) + kMaxHeaderRead);
  QImageReader reader(&device);
  if (!ReaderFor(reader) || !SizeAllowed(size)) return {};
  // The image Qt decodes into, and ours beside it when it is not 32 bits deep.
  const int depth = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
  const int64_t pixels = int64_t{size.width()} * size.height();
  const int64_t bytesNeeded = pixels * std::max(depth, 8) / 8 + (depth == 32 ? 0 : pixels * 4);
  DecodeMemory memory;
  if (!memory.Take(bytesNeeded, cancel)) return {};
  QImage image;
  if (!reader.read(&image) || image.size() != size) return {};
  return ToPictureFormat(std::move(image), cancel);
}

}  // namespace fw
