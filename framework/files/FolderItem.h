#pragma once
// Files and folders by path. A folder item exists or not; the functions that give one never
// give nil: a path that cannot be named gives an item that names nothing and never exists.
#include <cstdint>

#include "framework/core/Object.h"
#include "framework/core/Strings.h"

namespace fw {

class TextInputStream;
class Picture;
class Sound;

inline constexpr int64_t kMaxTextFileBytes = 64LL * 1024 * 1024;

class FolderItem : public Object {
 public:
  explicit FolderItem(String path);
  std::string FullClassName() const override { return "FolderItem"; }

  // The child of that name. An empty name, ".", ".." or a name holding "/" or a NUL byte
  // names nothing that exists: a table entry can never reach outside its folder.
  Ref<FolderItem> Child(const String& name) const;
  Ref<FolderItem> Parent() const;
  bool Exists() const;
  bool Directory() const;
  // True for a regular file (links followed): not a folder, FIFO, device or socket.
  bool RegularFile() const;
  String Name() const;
  String NativePath() const { return path_; }

  // A stream at the start of the file, or nil when it cannot be read, is not a regular file
  // (a FIFO would block) or is larger than maxBytes (a stray huge file must not exhaust
  // memory; nothing the program reads comes near the default).
  Ref<TextInputStream> OpenAsTextFile(int64_t maxBytes = kMaxTextFileBytes) const;
  // The picture of the file at its own size, or nil when it is not a picture. Opened by the
  // media layer (framework/files/FileOpeners.h): a program without it opens none.
  Ref<Picture> OpenAsPicture() const;
  // The whole sound, decoded, or nil when it is not a sound; likewise opened by the media layer.
  Ref<Sound> OpenAsSound() const;

 private:
  String path_;  // empty: names nothing
};

// A relative name is resolved against the application folder: the folder two levels above
// the executable, the one that holds Resources/. Absolute paths stay as given.
Ref<FolderItem> GetFolderItem(const String& path, int32_t pathMode = 0);

namespace SpecialFolder {
// The user's preferences folder: $XDG_CONFIG_HOME, else ~/.config.
Ref<FolderItem> Preferences();
}  // namespace SpecialFolder

}  // namespace fw
