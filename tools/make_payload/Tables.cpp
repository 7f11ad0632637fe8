#include "make_payload/Tables.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

namespace payload {
namespace {

bool ReadWhole(const std::string& path, QByteArray& bytes, std::string& error) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    error = "cannot read " + path;
    return false;
  }
  bytes = file.readAll();
  return true;
}

// The generated files are written into the payload folder under this name, so it must stay
// a plain file name there.
bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

bool IsPictureKey(const std::string& key) {
  if (key.empty()) return false;
  for (char c : key) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::vector<std::vector<QString>> SplitEncodedTable(const QByteArray& raw) {
  const QString text = QString::fromUtf8(QByteArray::fromPercentEncoding(raw));
  QStringList lines = text.split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  std::vector<std::vector<QString>> table;
  table.reserve(size_t(lines.size()));
  for (const QString& line : lines) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    table.emplace_back(fields.begin(), fields.end());
  }
  return table;
}

bool LoadActors(const std::string& resourcesDir, std::vector<Actor>& actors, std::string& error) {
  const std::string path = resourcesDir + "/ActMain.txt";
  QByteArray raw;
  if (!ReadWhole(path, raw, error)) return false;
  actors.clear();
  int lineNo = 0;
  for (const auto& fields : SplitEncodedTable(raw)) {
    ++lineNo;
    if (fields.size() < 3) continue;  // a line without a key names no pictures
    const std::string key = fields[2].toStdString();
    if (!IsPictureKey(key)) {
      error = path + ": line " + std::to_string(lineNo) + ": picture key \"" + key +
              "\" is not plain ASCII letters and digits";
      return false;
    }
    actors.push_back({fields[1], key});
  }
  if (actors.empty()) {
    error = path + ": no voice actor lines (id TAB name TAB key, percent-encoded, CR LF)";
    return false;
  }
  return true;
}

bool LoadAlarms(const std::string& resourcesDir, std::vector<AlarmEntry>& alarms,
                std::string& error) {
  const std::string path = resourcesDir + "/Alarm.txt";
  QByteArray raw;
  if (!ReadWhole(path, raw, error)) return false;
  alarms.clear();
  int lineNo = 0;
  for (const auto& fields : SplitEncodedTable(raw)) {
    ++lineNo;
    if (fields.size() < 2 || fields[1].isEmpty()) continue;
    const std::string file = fields[1].toStdString();
    if (!IsPlainFileName(file)) {
      error =
          path + ": line " + std::to_string(lineNo) + ": \"" + file + "\" is not a plain file name";
      return false;
    }
    alarms.push_back({fields[0], file});
  }
  if (alarms.empty()) {
    error = path + ": no alarm lines (label TAB file name, percent-encoded, CR LF)";
    return false;
  }
  return true;
}

}  // namespace payload
