#include "Application.h"

#include <filesystem>

#include "ApplicationImpl.h"
#include "Testing.h"

namespace fw {
namespace {
String& ExecutableOverride() {
  static String path;
  return path;
}

// Everything that asks where the program lives starts here.
String ExecutablePath() {
  if (!ExecutableOverride().empty()) return ExecutableOverride();
  // The kernel's link names the binary itself, with every symbolic link already resolved.
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return String();
  return exe.string();
}
}  // namespace

Ref<FolderItem> Application::ExecutableFile() const { return New<FolderItem>(ExecutablePath()); }

String ApplicationFolder() { return New<FolderItem>(ExecutablePath())->Parent()->Parent()->NativePath(); }

void SetExecutableFileForTesting(const String& path) { ExecutableOverride() = path; }

}  // namespace fw
