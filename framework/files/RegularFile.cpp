#include "framework/files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace fw {

namespace {

// Up to maxBytes of a regular file; a larger one gives nothing unless `cut` allows it to be
// read in part.
std::optional<std::string> ReadUpTo(const std::string& path, int64_t maxBytes, bool cut) {
  if (path.empty() || path.find('\0') != std::string::npos || maxBytes < 0) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> result;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (cut || st.st_size <= maxBytes)) {
    std::string bytes(static_cast<size_t>(std::min<int64_t>(st.st_size, maxBytes)), '\0');
    size_t got = 0;
    bool failed = false;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      failed = n < 0;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    if (!failed) {
      bytes.resize(got);  // a file cut short while being read gives what was there
      result = std::move(bytes);
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

std::optional<std::string> ReadWholeRegularFile(const std::string& path, int64_t maxBytes) {
  return ReadUpTo(path, maxBytes, false);
}

std::optional<std::string> ReadRegularFileStart(const std::string& path, int64_t maxBytes) {
  return ReadUpTo(path, maxBytes, true);
}

std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes) {
  std::optional<std::string> bytes = ReadWholeRegularFile(path, maxBytes);
  if (bytes && bytes->empty()) return std::nullopt;
  return bytes;
}

}  // namespace fw
