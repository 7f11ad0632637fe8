#include "framework/files/detail/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <utility>

#include "framework/core/Exceptions.h"

namespace fw {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what, const std::string& path, int code,
                       const std::string& why = std::string()) {
  throw IOException(
      what + " \"" + path + "\": " + (why.empty() ? std::system_category().message(code) : why),
      code);
}

// The path with the links of its last name followed (the kernel follows those of its folders).
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::error_code ec;
    const fs::path target = fs::read_symlink(current, ec);
    if (ec) Fail("cannot follow the link", path, ec.value());
    current = target.is_absolute() ? target.string()
                                   : (fs::path(current).parent_path() / target).string();
  }
  Fail("cannot follow the link", path, ELOOP);
}

// The permission bits of the regular file at `target`, or nothing when there is none yet.
// Anything else in its place is not ours to replace.
std::optional<mode_t> PermissionsOfReplaceable(const std::string& target,
                                               const std::string& shown) {
  struct stat st {};
  if (::lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail("cannot save", shown, errno);
  }
  if (S_ISDIR(st.st_mode)) Fail("cannot save", shown, EISDIR, "a folder is in its place");
  if (!S_ISREG(st.st_mode)) Fail("cannot save", shown, EPERM, "not a regular file, left as it is");
  return st.st_mode & 07777;
}

// A new file beside `target` whose name starts with it; created with 0666 so that the umask
// gives a new settings file the user's usual permissions.
int CreateTemporary(const std::string& target, std::string& name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 pick(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + ".";
    for (int i = 0; i < 6; ++i) name += kLetters[pick() % (sizeof kLetters - 1)];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : shown_(path), target_(FollowLinks(path)) {
  const std::optional<mode_t> permissions = PermissionsOfReplaceable(target_, shown_);
  fd_ = CreateTemporary(target_, temporary_);
  if (fd_ < 0) {
    const int code = errno;
    temporary_.clear();
    Fail("cannot open for writing", shown_, code);
  }
  if (permissions) (void)::fchmod(fd_, *permissions);  // as before, or the umask's when it fails
}

AtomicFile::~AtomicFile() { Abandon(); }

void AtomicFile::Abandon() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, std::string()).c_str());
}

void AtomicFile::Write(std::string_view bytes) {
  if (fd_ < 0) Fail("cannot write to", shown_, EBADF);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write to", shown_, n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void AtomicFile::Commit() {
  try {
    SyncAndReplace();
  } catch (...) {
    Abandon();
    throw;
  }
}

void AtomicFile::SyncAndReplace() {
  if (fd_ < 0) Fail("cannot save", shown_, EBADF);
  // A write the disk takes back late (a full disk, a network folder) shows in the sync or
  // the close; the rename must not put a cut file in the old one's place.
  if (::fsync(fd_) != 0) Fail("cannot save", shown_, errno);
  if (::close(std::exchange(fd_, -1)) != 0 && errno != EINTR) Fail("cannot save", shown_, errno);
  // Something other than a regular file may have taken the target's place meanwhile.
  PermissionsOfReplaceable(target_, shown_);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) Fail("cannot save", shown_, errno);
  temporary_.clear();
}

}  // namespace fw
