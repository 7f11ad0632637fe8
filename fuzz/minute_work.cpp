// The minute work on tables and settings from the input: the four text tables and the
// settings file are written where the clock reads them, the main window's Open loads them
// as at start-up (the real table pipeline and settings reader), then the minute work runs
// for the minutes the input names: the picture, the alarm, the serif and minute voices and
// the schedule scan. The payload holds a few real, empty and broken files for minutes around
// 12:00, so every branch meets files it can and cannot use.
//
// Input: sections separated by the byte 0x1E: ActTime.txt, ActSerif.txt, Alarm.txt,
// ActMain.txt, the settings file, then the minutes, two bytes each (hour mod 24, minute
// mod 60), at most eight.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzClock.h"
#include "framework/Testing.h"
#include "mediagen/MediaGen.h"

namespace {

constexpr const char* kTarget = "minute_work";

void FillPayload(const std::filesystem::path& p) {
  auto need = [](bool ok, const char* what) {
    if (!ok) fuzzclock::Fail(kTarget, std::string("cannot make ") + what);
  };
  need(mediagen::WriteSolidJpeg((p / "t1200.jpg").string(), 16, 24, 0x3366CC), "t1200.jpg");
  need(mediagen::WriteSolidJpeg((p / "t1210.jpg").string(), 4000, 1, 0x3366CC), "t1210.jpg");
  const mediagen::Pcm blip = mediagen::Tone(660, 0.02, 8000);
  for (const char* name : {"st1200.mp3", "ot1201.mp3", "ot1159.mp3", "alarm01.mp3", "alarm02.mp3"})
    need(mediagen::WriteMp3((p / name).string(), blip, 32), name);
  fuzzclock::WriteFile(p / "t1201.jpg", "");
  fuzzclock::WriteFile(p / "ot1202.mp3", "");
  fuzzclock::WriteFile(p / "st1220.mp3", "ID3\x03\x00\x00\x00\x00\x00\x00 not an mp3");
  fuzzclock::WriteFile(p / "t1202.jpg", "\xFF\xD8\xFF\xE0 truncated");
  std::filesystem::create_directories(p / "st1210.mp3");
  std::filesystem::create_directories(p / "t1159.jpg");
  std::filesystem::create_directories(p / "alarm03.mp3");
}

std::vector<std::string_view> Sections(std::string_view input) {
  std::vector<std::string_view> out;
  size_t start = 0;
  for (;;) {
    const size_t at = input.find('\x1e', start);
    if (at == std::string_view::npos) break;
    out.push_back(input.substr(start, at - start));
    start = at + 1;
  }
  out.push_back(input.substr(start));
  out.resize(6);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzclock::Setup setup;
  setup.fillPayload = FillPayload;
  auto& clock = fuzzclock::Start(setup);
  const auto s = Sections(std::string_view(reinterpret_cast<const char*>(data), size));
  fuzzclock::WriteFile(clock.Resources() / "ActTime.txt", s[0]);
  fuzzclock::WriteFile(clock.Resources() / "ActSerif.txt", s[1]);
  fuzzclock::WriteFile(clock.Resources() / "Alarm.txt", s[2]);
  fuzzclock::WriteFile(clock.Resources() / "ActMain.txt", s[3]);
  fuzzclock::WriteFile(clock.PrefsFile(), s[4]);

  std::vector<std::string> times;
  for (size_t i = 0; i + 1 < s[5].size() && times.size() < 8; i += 2) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:00", static_cast<unsigned char>(s[5][i]) % 24,
                  static_cast<unsigned char>(s[5][i + 1]) % 60);
    times.push_back(text);
  }
  if (times.empty()) times = {"12:00:00", "12:01:00"};

  fuzzclock::Guarded(kTarget, [&] {
    fuzzclock::Reopen(clock, true);
    for (const auto& t : times) {
      clock.window->MinuteWork(t);
      if (clock.window->lastTime != t.substr(0, 5))
        fuzzclock::Fail(kTarget, "the minute work did not record its minute");
    }
  });
  // Backdrop repaints and the sound list's upkeep wait in Qt's queue.
  static unsigned runs = 0;
  if (++runs % 64 == 0) fw::ProcessPendingEvents();
  return 0;
}
