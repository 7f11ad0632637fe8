#pragma once
// Internal to the framework: replacing a file whole. Only POSIX calls on the path's bytes, so
// a folder whose name is not UTF-8 works like any other. The content goes to a temporary file
// in the target's folder, which takes the target's place only once it is written and synced:
// the target is always the old file or the new one, whole.
#include <string>
#include <string_view>

namespace fw {

class AtomicFile {
 public:
  // Starts replacing `path`; the folder must exist. Its links are followed, so that a link
  // kept in its place (into a dotfiles folder, say) stays a link and the file it points to
  // gets the new content; a dangling link's file is created. Only a regular file is ever
  // replaced: a folder, FIFO, device or socket there raises IOException, as does any failure.
  explicit AtomicFile(const std::string& path);
  // Without a successful Commit the temporary file goes and the target stays as it was.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  void Write(std::string_view bytes);
  // Syncs the new content and puts it in the target's place. On failure (IOException) the
  // target stays as it was.
  void Commit();

 private:
  void SyncAndReplace();
  void Abandon();

  std::string shown_;      // the path as given, for reports
  std::string target_;     // the file replaced: the path with its links followed
  std::string temporary_;  // empty once renamed or removed
  int fd_ = -1;
};

}  // namespace fw
