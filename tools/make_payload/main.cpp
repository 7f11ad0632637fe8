// make_payload: writes a demo data payload folder for the clock (minute pictures, face and
// signature pictures, minute and serif voices, alarm sounds) from the shipped tables.
//
//   make_payload --out DIR [--resources DIR] [--size WxH] [--minutes HHMM-HHMM] [--jobs N]
//   [--no-voices]
//
// The same tables and options always give the same files, whatever the number of jobs.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "make_payload/AlarmSounds.h"
#include "make_payload/Parallel.h"
#include "make_payload/Pictures.h"
#include "make_payload/Tables.h"
#include "make_payload/Voices.h"
#include "mediagen/MediaGen.h"

namespace {

using namespace payload;

constexpr int kJpegQuality = 85;
constexpr int kVoiceKbps = 48;
constexpr int kAlarmKbps = 64;

struct Options {
  std::string out;
  std::string resources;
  QSize size{640, 960};
  int firstMinute = 0, lastMinute = 24 * 60 - 1;
  int jobs = 0;
  bool voices = true;
};

const char* const kUsage =
    "usage: make_payload --out DIR [--resources DIR] [--size WxH] [--minutes HHMM-HHMM]\n"
    "                    [--jobs N] [--no-voices]\n"
    "  --out DIR          payload folder to write (made when missing)\n"
    "  --resources DIR    folder with ActMain.txt and Alarm.txt (default: ./Resources, then\n"
    "                     the source tree's Resources)\n"
    "  --size WxH         size of the minute pictures (default 640x960)\n"
    "  --minutes A-B      only the minutes A to B (HHMM, inclusive) get pictures and voices\n"
    "  --jobs N           worker threads (default: one per processor)\n"
    "  --no-voices        no spoken voices (espeak-ng is then not needed)\n";

int Fail(const std::string& message, int code = 1) {
  std::fprintf(stderr, "make_payload: %s\n", message.c_str());
  return code;
}

bool ParseMinute(const QString& text, int& minuteOfDay) {
  static const QRegularExpression hhmm(QStringLiteral("^([01][0-9]|2[0-3])([0-5][0-9])$"));
  const auto match = hhmm.match(text);
  if (!match.hasMatch()) return false;
  minuteOfDay = match.captured(1).toInt() * 60 + match.captured(2).toInt();
  return true;
}

// Empty on success, else what is wrong with the command line.
std::string ParseOptions(const QStringList& args, Options& o) {
  for (int i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    auto value = [&](QString& v) {
      if (i + 1 >= args.size()) return false;
      v = args[++i];
      return true;
    };
    QString v;
    if (arg == QLatin1String("--no-voices")) {
      o.voices = false;
    } else if (arg == QLatin1String("--out")) {
      if (!value(v) || v.isEmpty()) return "--out needs a folder";
      o.out = v.toStdString();
    } else if (arg == QLatin1String("--resources")) {
      if (!value(v) || v.isEmpty()) return "--resources needs a folder";
      o.resources = v.toStdString();
    } else if (arg == QLatin1String("--size")) {
      static const QRegularExpression wxh(QStringLiteral("^([0-9]{1,4})x([0-9]{1,4})$"));
      const auto m = value(v) ? wxh.match(v) : QRegularExpressionMatch();
      if (!m.hasMatch() || m.captured(1).toInt() < 16 || m.captured(2).toInt() < 16)
        return "--size needs WIDTHxHEIGHT, each 16 to 9999, e.g. 640x960";
      o.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    } else if (arg == QLatin1String("--minutes")) {
      const QStringList ends = value(v) ? v.split(QLatin1Char('-')) : QStringList();
      if (ends.size() != 2 || !ParseMinute(ends[0], o.firstMinute) ||
          !ParseMinute(ends[1], o.lastMinute) || o.firstMinute > o.lastMinute)
        return "--minutes needs HHMM-HHMM, the first not after the last, e.g. 1200-1203";
    } else if (arg == QLatin1String("--jobs")) {
      bool ok = false;
      o.jobs = value(v) ? v.toInt(&ok) : 0;
      if (!ok || o.jobs < 1 || o.jobs > 256) return "--jobs needs a number from 1 to 256";
    } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      return "help";
    } else {
      return "unknown argument " + arg.toStdString();
    }
  }
  if (o.out.empty()) return "--out is required";
  return {};
}

std::string FindResources(const std::string& given) {
  if (!given.empty()) return given;
  const std::filesystem::path source =
      std::filesystem::path(__FILE__).parent_path() / "../../Resources";
  for (const std::filesystem::path& dir : {std::filesystem::path("Resources"), source})
    if (std::filesystem::exists(dir / "ActMain.txt")) return dir.lexically_normal().string();
  return "Resources";  // the loader names it in its message
}

std::string Hhmm(int minuteOfDay) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d%02d", minuteOfDay / 60 % 24, minuteOfDay % 60);
  return text;
}

bool SaveJpeg(const std::string& path, const QImage& image, std::string& error) {
  if (mediagen::WriteJpeg(path, image, kJpegQuality)) return true;
  error = "cannot write " + path;
  return false;
}

bool SaveMp3(const std::string& path, const mediagen::Pcm& pcm, int kbps, std::string& error) {
  if (mediagen::WriteMp3(path, pcm, kbps)) return true;
  error = "cannot write " + path;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Pictures need fonts and fonts need a GUI application, but never a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  Options o;
  const std::string problem = ParseOptions(app.arguments(), o);
  if (problem == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!problem.empty()) {
    std::fputs(kUsage, stderr);
    return Fail(problem, 2);
  }
  if (o.jobs == 0) o.jobs = int(std::max(1u, std::thread::hardware_concurrency()));

  const auto started = std::chrono::steady_clock::now();
  const std::string resources = FindResources(o.resources);
  std::vector<Actor> actors;
  std::vector<AlarmEntry> alarms;
  std::string error;
  if (!LoadActors(resources, actors, error) || !LoadAlarms(resources, alarms, error))
    return Fail(error);
  if (const QStringList missing = MissingFonts(); !missing.isEmpty())
    return Fail("missing font " + missing.join(QStringLiteral(", ")).toStdString() +
                " (install the Debian package fonts-noto-cjk)");
  if (!QDir().mkpath(QString::fromStdString(o.out))) return Fail("cannot make the folder " + o.out);
  const std::string dir =
      QFileInfo(QString::fromStdString(o.out)).absoluteFilePath().toStdString() + "/";

  SpeechBank speech;
  if (o.voices && !SpeakAll(AllPhrases(), o.jobs, speech, error)) return Fail(error);

  // One task per file; each task's output depends on nothing but its own inputs.
  std::vector<std::function<bool(std::string&)>> tasks;
  int pictures = 0, voices = 0;
  for (int m = o.firstMinute; m <= o.lastMinute; ++m) {
    tasks.push_back([&, m](std::string& e) {
      return SaveJpeg(dir + "t" + Hhmm(m) + ".jpg", MinutePicture(m, o.size), e);
    });
    ++pictures;
    if (!o.voices) continue;
    tasks.push_back([&, m](std::string& e) {
      return SaveMp3(dir + "ot" + Hhmm(m) + ".mp3", MinuteCall(speech, m), kVoiceKbps, e);
    });
    ++voices;
    if (m % 10 != 0) continue;
    tasks.push_back([&, m](std::string& e) {
      return SaveMp3(dir + "st" + Hhmm(m) + ".mp3", SerifCall(speech, m), kVoiceKbps, e);
    });
    ++voices;
  }
  for (size_t a = 0; a < actors.size(); ++a) {
    tasks.push_back([&, a](std::string& e) {
      return SaveJpeg(dir + "seiyuicon_" + actors[a].key + ".jpg", FacePicture(actors[a], int(a)),
                      e);
    });
    tasks.push_back([&, a](std::string& e) {
      return SaveJpeg(dir + "sign_" + actors[a].key + ".jpg", SignPicture(actors[a], int(a)), e);
    });
    pictures += 2;
  }
  std::set<std::string> alarmFiles;  // an entry that repeats a name reuses the first one's sound
  for (size_t i = 0; i < alarms.size(); ++i) {
    if (!alarmFiles.insert(alarms[i].file).second) continue;
    tasks.push_back([&, i](std::string& e) {
      return SaveMp3(dir + alarms[i].file, AlarmSound(int(i)), kAlarmKbps, e);
    });
  }

  if (!RunParallel(
          tasks.size(), o.jobs, [&](size_t i, std::string& e) { return tasks[i](e); }, error))
    return Fail(error);

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("make_payload: %d pictures, %d voices, %zu alarm sounds in %s (%.1f s, %d jobs)\n",
              pictures, voices, alarmFiles.size(), dir.c_str(), seconds, o.jobs);
  return 0;
}
