#pragma once
// A whole clock in this process, as the program starts it: an application folder of the
// caller's making, a preferences folder standing for the user's, the framework's clock set by
// the caller and message boxes handed to a function instead of shown. The tests' fixture and
// the benchmarks both drive the clock through it.
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "clock/mainWindow.h"

namespace testsupport {

class ClockHarness {
 public:
  // `appDir` holds (or will hold) Resources/ and vanto-rimal/.
  ClockHarness(const std::filesystem::path& appDir, const std::filesystem::path& prefsDir,
               std::function<void(const std::string&)> onMessage);
  ~ClockHarness();
  ClockHarness(const ClockHarness&) = delete;
  ClockHarness& operator=(const ClockHarness&) = delete;

  // A local time of 2026-12-07.
  static std::chrono::system_clock::time_point At(int hour, int minute, int second,
                                                  int millisecond = 0);
  // The framework's clock from now on.
  void SetNow(std::chrono::system_clock::time_point now) { now_ = now; }
  void SetTime(int hour, int minute, int second, int millisecond = 0) {
    now_ = At(hour, minute, second, millisecond);
  }
  // Start-up as the program runs it; returns the main window. No tick has run yet.
  fw::Ref<clockcore::mainWindow> Start();
  // One firing of the main window's timer, as the event loop delivers it.
  void Tick();
  // Closes every window and runs the program's shutdown, as quitting does. The exit status
  // and the quit request stay to be checked; a later Start clears them, shuts the sound
  // device down and reads the tables again, as a new process would.
  void Quit();
  bool Started() const { return started_; }

  fw::Ref<clockcore::mainWindow> window;

 private:
  std::chrono::system_clock::time_point now_;
  bool started_ = false;
  bool quit_ = false;
};

}  // namespace testsupport
