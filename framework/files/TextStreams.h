#pragma once
#include <memory>

#include "framework/core/Object.h"
#include "framework/core/Strings.h"
#include "framework/files/FolderItem.h"

namespace fw {

class TextInputStream : public Object {
 public:
  explicit TextInputStream(String bytes) : bytes_(std::move(bytes)) {}
  std::string FullClassName() const override { return "TextInputStream"; }
  // A stream over the file's first maxBytes (all of a shorter file), or nil when
  // OpenAsTextFile would give nil for any reason but size: for a format of a few short lines,
  // whose file, however large it has become, costs no more memory than maxBytes. A nil item
  // raises NilObjectException.
  static Ref<TextInputStream> OpenStart(const Ref<FolderItem>& file, int64_t maxBytes);
  // Everything from the current position, byte for byte.
  String ReadAll();
  // The next line without its end (LF, CR LF or a bare CR); "" once at the end.
  String ReadLine();
  // True once everything has been read. (Not named EOF: <cstdio> defines that as a macro.)
  bool EndOfFile() const { return pos_ >= bytes_.size(); }
  void Close() {}

 private:
  String bytes_;
  size_t pos_ = 0;
};

// Writes a text file atomically: the lines go to a temporary file beside the target, which
// replaces the target only when Close succeeds. A stream dropped without Close leaves the
// old file as it was. A link to a file is followed and stays a link; anything but a regular
// file in the target's place (a folder, FIFO, device or socket) is never replaced. Failures
// raise IOException.
class TextOutputStream : public Object {
 public:
  ~TextOutputStream() override;
  std::string FullClassName() const override { return "TextOutputStream"; }
  // Creates the parent folder when it is missing. A nil item raises NilObjectException.
  static Ref<TextOutputStream> Create(const Ref<FolderItem>& file);
  void WriteLine(const String& line);  // the line, then LF
  void Close();

  struct Impl;
  explicit TextOutputStream(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace fw
