#include "framework/files/FolderItem.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "framework/files/ExecutablePath.h"
#include "framework/files/FileOpeners.h"

namespace fw {

namespace fs = std::filesystem;

namespace {

// "/a/b/" and "/a/b" name the same item; keep one spelling so Name and Parent agree. A NUL
// byte would cut the path short at the system call, so such a path names nothing.
String CleanPath(String path) {
  if (path.find('\0') != String::npos) return String();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool ValidChildName(const String& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == String::npos &&
         name.find('\0') == String::npos;
}

Ref<FolderItem> NamesNothing() { return New<FolderItem>(String()); }

// Set before main by the media layer, and read only after: constant-initialised, so they are
// none until then whatever order the static initialisers run in.
constinit PictureOpener gPictureOpener = nullptr;
constinit SoundOpener gSoundOpener = nullptr;

}  // namespace

void InstallFileOpeners(PictureOpener picture, SoundOpener sound) {
  gPictureOpener = picture;
  gSoundOpener = sound;
}

FolderItem::FolderItem(String path) : path_(CleanPath(std::move(path))) {}

Ref<FolderItem> FolderItem::Child(const String& name) const {
  if (path_.empty() || !ValidChildName(name)) return NamesNothing();
  return New<FolderItem>((fs::path(path_) / name).string());
}

Ref<FolderItem> FolderItem::Parent() const {
  if (path_.empty()) return NamesNothing();
  std::error_code ec;
  fs::path p(path_);
  if (p.is_relative()) {
    p = fs::absolute(p, ec);
    if (ec) return NamesNothing();
  }
  p = p.lexically_normal();
  if (p == p.root_path()) return NamesNothing();  // the root has no parent
  const String s = CleanPath(p.string());
  return New<FolderItem>(fs::path(s).parent_path().string());
}

bool FolderItem::Exists() const {
  if (path_.empty()) return false;
  std::error_code ec;
  return fs::exists(path_, ec);  // follows links: a broken link does not exist
}

bool FolderItem::Directory() const {
  if (path_.empty()) return false;
  std::error_code ec;
  return fs::is_directory(path_, ec);
}

bool FolderItem::RegularFile() const {
  if (path_.empty()) return false;
  std::error_code ec;
  return fs::is_regular_file(path_, ec);
}

Ref<Picture> FolderItem::OpenAsPicture() const {
  return gPictureOpener ? gPictureOpener(path_) : nullptr;
}

Ref<Sound> FolderItem::OpenAsSound() const { return gSoundOpener ? gSoundOpener(path_) : nullptr; }

String FolderItem::Name() const {
  if (path_.empty()) return String();
  return fs::path(path_).filename().string();
}

// The application folder, climbed from the executable exactly as Application::ExecutableFile()
// ->Parent()->Parent() climbs, so a name resolved against it and a climb from the executable
// always meet in the same folder. Empty when the executable cannot be found.
static String ApplicationFolder() {
  return New<FolderItem>(ExecutablePath())->Parent()->Parent()->NativePath();
}

Ref<FolderItem> GetFolderItem(const String& path, int32_t /*pathMode*/) {
  if (!path.empty() && path.front() == '/') return New<FolderItem>(path);
  const String base = ApplicationFolder();
  if (base.empty()) return NamesNothing();
  if (path.empty()) return New<FolderItem>(base);
  return New<FolderItem>((fs::path(base) / path).lexically_normal().string());
}

namespace SpecialFolder {

Ref<FolderItem> Preferences() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return New<FolderItem>(xdg);
  String home;
  if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
    home = h;
  } else {
    // No usable $HOME (a service, a stripped environment): ask the user database.
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16 * 1024);
    if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/')
      home = found->pw_dir;
  }
  if (home.empty()) return NamesNothing();
  return New<FolderItem>((fs::path(home) / ".config").string());
}

}  // namespace SpecialFolder

}  // namespace fw
