#include "Application.h"

#include <filesystem>

namespace fw {
namespace {
String& ExecutableOverride() {
  static String path;
  return path;
}
}  // namespace

Ref<FolderItem> Application::ExecutableFile() const {
  if (!ExecutableOverride().empty()) return New<FolderItem>(ExecutableOverride());
  // The kernel's link names the binary itself, with every symbolic link already resolved.
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return New<FolderItem>(String());
  return New<FolderItem>(exe.string());
}

void SetExecutableFileForTesting(const String& path) { ExecutableOverride() = path; }

}  // namespace fw
