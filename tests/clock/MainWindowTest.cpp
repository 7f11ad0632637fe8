// The main window's class: its layout streams, its starting state and its one instance.
#include <gtest/gtest.h>

#include "app/MenuBar1.h"
#include "framework/Testing.h"
#include "framework/ui/Window.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

}  // namespace

TEST(MainWindowStreams, TimerStreamIsTheTwentyKnownBytes) {
  EXPECT_EQ(Hex(clockcore::mainWindow::TimerStream()),
            "4D 6F 64 65 20 00 00 00 02 50 65 72 69 6F 64 20 00 00 01 F4");
}

TEST(MainWindowStreams, WindowStreamHas21PairsIn275Bytes) {
  const auto& stream = clockcore::mainWindow::LayoutStream();
  EXPECT_EQ(stream.size(), 275u);
  auto pairs = fw::DecodePropertyStream(stream);
  ASSERT_EQ(pairs.size(), 21u);
  EXPECT_EQ(pairs.front().name, "Placement");
  EXPECT_EQ(pairs.back().name, "MacProcID");
  EXPECT_EQ(pairs[11].name, "Title");
  EXPECT_EQ(std::get<fw::String>(pairs[11].value), "00:00:00");
  EXPECT_EQ(std::get<fw::Colour>(pairs[10].value), (fw::Colour{0, 19, 255}));
  EXPECT_EQ(std::get<bool>(pairs[16].value), false);  // Resizeable
}

TEST(MainWindowState, InitialValuesBeforeTheWindowIsBuilt) {
  auto w = fw::New<clockcore::mainWindow>();
  EXPECT_EQ(w->seiyuName.Ubound(), 12);
  EXPECT_EQ(w->timeArray.Ubound(), 1440);
  EXPECT_EQ(w->serifArray.Ubound(), 96);
  EXPECT_EQ(w->alarmArray.Ubound(), 24);
  EXPECT_EQ(w->timeArray(1440), "");
  EXPECT_EQ(w->nameCheck.Ubound(), 12);
  for (int i = 0; i <= 12; ++i) EXPECT_FALSE(w->nameCheck(i));
  EXPECT_EQ(w->alarmHour, "00");
  EXPECT_EQ(w->alarmMin, "00");
  EXPECT_FALSE(w->alarmCheck);
  EXPECT_EQ(w->alarmVoice, 0);
  EXPECT_EQ(w->voiceMode, 0);
  EXPECT_FALSE(w->readPicture);
  EXPECT_FALSE(w->backPicture);
  EXPECT_FALSE(w->dataPath);
  EXPECT_EQ(w->lastTime, "00:00:00");
}

class MainWindowBuild : public ClockFixture {};

TEST_F(MainWindowBuild, OneWindowWhoeverAsks) {
  MakePayload(Payload::Standard);
  auto w = Start();
  // Open asked the accessor for the window while it was being built: still one window.
  EXPECT_EQ(fw::OpenWindowsForTesting().size(), 1u);
  EXPECT_EQ(::mainWindow().get(), w.get());
  EXPECT_EQ(::mainWindow().get(), w.get());
  EXPECT_EQ(fw::OpenWindowsForTesting().size(), 1u);
}

TEST_F(MainWindowBuild, LayoutTimerAndMenuBarAfterTheBuild) {
  MakePayload(Payload::Standard);
  auto w = Start();
  EXPECT_EQ(w->Title(), "00:00:00");  // no tick has run yet
  EXPECT_FALSE(w->Resizeable());
  EXPECT_TRUE(w->CloseButton());
  auto timer = w->mainTimer();
  EXPECT_EQ(timer->Mode(), 2);
  EXPECT_EQ(timer->Period(), 500);
  EXPECT_EQ(timer->FullClassName(), "mainWindow.mainTimer");
  // The application and the window share the one menu bar.
  EXPECT_EQ(w->MenuBar().get(), ::MenuBar1().get());
}

TEST_F(MainWindowBuild, TimerFiringAfterItsWindowIsGoneDoesNothingHarmful) {
  MakePayload(Payload::Standard);
  auto w = Start();
  auto timer = w->mainTimer();
  Quit();
  const auto before = Messages().size();
  w.reset();
  // The connection holds the window weakly: the firing raises, the framework reports it.
  fw::FireTimerForTesting(*timer);
  ASSERT_EQ(Messages().size(), before + 1);
  EXPECT_NE(Messages().back().find("NilObjectException"), std::string::npos);
}
