#pragma once
// A whole clock in the benchmark's own process: an application folder with the shipped text
// tables and one payload bundle, a preferences folder of its own (so the defaults apply), and
// the framework's clock set by the benchmark.
#include <chrono>
#include <filesystem>
#include <string>

#include "clock/mainWindow.h"

namespace bench {

// Qt on its offscreen platform and SDL's dummy audio (unless the caller set others), then the
// framework runtime.
void InitRuntime(int argc, char** argv);

// A temporary folder, removed with its contents when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// An application folder at `appDir`: Resources/ with the shipped tables and an empty
// payload bundle, the HD one or the standard one. Returns the bundle's path.
std::filesystem::path MakeAppFolder(const std::filesystem::path& appDir, bool hd);

class InProcessClock {
 public:
  // `appDir` holds Resources/ and vanto-rimal/; `prefsDir` stands for the user's folder.
  InProcessClock(const std::filesystem::path& appDir, const std::filesystem::path& prefsDir);
  ~InProcessClock();
  InProcessClock(const InProcessClock&) = delete;
  InProcessClock& operator=(const InProcessClock&) = delete;

  // A local time of 2026-12-07.
  static std::chrono::system_clock::time_point At(int hour, int minute, int second,
                                                  int millisecond = 0);
  // The framework's clock from now on.
  void SetNow(std::chrono::system_clock::time_point now) { now_ = now; }
  void SetTime(int hour, int minute, int second) { now_ = At(hour, minute, second); }
  // Start-up as the program runs it; returns the main window. No tick has run yet.
  fw::Ref<clockcore::mainWindow> Start();
  // One firing of the main window's timer, through the framework as the event loop does it.
  void Tick();
  // Closes the windows and runs the program's shutdown.
  void Quit();

  fw::Ref<clockcore::mainWindow> window;

 private:
  std::chrono::system_clock::time_point now_;
  bool started_ = false;
};

// Paints the main window's content now, as the window system's next frame would.
void RepaintNow(fw::Window& window);

// This process's resident set size, in kilobytes.
long ResidentKb();

// Text of `name` in the environment; exits with a message when it is missing or empty.
std::string RequiredEnv(const char* name);

}  // namespace bench
