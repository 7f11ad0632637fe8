#include "framework/files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace fw {

namespace {

// Up to maxBytes of a regular file, into the buffer `make(size)` gives (whose bytes it then
// holds, `got` of them); false when the file gives nothing (a larger one unless `cut` allows
// it to be read in part).
template <typename Make>
bool ReadUpTo(const std::string& path, int64_t maxBytes, bool cut, Make make, size_t& got) {
  if (path.empty() || path.find('\0') != std::string::npos || maxBytes < 0) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool read = false;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (cut || st.st_size <= maxBytes)) {
    const size_t size = static_cast<size_t>(std::min<int64_t>(st.st_size, maxBytes));
    char* bytes = make(size);
    got = 0;
    bool failed = false;
    while (got < size) {
      const ssize_t n = ::read(fd, bytes + got, size - got);
      if (n < 0 && errno == EINTR) continue;
      failed = n < 0;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    read = !failed;  // a file cut short while being read gives what was there
  }
  ::close(fd);
  return read;
}

std::optional<std::string> ReadString(const std::string& path, int64_t maxBytes, bool cut) {
  std::string bytes;
  size_t got = 0;
  auto make = [&](size_t size) {
    bytes.assign(size, '\0');
    return bytes.data();
  };
  if (!ReadUpTo(path, maxBytes, cut, make, got)) return std::nullopt;
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::optional<std::string> ReadWholeRegularFile(const std::string& path, int64_t maxBytes) {
  return ReadString(path, maxBytes, false);
}

std::optional<std::string> ReadRegularFileStart(const std::string& path, int64_t maxBytes) {
  return ReadString(path, maxBytes, true);
}

std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes) {
  std::optional<std::string> bytes = ReadWholeRegularFile(path, maxBytes);
  if (bytes && bytes->empty()) return std::nullopt;
  return bytes;
}

std::optional<FileBytes> ReadRegularFileBytes(const std::string& path, int64_t maxBytes) {
  std::unique_ptr<char[]> bytes;
  size_t got = 0;
  auto make = [&](size_t size) {
    bytes.reset(new char[size]);
    return bytes.get();
  };
  if (!ReadUpTo(path, maxBytes, false, make, got) || got == 0) return std::nullopt;
  return FileBytes(std::move(bytes), got);
}

}  // namespace fw
