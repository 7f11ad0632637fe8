#pragma once
// Internal to the framework: a picture file's bytes, checked, and decoded each time its
// pixels are wanted at the size they are wanted. A minute picture is shown at a half or a
// quarter of its size as often as at its own, so it is kept compressed (a tenth of its
// pixels' memory) and a JPEG decodes straight to the size it is drawn at.
//
// Opening is cheap and made on the main thread; decoding is the work, made on worker threads,
// and is where that work and its memory are bounded.
#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/files/RegularFile.h"
#include "framework/media/detail/PictureFormat.h"

namespace fw {

// The largest picture file read: a 16-megapixel BMP at 32 bits, and a 50-megapixel camera's
// JPEG at its finest quality. The file is held in memory while the picture is.
inline constexpr int64_t kMaxPictureFileBytes = 65LL << 20;

// The most pixels a JPEG file may claim: past any camera but a medium-format one (61 Mpx fit).
// What a decode of it costs is held by the decoder's work and memory budgets, at the size it is
// decoded at.
inline constexpr int64_t kMaxJpegFilePixels = 8192LL * 8192;

class EncodedPicture {
 public:
  // The picture in the file, or nil when the file is no picture we accept: a JPEG, PNG, GIF
  // or BMP by its first bytes, of at most kMaxPictureFileBytes. A JPEG runs from its start
  // marker to its end marker, libjpeg accepts its outline (every segment but the pixels), and
  // it claims at most kMaxJpegFilePixels; a PNG, GIF or BMP has a header Qt reads, of at most
  // kMaxWholeDecodePixels. No pixel is decoded and nothing the size of the picture allocated:
  // a few milliseconds beyond reading the file. Main thread.
  static std::shared_ptr<const EncodedPicture> Read(const std::string& path);

  QSize Size() const { return size_; }
  // The pixels at the smallest size the decoder reaches cheaply that is no smaller than
  // `atLeast` in either direction, unless that passes `maxPixels` (then the largest that does
  // not): for a JPEG, 1/8, 1/4, 1/2 or the whole picture; a PNG, GIF or BMP at its own size
  // whatever `maxPixels`. kPictureFormat. Null when the file does not decode, when the decode
  // would pass its work or memory budget (a decode waits while others hold the memory), or
  // once `*cancel` is set. Any thread; several decodes may run at once.
  QImage Decode(QSize atLeast, int64_t maxPixels = kMaxPicturePixels,
                const std::atomic<bool>* cancel = nullptr) const;

  EncodedPicture(FileBytes bytes, bool jpeg, QSize size)
      : bytes_(std::move(bytes)), jpeg_(jpeg), size_(size) {}

 private:
  const FileBytes bytes_;
  const bool jpeg_;
  const QSize size_;
};

// The scale, in eighths (1, 2, 4 or 8), at which a JPEG of `size` is decoded for `atLeast`
// within `maxPixels`.
int JpegEighths(QSize size, QSize atLeast, int64_t maxPixels);

}  // namespace fw
