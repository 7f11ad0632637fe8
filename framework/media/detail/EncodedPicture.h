#pragma once
// Internal to the framework: a picture file's bytes, checked, and decoded each time its
// pixels are wanted at the size they are wanted. A minute picture is shown at a half or a
// quarter of its size as often as at its own, so it is kept compressed (a tenth of its
// pixels' memory) and a JPEG decodes straight to the size it is drawn at.
#include <QImage>
#include <QSize>
#include <atomic>
#include <memory>
#include <string>

#include "framework/media/detail/PictureFormat.h"

namespace fw {

class EncodedPicture {
 public:
  // The picture in the file, or nil when the file is no picture we accept: a JPEG, PNG, GIF
  // or BMP by its first bytes, of at most kMaxPicturePixels (a PNG, GIF or BMP fewer),
  // within the decoder's bounds on its work and memory, that decodes. Every check is made
  // here, so that a file that will not decode is refused when it is opened.
  static std::shared_ptr<const EncodedPicture> Read(const std::string& path);

  QSize Size() const { return size_; }
  // The pixels at the smallest size the decoder reaches cheaply that is no smaller than
  // `atLeast` in either direction, unless that passes `maxPixels` (then the largest that does
  // not): for a JPEG, 1/8, 1/4, 1/2 or the whole picture; else its own size.
  // kPictureFormat; null when memory runs out, or when `*cancel` is set. Any thread.
  QImage Decode(QSize atLeast, int64_t maxPixels = kMaxPicturePixels,
                const std::atomic<bool>* cancel = nullptr) const;

  EncodedPicture(std::string bytes, bool jpeg, QSize size)
      : bytes_(std::move(bytes)), jpeg_(jpeg), size_(size) {}

 private:
  std::string bytes_;
  bool jpeg_;
  QSize size_;
};

}  // namespace fw
