// A picture file of any bytes: the hand-written JPEG marker walk, the open check (libjpeg's run
// over the outline, or Qt's reading of a PNG, GIF or BMP header), and the decode at every
// reduction, the DC-only stream of a progressive file at 1/8 among them, under the work and
// memory budgets, with a cancel flag set while a decode runs.
//
// Oracles: the walk's outline is well-formed (its start, then marker segments each spanning
// exactly its length field, then its end) and claims what the frame header says; a file that
// opens decodes, at every reduction, to exactly the size it promised or to nothing (a budget
// passed, the data cut), never to more; a decode cancelled on the way yields nothing or the
// whole image.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>

#include "framework/media/detail/EncodedPicture.h"
#include "framework/media/detail/JpegDecoder.h"
#include "framework/media/detail/JpegStream.h"
#include "framework/media/detail/QtPictureDecoder.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_picture_file: %s\n", what.c_str());
  std::abort();
}

void CheckOutline(const fw::JpegOutline& outline) {
  const std::string& s = outline.segments;
  auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  if (s.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) Fail("outline without its start");
  size_t pos = 2;
  while (true) {
    if (pos + 2 > s.size() || byte(pos) != 0xFF)
      Fail("outline: no marker where a segment should start");
    const unsigned char marker = byte(pos + 1);
    if (marker == 0xD9) {
      if (pos + 2 != s.size()) Fail("outline: bytes after its end");
      return;
    }
    if (pos + 4 > s.size()) Fail("outline: a segment without its length");
    const size_t length = (size_t{byte(pos + 2)} << 8) | byte(pos + 3);
    if (length < 2 || pos + 2 + length > s.size()) Fail("outline: a segment of impossible length");
    pos += 2 + length;
  }
}

// The file, where EncodedPicture::Read reads it: a path of this process's own.
std::string FileOf(std::string_view bytes) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("fuzz_picture_file." + std::to_string(getpid())))
          .string();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), std::streamsize(bytes.size()));
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto outline = fw::OutlineJpeg(bytes);
  if (outline) CheckOutline(*outline);

  const auto picture = fw::EncodedPicture::Read(FileOf(bytes));
  if (!picture) return 0;
  const QSize whole = picture->Size();
  const bool jpeg = size >= 2 && data[0] == 0xFF && data[1] == 0xD8;
  if (whole.isEmpty() || int64_t{whole.width()} * whole.height() >
                             (jpeg ? fw::kMaxJpegFilePixels : fw::kMaxWholeDecodePixels))
    Fail("size out of bounds");
  if (jpeg && (!outline || QSize(outline->width, outline->height) != whole))
    Fail("size other than the frame's");
  auto check = [&](const QImage& image, QSize want, const std::string& how) {
    if (image.isNull()) return;
    if (image.size() != want) Fail("opened, but decoded " + how + " to another size");
    if (image.format() != fw::kPictureFormat) Fail("decoded " + how + " to another format");
  };
  // Every reduction of a small picture; of a large one (slow under the sanitizers) the smallest.
  const bool small = int64_t{whole.width()} * whole.height() <= 1 << 20;
  for (int d : {1, 2, 4, 8}) {
    if (!small && d != 8) continue;
    const QSize want =
        jpeg ? QSize((whole.width() + d - 1) / d, (whole.height() + d - 1) / d) : whole;
    check(picture->Decode(want), want, "at 1/" + std::to_string(d));
    if (jpeg && d == 8) {
      fw::JpegDecoder::Options every;
      every.dcOnly = false;
      check(fw::JpegDecoder::Decode(bytes, 1, every), want, "at 1/8 from every scan");
    }
  }
  // Cancelled while it runs (or before it starts, or after it ends: any of the three).
  std::atomic<bool> cancel{false};
  QImage cancelled;
  std::thread decode([&] { cancelled = picture->Decode(whole, fw::kMaxPicturePixels, &cancel); });
  std::this_thread::yield();
  cancel = true;
  decode.join();
  if (!cancelled.isNull()) {
    const int d = jpeg ? 8 / fw::JpegEighths(whole, whole, fw::kMaxPicturePixels) : 1;
    check(cancelled, QSize((whole.width() + d - 1) / d, (whole.height() + d - 1) / d),
          "when cancelled");
  }
  return 0;
}
