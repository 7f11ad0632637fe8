#include "ClockHarness.h"

#include <cstdlib>
#include <ctime>

#include "app/Startup.h"
#include "clock/Testing.h"
#include "framework/Testing.h"
#include "framework/media/Sound.h"
#include "framework/ui/Window.h"

namespace testsupport {

ClockHarness::ClockHarness(const std::filesystem::path& appDir,
                           const std::filesystem::path& prefsDir,
                           std::function<void(const std::string&)> onMessage) {
  std::filesystem::create_directories(appDir / "Resources");
  std::filesystem::create_directories(prefsDir);
  // Only its place matters: the application folder is the one two levels above it.
  fw::SetExecutableFileForTesting((appDir / "bin" / "vantoViewer3").string());
  setenv("XDG_CONFIG_HOME", prefsDir.c_str(), 1);
  fw::SetMsgBoxHandlerForTesting(std::move(onMessage));
  SetTime(12, 0, 0);
  fw::SetClockForTesting([this] { return now_; });
  clockcore::ResetTableTextsForTesting();
  fw::ResetQuitStateForTesting();
}

ClockHarness::~ClockHarness() {
  if (started_) Quit();
  fw::ShutdownSound();
  fw::SetClockForTesting(nullptr);
  fw::SetMsgBoxHandlerForTesting(nullptr);
  fw::SetExecutableFileForTesting("");
  fw::ResetQuitStateForTesting();
}

std::chrono::system_clock::time_point ClockHarness::At(int hour, int minute, int second,
                                                       int millisecond) {
  std::tm tm{};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 11;
  tm.tm_mday = 7;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&tm)) +
         std::chrono::milliseconds(millisecond);
}

fw::Ref<clockcore::mainWindow> ClockHarness::Start() {
  if (quit_) {  // started again, as a new process: no quit pending, no sound device open
    fw::ShutdownSound();
    fw::ResetQuitStateForTesting();
  }
  initialize();
  NewAppInstance();
  ApplicationAddMenuHandlers();
  MakeDefaultView();
  started_ = true;
  window = fw::CheckedCast<clockcore::mainWindow>(fw::GetImplicitWindow("mainWindow.mainWindow"));
  return window;
}

void ClockHarness::Tick() { fw::FireTimerForTesting(*window->mainTimer()); }

void ClockHarness::Quit() {
  window.reset();
  fw::CloseAllWindows();
  finalize();
  fw::ProcessPendingEvents();
  clockcore::ResetTableTextsForTesting();
  started_ = false;
  quit_ = true;
}

}  // namespace testsupport
