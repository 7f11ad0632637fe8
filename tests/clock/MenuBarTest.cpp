// The one menu bar, its items and the Window menu's size commands.
#include <gtest/gtest.h>

#include "app/MenuBar1.h"
#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;

class MenuBar : public ClockFixture {};

TEST_F(MenuBar, BuiltOnceWithTwoMenusInOrder) {
  MakePayload(Payload::Standard);
  auto w = Start();
  auto bar = ::MenuBar1();
  EXPECT_EQ(bar.get(), w->MenuBar().get());
  ASSERT_EQ(bar->Count(), 2);
  auto file = bar->Item(0);
  auto window = bar->Item(1);
  EXPECT_EQ(file->Text(), "ファイル");
  EXPECT_EQ(window->Text(), "ウィンドウ");
  ASSERT_EQ(file->Count(), 2);
  ASSERT_EQ(window->Count(), 3);
  struct Row {
    fw::Ref<fw::MenuItem> item;
    const char *name, *text, *shortcut;
  } rows[] = {
      {file->Item(0), "prefMenu", "環境設定...", ""},
      {file->Item(1), "FileQuit", "終了", "Cmd+Q"},
      {window->Item(0), "halfMenu", "小", "Cmd+1"},
      {window->Item(1), "normalMenu", "中", "Cmd+2"},
      {window->Item(2), "largeMenu", "大", "Cmd+3"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.item->Name(), r.name);
    EXPECT_EQ(r.item->Text(), r.text);
    EXPECT_EQ(r.item->KeyboardShortcut(), r.shortcut);
    EXPECT_TRUE(r.item->AutoEnable());
  }
  // The accessors find the items by name, typed by their class.
  EXPECT_EQ(w->prefMenu().get(), file->Item(0).get());
  EXPECT_EQ(w->FileQuit().get(), file->Item(1).get());
  EXPECT_EQ(w->windowMenu().get(), window.get());
  EXPECT_EQ(w->largeMenu()->Text(), "大");
  // Handlers for the four commands, none for the menu titles and quit.
  for (const char* name : {"prefMenu", "halfMenu", "normalMenu", "largeMenu"})
    EXPECT_TRUE(fw::WindowForTesting::HasMenuHandler(*w, name)) << name;
  for (const char* name : {"FileMenu", "windowMenu", "FileQuit"})
    EXPECT_FALSE(fw::WindowForTesting::HasMenuHandler(*w, name)) << name;
}

TEST_F(MenuBar, SizeCommandsInBothSizeSets) {
  struct Case {
    Payload payload;
    int small[2], medium[2], large[2];
  } cases[] = {{Payload::Standard, {160, 240}, {320, 480}, {640, 960}},
               {Payload::HD, {192, 256}, {384, 512}, {768, 1024}}};
  for (const auto& c : cases) {
    std::filesystem::remove_all(AppDir() / "vanto-rimal");
    MakePayload(c.payload);
    auto w = Start();
    EXPECT_TRUE(w->HandleMenuCommand("halfMenu"));
    EXPECT_EQ(w->Width(), c.small[0]);
    EXPECT_EQ(w->Height(), c.small[1]);
    EXPECT_TRUE(w->HandleMenuCommand("largeMenu"));
    EXPECT_EQ(w->Width(), c.large[0]);
    EXPECT_EQ(w->Height(), c.large[1]);
    EXPECT_TRUE(w->HandleMenuCommand("normalMenu"));
    EXPECT_TRUE(w->HandleMenuCommand("normalMenu"));  // the same command twice changes nothing
    EXPECT_EQ(w->Width(), c.medium[0]);
    EXPECT_EQ(w->Height(), c.medium[1]);
    Quit();
  }
}

TEST_F(MenuBar, QuitCommandClosesTheWindowThroughItsCloseHandler) {
  MakePayload(Payload::Standard);
  auto w = Start();
  w->alarmHour = "07";
  EXPECT_TRUE(w->HandleMenuCommand("FileQuit"));
  EXPECT_TRUE(fw::QuitRequested());
  EXPECT_FALSE(w->IsClosed());  // a request: the window closes once the handler returns
  fw::ProcessPendingEvents();
  EXPECT_TRUE(w->IsClosed());
  EXPECT_NE(testsupport::ReadFile(PrefsFile()).find("alarmHour=07\n"), std::string::npos);
  EXPECT_EQ(fw::ExitStatus(), 0);
}
