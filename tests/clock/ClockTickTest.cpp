// The clock tick: the title, the minute picture and which voice branch plays.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "framework/Testing.h"
#include "framework/media/Sound.h"
#include "framework/ui/WindowImpl.h"
#include "support/ClockFixture.h"
#include "support/Pixels.h"

using testsupport::ClockFixture;
using testsupport::Payload;
using testsupport::Playing;

namespace {

// Colour of the backdrop at (x, y), as 0xRRGGBB; -1 without a backdrop.
int64_t BackdropAt(const fw::Ref<clockcore::mainWindow>& w, int x, int y) {
  auto b = w->Backdrop();
  return b ? int64_t(testsupport::PixelRgb(b, x, y)) : -1;
}

}  // namespace

class ClockTick : public ClockFixture {
 protected:
  void SetUp() override {
    MakePayload(Payload::Standard);
    // At 12:10 the serif schedule names actors 1 and 2, the minute schedule actor 3: two
    // playbacks mean the serif branch, one the minute branch.
    WriteTable("ActSerif.txt", "1200\t1\r1210\t1\r1210\t2\r0000\t1\r");
    WriteTable("ActTime.txt", "1210\t3\r1211\t3\r1211\t4\r1211\t13\r0000\t3\r");
    WriteTable("Alarm.txt", "one%09alarm01.mp3\r\ntwo%09alarm02.mp3\r\n");
    for (const char* f : {"st1210.mp3", "ot1210.mp3", "ot1211.mp3", "alarm02.mp3", "st0000.mp3"})
      WriteSound(f);
  }
  // Starts the clock at hh:mm:ss; no tick has run yet, and the first always does the minute work.
  fw::Ref<clockcore::mainWindow> StartAt(int hh, int mm, int ss = 5) {
    SetTime(hh, mm, ss);
    auto w = Start();
    return w;
  }
};

TEST_F(ClockTick, TitleEveryTickMinuteWorkOncePerMinute) {
  WritePicture("t1211.jpg", 64, 96, 0x00ff00);
  auto w = StartAt(12, 11, 1);
  Tick();
  EXPECT_EQ(w->Title(), "12:11:01");
  EXPECT_EQ(w->lastTime, "12:11");
  EXPECT_EQ(Playing(), 2);   // actors 3 and 4; the line naming actor 13 never plays
  w->readPicture = nullptr;  // a second minute work would load it again
  SetTime(12, 11, 2);
  Tick();
  EXPECT_EQ(w->Title(), "12:11:02");
  EXPECT_FALSE(w->readPicture);
}

TEST_F(ClockTick, FirstTickAtMidnightStillDoesTheMinuteWork) {
  WritePicture("t0000.jpg", 32, 32, 0x0000ff);
  auto w = StartAt(0, 0, 0);
  Tick();
  EXPECT_EQ(w->lastTime, "00:00");
  ASSERT_TRUE(w->readPicture);
  EXPECT_EQ(Playing(), 1);  // midnight is a ten-minute mark: the serif voice of 0000
}

TEST_F(ClockTick, VoiceModesAtTenMinuteMarkAndOtherMinutes) {
  using Files = std::vector<std::string>;
  const Files serif10 = {"st1210.mp3", "st1210.mp3"}, minute10 = {"ot1210.mp3"},
              minute11 = {"ot1211.mp3", "ot1211.mp3"}, none;
  struct Case {
    int mode, minute;
    Files played;
  } cases[] = {
      {0, 10, serif10},  {0, 11, minute11}, {1, 10, serif10}, {1, 11, none}, {2, 10, minute10},
      {2, 11, minute11}, {3, 10, none},     {3, 11, none},    {7, 10, none}, {-1, 11, none},
  };
  for (const auto& c : cases) {
    auto w = StartAt(12, c.minute);
    w->voiceMode = c.mode;
    TakePlayed();
    Tick();
    EXPECT_EQ(TakePlayed(), c.played) << "mode " << c.mode << " minute " << c.minute;
    Quit();
  }
}

TEST_F(ClockTick, DisabledActorsAndActorThirteenPlayNothing) {
  auto w = StartAt(12, 11);
  w->nameCheck(3) = false;  // actor 4
  Tick();
  EXPECT_EQ(Playing(), 1);  // actor 3 only; the line naming actor 13 never plays
}

TEST_F(ClockTick, ActorNumbersOutsideTheTableAreIgnored) {
  WriteTable("ActTime.txt", "1211\t0\r1211\t-5\r1211\t99999999999\r1211\tx\r1211\t1");
  auto w = StartAt(12, 11);
  Tick();
  // Only the last line names an actor; it has no closing CR and still plays.
  EXPECT_EQ(Playing(), 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClockTick, AlarmTakesThePlaceOfTheVoice) {
  auto w = StartAt(12, 10);
  w->alarmCheck = true;
  w->alarmHour = "12";
  w->alarmMin = "10";
  w->alarmVoice = 1;
  TakePlayed();
  Tick();
  EXPECT_EQ(TakePlayed(), std::vector<std::string>{"alarm02.mp3"});  // not the serif voices
}

TEST_F(ClockTick, AlarmWithMissingSoundOrBadIndexIsSilent) {
  for (int index : {0, 2, -1, 1000}) {
    auto w = StartAt(12, 10);
    w->alarmCheck = true;
    w->alarmHour = "12";
    w->alarmMin = "10";
    w->alarmVoice = index;
    Tick();
    EXPECT_EQ(Playing(), 0) << index;
    EXPECT_TRUE(Messages().empty());
    Quit();
  }
}

// Each case lacks one condition of the alarm at 12:10, so the serif voices play instead.
TEST_F(ClockTick, AlarmNeedsItsSwitchItsHourAndItsMinute) {
  const std::vector<std::string> serif = {"st1210.mp3", "st1210.mp3"};
  struct Case {
    bool on;
    const char *hour, *minute;
  } cases[] = {{false, "12", "10"}, {true, "12", "11"}, {true, "11", "10"}};
  for (const auto& c : cases) {
    auto w = StartAt(12, 10);
    w->alarmCheck = c.on;
    w->alarmHour = c.hour;
    w->alarmMin = c.minute;
    w->alarmVoice = 1;
    TakePlayed();
    Tick();
    EXPECT_EQ(TakePlayed(), serif) << c.on << " " << c.hour << ":" << c.minute;
    Quit();
  }
}

TEST_F(ClockTick, AlarmHourMustMatchAsTwoDigitText) {
  auto w = StartAt(7, 11);
  w->alarmCheck = true;
  w->alarmMin = "11";
  w->alarmVoice = 1;
  w->voiceMode = 3;
  for (const char* hour : {"7", "07"}) {
    w->alarmHour = hour;
    w->Click(0, 0);
    TakePlayed();
    Tick();
    EXPECT_EQ(TakePlayed().size(), hour == std::string("07") ? 1u : 0u) << hour;
  }
}

TEST_F(ClockTick, MissingSerifFileMeansSilenceEvenWithAMinuteVoice) {
  std::filesystem::remove(ActivePayload() / "st1210.mp3");
  auto w = StartAt(12, 10);
  Tick();
  EXPECT_EQ(Playing(), 0);
}

TEST_F(ClockTick, ClickRepeatsTheMinuteOnceHoweverManyClicks) {
  auto w = StartAt(12, 11);
  Tick();
  EXPECT_EQ(Playing(), 2);
  EXPECT_FALSE(w->Click(5, 5));
  EXPECT_FALSE(w->Click(6, 6));
  EXPECT_EQ(w->lastTime, "");
  Tick();
  EXPECT_EQ(Playing(), 4);
  Tick();
  EXPECT_EQ(Playing(), 4);
}

TEST_F(ClockTick, EveryMouseButtonRepeatsTheMinute) {
  auto w = StartAt(12, 11);
  QWidget* content = fw::ImplForTesting(*w).content;
  for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    Tick();
    ASSERT_EQ(w->lastTime, "12:11");
    const QPointF at(5, 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, content->mapToGlobal(at), button, button,
                      Qt::NoModifier);
    QApplication::sendEvent(content, &press);
    EXPECT_EQ(w->lastTime, "") << "button " << int(button);
  }
}

TEST_F(ClockTick, MinutePictureBecomesTheStretchedBackdrop) {
  WritePicture("t1211.jpg", 64, 96, 0xff0000);
  auto w = StartAt(12, 11);
  Tick();
  ASSERT_TRUE(w->readPicture);
  EXPECT_EQ(w->readPicture->Width(), 64);
  EXPECT_FALSE(w->backPicture);
  auto backdrop = w->Backdrop();
  ASSERT_TRUE(backdrop);
  EXPECT_EQ(backdrop->Width(), w->Width());
  EXPECT_EQ(backdrop->Height(), w->Height());
  EXPECT_NEAR(BackdropAt(w, 300, 400) >> 16, 0xff, 8);
}

TEST_F(ClockTick, MissingPictureKeepsTheBackdropCorruptOneEmptiesReadPicture) {
  WritePicture("t1211.jpg", 16, 16, 0xff0000);
  auto w = StartAt(12, 11);
  Tick();
  auto first = w->Backdrop();
  SetTime(12, 12);
  Tick();  // no t1212.jpg
  EXPECT_EQ(w->Backdrop().get(), first.get());
  EXPECT_TRUE(w->readPicture);
  dir_.Write("app/vanto-rimal/Payload/Vanto-Rimal3.app/t1213.jpg", "not a picture");
  SetTime(12, 13);
  Tick();
  EXPECT_FALSE(w->readPicture);
  EXPECT_EQ(w->Backdrop().get(), first.get());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClockTick, ResizeRedrawsFromReadPicture) {
  WritePicture("t1211.jpg", 16, 16, 0x0000ff);
  auto w = StartAt(12, 11);
  w->Event_Resized();  // nothing loaded yet: nothing happens
  EXPECT_FALSE(w->Backdrop());
  Tick();
  // The picture as it was opened, though its file is gone.
  std::filesystem::remove(ActivePayload() / "t1211.jpg");
  w->halfMenu_Action();
  fw::ProcessPendingEvents();  // the framework raises Resized after the size change
  ASSERT_TRUE(w->Backdrop());
  EXPECT_EQ(w->Backdrop()->Width(), 160);
  EXPECT_EQ(w->Backdrop()->Height(), 240);
  EXPECT_NEAR(BackdropAt(w, 80, 120) & 0xff, 0xff, 8);
}

// The timer runs on the framework's clock, held still by the test: it fires when that clock
// reaches its multiple, not when a period has passed on another clock.
TEST_F(ClockTick, FirstFiringComesAsTheEventLoopRunsWithTheWindowUp) {
  SetTime(12, 11, 1, 370);
  auto w = Start();
  fw::ProcessPendingEvents();
  EXPECT_EQ(w->Title(), "12:11:01");
  EXPECT_EQ(w->lastTime, "12:11");
}

TEST_F(ClockTick, TimerFiresOnTheHalfSecondsAndAlignsAgainAfterTheClockJumps) {
  using testsupport::ClockHarness;
  SetTime(12, 11, 1, 370);
  auto w = Start();
  auto timer = w->mainTimer();
  fw::ProcessPendingEvents();
  EXPECT_EQ(fw::NextTimerFiringForTesting(*timer), ClockHarness::At(12, 11, 1, 500));
  SetTime(12, 11, 1, 500);
  EXPECT_TRUE(fw::ProcessEventsUntil(
      [&] { return fw::NextTimerFiringForTesting(*timer) == ClockHarness::At(12, 11, 2); }, 5000));
  struct Jump {
    int hh, mm, ss, ms;
    const char* title;
  } jumps[] = {{14, 2, 7, 810, "14:02:07"}, {9, 30, 0, 20, "09:30:00"}};  // set forward, set back
  for (const auto& j : jumps) {
    SetTime(j.hh, j.mm, j.ss, j.ms);
    EXPECT_TRUE(fw::ProcessEventsUntil([&] { return w->Title() == j.title; }, 5000)) << j.title;
    const int next = j.ms < 500 ? 500 : 1000;
    EXPECT_EQ(fw::NextTimerFiringForTesting(*timer), ClockHarness::At(j.hh, j.mm, j.ss, next))
        << j.title;
  }
}
