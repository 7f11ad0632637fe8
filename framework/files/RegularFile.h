#pragma once
// Internal to the framework: reading a file that may be anything.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// The whole of a regular file of at most maxBytes (an empty one included), or nothing.
// Opened non-blocking so that a FIFO or device node put where a file should be cannot hang
// the caller; only regular files are read.
std::optional<std::string> ReadWholeRegularFile(const std::string& path, int64_t maxBytes);

// The first maxBytes of a regular file, all of a shorter one: a larger file is cut, not
// refused, and costs no more memory than maxBytes.
std::optional<std::string> ReadRegularFileStart(const std::string& path, int64_t maxBytes);

// The same as ReadWholeRegularFile for a payload file, which is of no use empty.
std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes);

// A file's bytes in a buffer that is not filled before they are read into it: a picture file
// of tens of megabytes is read on the main thread, and zeroing its string first would cost a
// third of the read again.
class FileBytes {
 public:
  FileBytes(std::unique_ptr<char[]> data, size_t size) : data_(std::move(data)), size_(size) {}
  std::string_view View() const { return {data_.get(), size_}; }
  operator std::string_view() const { return View(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> data_;
  size_t size_;
};

// ReadRegularFile's bytes, as FileBytes.
std::optional<FileBytes> ReadRegularFileBytes(const std::string& path, int64_t maxBytes);

}  // namespace fw
