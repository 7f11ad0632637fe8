#include "TextStreams.h"

#include <QSaveFile>
#include <QString>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fw {

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
  explicit Impl(const String& p) : path(p), file(QString::fromStdString(p)) {}
  String path;
  QSaveFile file;
  bool closed = false;
};

namespace {

// QSaveFile reports failures as text; the system call's errno is usually still set when it
// returns, otherwise EIO stands in.
int LastErrno() { return errno != 0 ? errno : EIO; }

[[noreturn]] void Fail(const String& what, const String& path, const QString& detail, int code) {
  String message = what + " \"" + path + "\"";
  if (!detail.isEmpty()) message += ": " + detail.toStdString();
  throw IOException(message, code);
}

}  // namespace

TextOutputStream::TextOutputStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TextOutputStream::~TextOutputStream() {
  // Without Close the temporary file goes and the old file stays as it was.
  if (impl_ && !impl_->closed) impl_->file.cancelWriting();
}

Ref<TextOutputStream> TextOutputStream::Create(const Ref<FolderItem>& file) {
  if (!file) throw NilObjectException("TextOutputStream.Create of a nil FolderItem");
  const String path = file->NativePath();
  if (path.empty()) throw IOException("cannot write a file that names nothing", ENOENT);

  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    if (ec)
      Fail("cannot create the folder for", path, QString::fromStdString(ec.message()),
           ec.value());
  }

  auto impl = std::make_unique<Impl>(path);
  errno = 0;
  if (!impl->file.open(QIODevice::WriteOnly))
    Fail("cannot open for writing", path, impl->file.errorString(), LastErrno());
  return New<TextOutputStream>(std::move(impl));
}

void TextOutputStream::WriteLine(const String& line) {
  if (impl_->closed) throw IOException("write to the closed file \"" + impl_->path + "\"", EBADF);
  String bytes;
  bytes.reserve(line.size() + 1);
  bytes.append(line);
  bytes.push_back('\n');
  errno = 0;
  const qint64 written = impl_->file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  if (written != static_cast<qint64>(bytes.size()))
    Fail("cannot write to", impl_->path, impl_->file.errorString(), LastErrno());
}

void TextOutputStream::Close() {
  if (impl_->closed) return;
  impl_->closed = true;
  errno = 0;
  // Flushed here, not inside commit: a flush that fails there (a full disk) does not stop
  // the rename, and a truncated file would replace a whole one.
  if (!impl_->file.flush()) {
    const int code = LastErrno();
    const QString reason = impl_->file.errorString();
    impl_->file.cancelWriting();
    Fail("cannot save", impl_->path, reason, code);
  }
  if (!impl_->file.commit())
    Fail("cannot save", impl_->path, impl_->file.errorString(), LastErrno());
}

}  // namespace fw
