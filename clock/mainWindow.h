#pragma once
// The clock's main window: the time in its title, the minute's picture as its backdrop, and
// the voices and the alarm at each new minute.
#include "framework/core/Array.h"
#include "framework/core/ClassRegistry.h"
#include "framework/core/Strings.h"
#include "framework/files/FolderItem.h"
#include "framework/files/TextStreams.h"
#include "framework/media/Picture.h"
#include "framework/ui/MenuItem.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"

namespace clockcore {

class mainWindow : public fw::Window {
 public:
  std::string FullClassName() const override { return "mainWindow.mainWindow"; }
  static fw::ClassRecord Record();
  // The window's design-time properties and its timer's.
  static const fw::String& LayoutStream();
  static const fw::String& TimerStream();

  // Creation.
  void Layout() override;
  void CreateControls() override;
  void CreateControls0();
  fw::Ref<fw::Timer> mainTimer();

  // The clock tick and the minute work.
  void mainTimer_Action(fw::Ref<fw::Timer> timer);
  void MinuteWork(const fw::String& timeText);
  // Makes the backdrop from readPicture stretched to the window's size.
  void DrawBackdrop();
  // Reads the six lines of the clock settings file into the settings.
  void LoadClockPrefs(fw::TextInputStream& stream);
  // Replaces the clock settings file with the six lines of the settings now held.
  void WriteClockPrefs();

  // Menu items and commands.
  fw::Ref<fw::MenuItem> windowMenu();
  fw::Ref<fw::MenuItem> largeMenu();
  fw::Ref<fw::MenuItem> normalMenu();
  fw::Ref<fw::MenuItem> halfMenu();
  fw::Ref<fw::MenuItem> FileMenu();
  fw::Ref<fw::QuitMenuItem> FileQuit();
  fw::Ref<fw::PrefsMenuItem> prefMenu();
  void AddMenuHandlers(fw::Ref<fw::Window> window) override;

  // Window events.
  void Event_Close() override;
  void Event_Open() override;
  bool Event_MouseDown(int32_t x, int32_t y) override;
  void Event_Resized() override;

  // Menu handlers.
  bool prefMenu_Action();
  bool halfMenu_Action();
  bool normalMenu_Action();
  bool largeMenu_Action();

  // Loaded tables.
  fw::Array<fw::String> seiyuName{12};
  fw::Array<fw::String> timeArray{1440};
  fw::Array<fw::String> serifArray{96};
  fw::Array<fw::String> alarmArray{24};
  // Clock settings. Voice actors are numbered 1 to kActorCount; nameCheck(i) is actor i + 1.
  static constexpr int32_t kActorCount = 12;
  fw::String alarmHour = "00";
  fw::String alarmMin = "00";
  bool alarmCheck = false;
  int32_t alarmVoice = 0;
  fw::Array<bool> nameCheck{12};  // upper bound 12: entry 12 is no actor's and stays false
  int32_t voiceMode = 0;
  // Backdrop pictures, payload folder, last minute handled.
  fw::Ref<fw::Picture> readPicture;
  fw::Ref<fw::Picture> backPicture;
  fw::Ref<fw::FolderItem> dataPath;
  fw::String lastTime = "00:00:00";

 private:
  // Steps of Open.
  bool ChoosePayloadFolder();
  void SetSizeSet();
  void SplitTables();
  void ReadClockPrefs();
  void SetDefaultClockPrefs();
  // Voice branches of the minute work.
  void PlayAlarm();
  void ScanSchedule(const fw::Array<fw::String>& table, const fw::String& hhmm,
                    const fw::String& voiceFileName);
  void SetSizeFromMaximum(double divisor);
};

}  // namespace clockcore

// The shared main window, built on first use.
fw::Ref<clockcore::mainWindow> mainWindow();
