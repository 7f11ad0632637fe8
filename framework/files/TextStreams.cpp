#include "framework/files/TextStreams.h"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

#include "framework/files/RegularFile.h"
#include "framework/files/detail/AtomicFile.h"

namespace fw {

// Opened here, beside the stream it makes, so that folder items need not know the streams.
Ref<TextInputStream> FolderItem::OpenAsTextFile(int64_t maxBytes) const {
  std::optional<String> bytes = ReadWholeRegularFile(path_, maxBytes);
  if (!bytes) return nullptr;
  return New<TextInputStream>(std::move(*bytes));
}

Ref<TextInputStream> TextInputStream::OpenStart(const Ref<FolderItem>& file, int64_t maxBytes) {
  if (!file) throw NilObjectException("TextInputStream.OpenStart of a nil FolderItem");
  std::optional<String> bytes = ReadRegularFileStart(file->NativePath(), maxBytes);
  if (!bytes) return nullptr;
  return New<TextInputStream>(std::move(*bytes));
}

String TextInputStream::ReadAll() {
  if (pos_ >= bytes_.size()) return String();
  String rest = bytes_.substr(pos_);
  pos_ = bytes_.size();
  return rest;
}

String TextInputStream::ReadLine() {
  if (pos_ >= bytes_.size()) return String();
  const size_t end = bytes_.find_first_of("\r\n", pos_);
  if (end == String::npos) {
    String line = bytes_.substr(pos_);
    pos_ = bytes_.size();
    return line;
  }
  String line = bytes_.substr(pos_, end - pos_);
  pos_ = end + 1;
  if (bytes_[end] == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
  return line;
}

struct TextOutputStream::Impl {
  explicit Impl(const String& p) : path(p), file(p) {}
  String path;
  AtomicFile file;
  bool closed = false;
};

TextOutputStream::TextOutputStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// Without Close the temporary file goes and the old file stays as it was.
TextOutputStream::~TextOutputStream() = default;

Ref<TextOutputStream> TextOutputStream::Create(const Ref<FolderItem>& file) {
  if (!file) throw NilObjectException("TextOutputStream.Create of a nil FolderItem");
  const String path = file->NativePath();
  if (path.empty()) throw IOException("cannot write a file that names nothing", ENOENT);

  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec)
      throw IOException("cannot create the folder for \"" + path + "\": " + ec.message(),
                        ec.value());
  }
  return New<TextOutputStream>(std::make_unique<Impl>(path));
}

void TextOutputStream::WriteLine(const String& line) {
  if (impl_->closed) throw IOException("write to the closed file \"" + impl_->path + "\"", EBADF);
  String bytes;
  bytes.reserve(line.size() + 1);
  bytes.append(line);
  bytes.push_back('\n');
  impl_->file.Write(bytes);
}

void TextOutputStream::Close() {
  if (impl_->closed) return;
  impl_->closed = true;
  impl_->file.Commit();
}

}  // namespace fw
