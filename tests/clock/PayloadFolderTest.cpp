// Choosing the data payload folder and the window's size set when the clock opens.
#include <gtest/gtest.h>

#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;

class PayloadFolder : public ClockFixture {};

TEST_F(PayloadFolder, HDWinsWhenBothArePresent) {
  MakePayload(Payload::Both);
  auto w = Start();
  EXPECT_EQ(w->dataPath->Name(), "Vanto-Rimal3 HD.app");
  EXPECT_EQ(w->MaxWidth(), 768);
  EXPECT_EQ(w->MaxHeight(), 1024);
  EXPECT_EQ(w->MinWidth(), 192);
  EXPECT_EQ(w->MinHeight(), 256);
  EXPECT_EQ(w->Width(), 384);
  EXPECT_EQ(w->Height(), 512);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PayloadFolder, StandardPayloadAlone) {
  MakePayload(Payload::Standard);
  auto w = Start();
  EXPECT_EQ(w->dataPath->Name(), "Vanto-Rimal3.app");
  EXPECT_EQ(w->MaxWidth(), 640);
  EXPECT_EQ(w->MaxHeight(), 960);
  EXPECT_EQ(w->MinWidth(), 160);
  EXPECT_EQ(w->MinHeight(), 240);
  EXPECT_EQ(w->Width(), 320);
  EXPECT_EQ(w->Height(), 480);
  EXPECT_FALSE(fw::QuitRequested());
}

TEST_F(PayloadFolder, EmptyHDBundleIsStillChosen) {
  MakePayload(Payload::Both);
  WritePicture("t1200.jpg", 8, 8, 0xff0000);  // lands in the HD bundle
  std::filesystem::create_directories(StandardPayload());
  auto w = Start();
  EXPECT_EQ(w->dataPath->Name(), "Vanto-Rimal3 HD.app");
}

TEST_F(PayloadFolder, FileOfTheHDBundleNameIsNoPayload) {
  MakePayload(Payload::Standard);
  dir_.Write("app/vanto-rimal/Payload/Vanto-Rimal3 HD.app", "not a folder");
  auto w = Start();
  EXPECT_EQ(w->dataPath->Name(), "Vanto-Rimal3.app");
  EXPECT_EQ(w->MaxWidth(), 640);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PayloadFolder, NoPayloadShowsTheMessageOnceAndQuitsWithTheSettingsKept) {
  WriteTable("Alarm.txt", "a%09alarm01.mp3\r\n");
  auto w = Start();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "データが正しく配置されていません");
  EXPECT_TRUE(fw::QuitRequested());
  EXPECT_EQ(fw::ExitStatus(), 0);
  // No gigabyte window: the layout's sizes stay.
  EXPECT_EQ(w->Width(), 320);
  EXPECT_EQ(w->Height(), 480);
  EXPECT_EQ(w->MinWidth(), 64);
  // The rest of Open still ran: tables split, default settings loaded; nothing exists to play.
  EXPECT_EQ(w->alarmArray(0), "a\talarm01.mp3");
  EXPECT_TRUE(w->nameCheck(0));
  EXPECT_FALSE(w->dataPath->Exists());
  EXPECT_EQ(w->dataPath->Name(), "Vanto-Rimal3.app");

  // The quit request closes the window, which writes back the settings it loaded.
  fw::ProcessPendingEvents();
  EXPECT_TRUE(w->IsClosed());
  EXPECT_TRUE(std::filesystem::exists(PrefsFile()));
  EXPECT_EQ(fw::ExitStatus(), 0);
}
