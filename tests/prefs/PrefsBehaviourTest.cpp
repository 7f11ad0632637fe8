// What the preferences window does with the running clock behind it: showing the settings,
// OK and Cancel, the alarm preview and the signature picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "PrefsTestSupport.h"
#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "support/Pixels.h"

using prefstest::PrefsFixture;
using testsupport::Playing;

namespace {

// A pixel's colour, rounded to what survives JPEG coding.
uint32_t Colour(const fw::Ref<fw::Picture>& picture, int x = 3, int y = 3) {
  return testsupport::PixelRgb(picture, x, y) & 0xf0f0f0u;
}

}  // namespace

class PrefsOpen : public PrefsFixture {};

TEST_F(PrefsOpen, ShowsTheCurrentSettings) {
  WritePicture("seiyuicon_kotoha.jpg", 100, 40, 0xff0000);
  dir_.Write("app/vanto-rimal/Payload/Vanto-Rimal3.app/seiyuicon_minori.jpg", "not a picture");
  auto main = Start();
  EnableActors({0, 11});
  main->alarmCheck = true;
  main->alarmHour = "7";  // as a hand-edited settings file may hold it
  main->alarmMin = "";
  main->alarmVoice = 12;
  main->voiceMode = 2;
  auto w = prefWindow();

  EXPECT_EQ(w->nameCheck(0)->Caption(), "朝凪　ことは");
  EXPECT_EQ(w->nameCheck(11)->Caption(), "空澄　みそら");
  EXPECT_TRUE(w->nameCheck(0)->Value());
  EXPECT_FALSE(w->nameCheck(1)->Value());
  EXPECT_TRUE(w->nameCheck(11)->Value());
  // The thumbnail is the whole picture squeezed to 72 × 72; wells without one stay empty.
  auto thumbnail = w->faceImage(0)->Image();
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(thumbnail->Width(), 72);
  EXPECT_EQ(thumbnail->Height(), 72);
  EXPECT_EQ(Colour(thumbnail, 70, 70), 0xf00000u);
  EXPECT_FALSE(w->faceImage(1)->Image());
  EXPECT_FALSE(w->faceImage(2)->Image());

  EXPECT_TRUE(w->alarmCheck()->Value());
  EXPECT_EQ(w->alarmHourPopup()->Text(), "07");
  EXPECT_EQ(w->alarmMinPopup()->Text(), "00");
  ASSERT_EQ(w->alarmVoicePopup()->ListCount(), 72);
  EXPECT_EQ(w->alarmVoicePopup()->Text(), "アラーム 13 チャイム");
  EXPECT_EQ(w->voiceMode()->Text(), "毎分");
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");
  EXPECT_EQ(Playing(), 0);
  EXPECT_TRUE(Messages().empty());
}

namespace {

// The clock settings as one comparable text.
std::string Settings(const fw::Ref<clockcore::mainWindow>& main) {
  std::string actors;
  for (int i = 0; i <= 12; ++i) actors += main->nameCheck(i) ? '1' : '0';
  return actors + " alarm " + (main->alarmCheck ? "on " : "off ") + main->alarmHour + ":" +
         main->alarmMin + " #" + std::to_string(main->alarmVoice) + " mode " +
         std::to_string(main->voiceMode);
}

}  // namespace

TEST_F(PrefsOpen, OkWithoutChangesWritesTheSameValuesBack) {
  auto main = Start();
  EnableActors({3});
  main->alarmCheck = true;
  main->alarmHour = "23";
  main->alarmMin = "59";
  main->alarmVoice = 71;
  main->voiceMode = 1;
  prefWindow()->PushButton1()->Push();
  EXPECT_EQ(Settings(main), "0001000000000 alarm on 23:59 #71 mode 1");
  // A number stored without its leading zero comes back as the row's two digits.
  main->alarmHour = "7";
  main->alarmMin = "";
  prefWindow()->PushButton1()->Push();
  EXPECT_EQ(Settings(main), "0001000000000 alarm on 07:00 #71 mode 1");
  EXPECT_FALSE(fw::GetImplicitWindow("prefWindow.prefWindow"));
}

// Every actor off and the defaults otherwise, then every control of the window changed:
// actor 8 on and the alarm "アラーム 05" at 12:01 with no voices.
class PrefsChanged : public PrefsFixture {
 protected:
  fw::Ref<prefs::prefWindow> OpenAndChangeEverything() {
    WriteSound("alarm05.mp3", 1.0);
    Start();
    EnableActors({});
    auto w = prefWindow();
    fw::ClickForTesting(*w->nameCheck(7));
    fw::ClickForTesting(*w->alarmCheck());
    w->alarmHourPopup()->SetListIndex(12);
    w->alarmMinPopup()->SetListIndex(1);
    w->alarmVoicePopup()->SetListIndex(4);
    w->voiceMode()->SetListIndex(3);
    return w;
  }
  static constexpr const char* kUnchanged = "0000000000000 alarm off 00:00 #0 mode 0";
};

TEST_F(PrefsChanged, OkHandsEveryControlToTheClockAtItsNextMinute) {
  auto w = OpenAndChangeEverything();
  // Changing controls reaches no handler: nothing is written before OK.
  EXPECT_EQ(Settings(window_), kUnchanged);
  w->PushButton1()->Push();
  EXPECT_EQ(Settings(window_), "0000000100000 alarm on 12:01 #4 mode 3");
  SetTime(12, 1, 0);
  Tick();
  EXPECT_EQ(Playing(), 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PrefsChanged, CancelAfterChangesWritesNothing) {
  auto w = OpenAndChangeEverything();
  w->PushButton2()->Push();
  EXPECT_TRUE(w->IsClosed());
  EXPECT_EQ(Settings(window_), kUnchanged);
  SetTime(12, 1, 0);
  Tick();
  EXPECT_EQ(Playing(), 0);
}

// OK saves at once: a process ended without the main window's Close (its display gone)
// keeps what OK took. A save that fails there is reported and the clock runs on.
class PrefsSave : public PrefsFixture {};

TEST_F(PrefsSave, OkWritesTheSettingsFile) {
  auto w = OpenPrefs();
  fw::ClickForTesting(*w->nameCheck(1));
  w->voiceMode()->SetListIndex(2);
  w->PushButton1()->Push();
  EXPECT_EQ(testsupport::ReadFile(PrefsFile()),
            "seiyuOn/Off=1,0,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\n"
            "alarmVoice=0\nvoiceMode=2\n");
  EXPECT_FALSE(fw::QuitRequested());
}

TEST_F(PrefsSave, AFailedSaveAtOkKeepsTheClockAndTheSettingsAndCloseTriesAgain) {
  auto w = OpenPrefs();
  std::filesystem::remove_all(PrefsDir());
  dir_.Write("config", "a file where the folder belongs\n");
  w->voiceMode()->SetListIndex(3);
  ::testing::internal::CaptureStderr();
  w->PushButton1()->Push();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("the settings were not saved"), std::string::npos) << err;
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(fw::QuitRequested());
  EXPECT_FALSE(window_->IsClosed());
  EXPECT_EQ(window_->voiceMode, 3);

  std::filesystem::remove(PrefsDir());
  Quit();
  EXPECT_NE(testsupport::ReadFile(PrefsFile()).find("\nvoiceMode=3\n"), std::string::npos);
  EXPECT_EQ(fw::ExitStatus(), 0);
}

class PrefsPreview : public PrefsFixture {
 protected:
  void SetUp() override {
    PrefsFixture::SetUp();
    ASSERT_TRUE(Silent());
  }
};

TEST_F(PrefsPreview, PlaysTheSelectedRowNotTheStoredOne) {
  WriteSound("alarm03.mp3", 3.0);  // row 2; the stored alarm 0 has no file
  auto w = OpenPrefs();
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");  // row 0: its file is missing
  EXPECT_EQ(Playing(), 0);
  w->alarmVoicePopup()->SetListIndex(2);
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "停止");
  EXPECT_EQ(Playing(), 1);
  // Choosing another row leaves the preview alone; the button stops it.
  w->alarmVoicePopup()->SetListIndex(0);
  EXPECT_EQ(Playing(), 1);
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");
  EXPECT_EQ(Playing(), 0);
  EXPECT_TRUE(w->newSound);
}

TEST_F(PrefsPreview, OkAndCancelStopAPlayingPreview) {
  WriteSound("alarm01.mp3", 3.0);
  for (const char* button : {"PushButton1", "PushButton2"}) {
    auto w = OpenPrefs();
    w->PushButton3()->Push();
    ASSERT_EQ(Playing(), 1) << button;
    fw::CheckedCast<fw::PushButton>(w->ControlByName(button))->Push();
    EXPECT_TRUE(w->IsClosed());
    EXPECT_EQ(Playing(), 0) << button;
  }
}

TEST_F(PrefsPreview, AfterItEndsByItselfOneClickOnlyResetsTheCaption) {
  WriteSound("alarm01.mp3", 0.2);
  auto w = OpenPrefs();
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "停止");
  ASSERT_TRUE(Silent());
  EXPECT_EQ(w->PushButton3()->Caption(), "停止");  // nothing watches the playback
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");
  EXPECT_EQ(Playing(), 0);
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "停止");
  EXPECT_EQ(Playing(), 1);
}

TEST_F(PrefsPreview, AFileThatIsNoSoundLeavesTheCaption) {
  dir_.Write("app/vanto-rimal/Payload/Vanto-Rimal3.app/alarm01.mp3", "no sound at all");
  auto w = OpenPrefs();
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");
  EXPECT_FALSE(w->newSound);
  EXPECT_EQ(Playing(), 0);
  EXPECT_TRUE(Messages().empty());
}

class PrefsSignature : public PrefsFixture {};

TEST_F(PrefsSignature, FaceWithoutThumbnailShowsTheSignatureUntilTheNextMinutePicture) {
  WritePicture("sign_minori.jpg", 30, 60, 0x0000ff);
  auto main = Start();
  EnableActors({});
  auto w = prefWindow();
  ASSERT_FALSE(w->faceImage(1)->Image());
  EXPECT_FALSE(w->faceImage(1)->Click(10, 10));
  ASSERT_TRUE(main->readPicture);
  EXPECT_EQ(main->readPicture->Width(), 30);  // kept at its own size for redrawing
  auto backdrop = main->Backdrop();
  ASSERT_TRUE(backdrop);
  EXPECT_EQ(backdrop->Width(), main->Width());
  EXPECT_EQ(backdrop->Height(), main->Height());
  EXPECT_EQ(Colour(backdrop), 0x0000f0u);
  EXPECT_FALSE(main->backPicture);
  EXPECT_FALSE(w->nameCheck(1)->Value());
  EXPECT_FALSE(main->nameCheck(1));

  w->PushButton2()->Push();
  EXPECT_EQ(main->Backdrop().get(), backdrop.get());
  SetTime(12, 1, 0);  // no picture for this minute
  Tick();
  EXPECT_EQ(main->Backdrop().get(), backdrop.get());
  WritePicture("t1202.jpg", 16, 16, 0x00ff00);
  SetTime(12, 2, 0);
  Tick();
  EXPECT_EQ(Colour(main->Backdrop()), 0x00f000u);
}

TEST_F(PrefsSignature, StaysAfterOk) {
  WritePicture("sign_misora.jpg", 20, 20, 0xff0000);
  auto main = Start();
  auto w = prefWindow();
  w->faceImage(11)->Click(1, 1);
  w->PushButton1()->Push();
  EXPECT_EQ(Colour(main->Backdrop()), 0xf00000u);
}

TEST_F(PrefsSignature, MissingSignatureEmptiesReadPictureAndKeepsTheBackdrop) {
  WritePicture("t1200.jpg", 16, 16, 0x00ff00);
  auto main = Start();
  Tick();
  auto backdrop = main->Backdrop();
  ASSERT_TRUE(backdrop);
  auto w = prefWindow();
  EXPECT_FALSE(w->faceImage(4)->Click(1, 1));
  EXPECT_FALSE(main->readPicture);
  EXPECT_EQ(main->Backdrop().get(), backdrop.get());
  // With nothing to redraw, a resize keeps the backdrop as it is.
  main->HandleMenuCommand("largeMenu");
  fw::ProcessPendingEvents();
  EXPECT_EQ(main->Backdrop().get(), backdrop.get());
  EXPECT_TRUE(Messages().empty());
}

// Tables shorter than the entries the window reads: the missing entries are empty texts.
TEST_F(PrefsFixture, ShortTablesShowEmptyRowsAndOpenNothing) {
  WriteTable("ActMain.txt", "01%09Solo%09solo");
  WriteTable("Alarm.txt", "one%09alarm01.mp3\r\ntwo%09alarm02.mp3");
  WriteSound("alarm01.mp3", 1.0);
  auto main = Start();
  main->alarmVoice = 50;
  auto w = prefWindow();
  EXPECT_EQ(w->nameCheck(0)->Caption(), "Solo");
  EXPECT_EQ(w->nameCheck(11)->Caption(), "");
  ASSERT_EQ(w->alarmVoicePopup()->ListCount(), 72);
  EXPECT_EQ(w->alarmVoicePopup()->List(1), "two");
  EXPECT_EQ(w->alarmVoicePopup()->Text(), "");
  w->PushButton3()->Push();
  EXPECT_EQ(w->PushButton3()->Caption(), "試聴");
  w->alarmVoicePopup()->SetListIndex(-1);  // no row selected
  w->PushButton3()->Push();
  EXPECT_EQ(Playing(), 0);
  w->faceImage(5)->Click(1, 1);
  EXPECT_FALSE(main->readPicture);
  EXPECT_TRUE(Messages().empty());
  w->PushButton1()->Push();
  EXPECT_EQ(main->alarmVoice, -1);
  EXPECT_TRUE(Messages().empty());
}
