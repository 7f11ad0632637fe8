// The clock settings file: defaults, the six lines written at close, and reading them back.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;
using testsupport::ReadFile;

class ClockPrefsFile : public ClockFixture {
 protected:
  void SetUp() override { MakePayload(Payload::Standard); }
  void WritePrefs(const std::string& text) { dir_.Write("config/vantoViewer3 Prefs", text); }
};

TEST_F(ClockPrefsFile, FirstRunWritesTheSixDefaultLines) {
  auto w = Start();
  for (int i = 0; i <= 11; ++i) EXPECT_TRUE(w->nameCheck(i));
  EXPECT_FALSE(w->nameCheck(12));
  Quit();
  EXPECT_EQ(ReadFile(PrefsFile()),
            "seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\n"
            "alarmVoice=0\nvoiceMode=0\n");
  EXPECT_EQ(fw::ExitStatus(), 0);
}

TEST_F(ClockPrefsFile, EveryValueThePreferencesWindowCanProduceRoundTrips) {
  struct Case {
    std::array<bool, 12> flags;
    bool alarm;
    std::string hour, minute;
    int sound, mode;
  };
  const Case cases[] = {
      {{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}, true, "24", "59", 71, 3},
      {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, false, "07", "00", 0, 1},
      {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, true, "00", "30", 35, 2},
  };
  for (const auto& c : cases) {
    auto w = Start();
    for (int i = 0; i <= 11; ++i) w->nameCheck(i) = c.flags[i];
    w->alarmCheck = c.alarm;
    w->alarmHour = c.hour;
    w->alarmMin = c.minute;
    w->alarmVoice = c.sound;
    w->voiceMode = c.mode;
    Quit();
    auto r = Start();
    for (int i = 0; i <= 11; ++i) EXPECT_EQ(r->nameCheck(i), c.flags[i]) << i;
    EXPECT_EQ(r->alarmCheck, c.alarm);
    EXPECT_EQ(r->alarmHour, c.hour);
    EXPECT_EQ(r->alarmMin, c.minute);
    EXPECT_EQ(r->alarmVoice, c.sound);
    EXPECT_EQ(r->voiceMode, c.mode);
    Quit();
  }
}

TEST_F(ClockPrefsFile, EmptyFileAndBlankLinesGiveTheDefaults) {
  // No lines, or only blank ones: no settings, as when there is no file (read by position,
  // a blank line would mute every voice and save empty alarm values).
  for (const std::string text : {"", "\n", "\r\n \t\n\n"}) {
    WritePrefs(text);
    auto w = Start();
    for (int i = 0; i <= 11; ++i) EXPECT_TRUE(w->nameCheck(i)) << i;
    EXPECT_FALSE(w->alarmCheck);
    EXPECT_EQ(w->alarmHour, "00");
    EXPECT_EQ(w->alarmMin, "00");
    EXPECT_EQ(w->alarmVoice, 0);
    Quit();
    EXPECT_EQ(ReadFile(PrefsFile()),
              "seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\n"
              "alarmVoice=0\nvoiceMode=0\n");
  }
}

TEST_F(ClockPrefsFile, FilesOfNulBytesGiveTheDefaultsAndAreRewritten) {
  // What a crash can leave: the file's length kept, its blocks zero (extended sparsely here),
  // with or without line ends among the zeros; the largest is a single line of over 64 MiB,
  // once too large to read at all.
  const struct {
    std::string start;
    uintmax_t size;
  } cases[] = {{"", 1}, {"", 4096}, {"", (64u << 20) + 1}, {std::string("\0\n\r\n\0", 5), 100}};
  for (const auto& c : cases) {
    WritePrefs(c.start);
    std::filesystem::resize_file(PrefsFile(), c.size);
    auto w = Start();
    for (int i = 0; i <= 11; ++i) EXPECT_TRUE(w->nameCheck(i)) << c.size << " " << i;
    EXPECT_FALSE(w->alarmCheck) << c.size;
    EXPECT_EQ(w->alarmHour, "00") << c.size;
    EXPECT_EQ(w->alarmMin, "00") << c.size;
    Quit();
    EXPECT_EQ(ReadFile(PrefsFile()),
              "seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\n"
              "alarmVoice=0\nvoiceMode=0\n");
  }
  // Zeros after the six lines leave the settings as they were: read, then written back.
  const std::string saved =
      "seiyuOn/Off=0,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=1\nalarmHour=07\nalarmMin=30\n"
      "alarmVoice=5\nvoiceMode=2\n";
  WritePrefs(saved);
  std::filesystem::resize_file(PrefsFile(), 4096);
  Start();
  Quit();
  EXPECT_EQ(ReadFile(PrefsFile()), saved);
}

TEST_F(ClockPrefsFile, LinesCountByPositionNotByKey) {
  WritePrefs(
      "alarmOn=1\nseiyuOn/Off=1,1\nalarmHour=7=8\nalarmMin= "
      "5\nalarmVoice=-3\nvoiceMode=9\nextra=1\n");
  auto w = Start();
  EXPECT_TRUE(w->nameCheck(0));  // line 1's value is the single flag "1"
  for (int i = 1; i <= 11; ++i) EXPECT_FALSE(w->nameCheck(i));
  EXPECT_FALSE(w->alarmCheck);   // line 2's value "1,1" is not "1"
  EXPECT_EQ(w->alarmHour, "7");  // up to the second "="
  EXPECT_EQ(w->alarmMin, " 5");  // kept as read
  EXPECT_EQ(w->alarmVoice, -3);
  EXPECT_EQ(w->voiceMode, 9);
  Quit();
  EXPECT_NE(ReadFile(PrefsFile()).find("alarmVoice=-3\n"), std::string::npos);
}

TEST_F(ClockPrefsFile, ShortLinesAndBlanksAfterCommas) {
  WritePrefs("seiyuOn/Off=1,0,1\r\nalarmOn=1\r\n");
  auto w = Start();
  EXPECT_TRUE(w->nameCheck(0));
  EXPECT_FALSE(w->nameCheck(1));
  EXPECT_TRUE(w->nameCheck(2));
  EXPECT_FALSE(w->nameCheck(3));
  EXPECT_TRUE(w->alarmCheck);  // CR LF line ends read as well
  EXPECT_EQ(w->alarmHour, "");
  Quit();
  WritePrefs("seiyuOn/Off=1, 1, 1\n");
  auto r = Start();
  EXPECT_TRUE(r->nameCheck(0));
  EXPECT_FALSE(r->nameCheck(1));
}

TEST_F(ClockPrefsFile, FailedWriteKeepsTheOldFileWholeAndStillEnds) {
  WritePrefs("seiyuOn/Off=0,1\nalarmOn=1\n");
  const std::string before = ReadFile(PrefsFile());
  auto w = Start();
  // A disk that takes only a few bytes more: the new file cannot be completed.
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit tiny = old;
  tiny.rlim_cur = 16;
  setrlimit(RLIMIT_FSIZE, &tiny);
  Quit();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFile(PrefsFile()), before);
  ASSERT_EQ(Messages().size(), 1u);  // one clear report
  EXPECT_NE(Messages()[0].find("IOException"), std::string::npos);
  EXPECT_EQ(fw::ExitStatus(), 1);
  EXPECT_TRUE(w->IsClosed());  // the application still ends
}
