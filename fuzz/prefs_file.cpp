// The clock settings file, through the real reader and writer: the input is put where the
// settings file lives and the main window's Open reads it, as at start-up. Whatever it
// holds, the clock takes some settings from it without an error; the file the Close
// handler then writes is six lines, and reading that file back gives the same settings and,
// written again, the same bytes: settings survive any number of restarts unchanged.
#include <array>
#include <cstdint>
#include <string>

#include "FuzzClock.h"

namespace {

constexpr const char* kTarget = "prefs_file";

struct Settings {
  std::array<bool, 12> names{};
  bool alarm = false;
  std::string hour, minute;
  int32_t sound = 0, mode = 0;
  friend bool operator==(const Settings&, const Settings&) = default;
};

Settings Take(const clockcore::mainWindow& w) {
  Settings s;
  for (int32_t i = 0; i < 12; ++i) s.names[static_cast<size_t>(i)] = w.nameCheck(i);
  s.alarm = w.alarmCheck;
  s.hour = w.alarmHour;
  s.minute = w.alarmMin;
  s.sound = w.alarmVoice;
  s.mode = w.voiceMode;
  return s;
}

void CheckSixLines(const std::string& file) {
  static const char* const kKeys[] = {
      "seiyuOn/Off=", "alarmOn=", "alarmHour=", "alarmMin=", "alarmVoice=", "voiceMode="};
  size_t pos = 0;
  for (const char* key : kKeys) {
    if (file.compare(pos, std::char_traits<char>::length(key), key) != 0)
      fuzzclock::Fail(kTarget, std::string("written file lacks the line ") + key);
    const size_t end = file.find('\n', pos);
    if (end == std::string::npos) fuzzclock::Fail(kTarget, "written file has an unfinished line");
    if (file.find('\r', pos) < end) fuzzclock::Fail(kTarget, "written value holds a CR");
    pos = end + 1;
  }
  if (pos != file.size()) fuzzclock::Fail(kTarget, "written file has more than six lines");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto& clock = fuzzclock::Start({});
  fuzzclock::WriteFile(clock.PrefsFile(),
                       std::string_view(reinterpret_cast<const char*>(data), size));

  Settings first, second;
  std::string written, rewritten;
  fuzzclock::Guarded(kTarget, [&] {
    fuzzclock::Reopen(clock, false);
    first = Take(*clock.window);
    fuzzclock::WriteSettings(clock);
    written = fuzzclock::ReadFile(clock.PrefsFile());
    fuzzclock::Reopen(clock, false);
    second = Take(*clock.window);
    fuzzclock::WriteSettings(clock);
    rewritten = fuzzclock::ReadFile(clock.PrefsFile());
  });
  CheckSixLines(written);
  if (!(first == second)) fuzzclock::Fail(kTarget, "settings read back differ from those written");
  if (written != rewritten)
    fuzzclock::Fail(kTarget, "writing the settings read back changes the file");
  return 0;
}
