#pragma once
// Internal to the framework: PNG, GIF and BMP files, through Qt's own readers, from worker
// threads: quiet, held to a size, stoppable, and converted without Qt's thread pool.
#include <QImage>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <string_view>

namespace fw {

// The most pixels of a PNG, GIF or BMP: they decode only whole, 64 MiB at 32 bits. A 4K or 5K
// screenshot and any photo a phone saves as PNG fit.
inline constexpr int64_t kMaxWholeDecodePixels = 16LL << 20;

// Once per process, from the first picture on: Qt's image readers say nothing on stderr
// (libpng's warnings and errors come through them, one line a bad chunk), and Qt's own
// allocation limit holds a whole decode at every depth of kMaxWholeDecodePixels.
void QuietQtImageReaders();

// The size in the header of a PNG, GIF or BMP (by its first bytes, whatever its name); invalid
// for anything else, a size over kMaxWholeDecodePixels, or a header not within the file's first
// bytes. No pixel is decoded.
QSize QtPictureSize(std::string_view bytes);

// The whole picture in kPictureFormat; null when it does not decode to `size`, when its memory
// is more than the decode budget holds, or once `*cancel` is set.
QImage DecodeWithQt(std::string_view bytes, QSize size, const std::atomic<bool>* cancel);

}  // namespace fw
