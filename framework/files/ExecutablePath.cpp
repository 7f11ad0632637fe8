#include "framework/files/ExecutablePath.h"

#include <filesystem>
#include <system_error>

#include "framework/files/Testing.h"

namespace fw {
namespace {
String& ExecutableOverride() {
  static String path;
  return path;
}
}  // namespace

String ExecutablePath() {
  if (!ExecutableOverride().empty()) return ExecutableOverride();
  // The kernel's link names the binary itself, with every symbolic link already resolved.
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return String();
  return exe.string();
}

void SetExecutableFileForTesting(const String& path) { ExecutableOverride() = path; }

}  // namespace fw
