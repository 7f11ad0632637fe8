#include "framework/files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace fw {

std::optional<std::string> ReadWholeRegularFile(const std::string& path, int64_t maxBytes) {
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> result;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
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

std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes) {
  std::optional<std::string> bytes = ReadWholeRegularFile(path, maxBytes);
  if (bytes && bytes->empty()) return std::nullopt;
  return bytes;
}

}  // namespace fw
