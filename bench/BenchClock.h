#pragma once
// A whole clock in the benchmark's own process: an application folder with the shipped text
// tables and one payload bundle, a preferences folder of its own (so the defaults apply), and
// the framework's clock set by the benchmark.
#include <chrono>
#include <filesystem>
#include <string>

#include "clock/mainWindow.h"
#include "support/ClockHarness.h"
#include "support/TempDir.h"

namespace bench {

// Qt on its offscreen platform and SDL's dummy audio (unless the caller set others), then the
// framework runtime.
void InitRuntime(int argc, char** argv);

// A temporary folder, removed with its contents when the object goes.
using ScratchDir = testsupport::TempDir;

// An application folder at `appDir`: Resources/ with the shipped tables and an empty
// payload bundle, the HD one or the standard one. Returns the bundle's path.
std::filesystem::path MakeAppFolder(const std::filesystem::path& appDir, bool hd);

// The clock of the tests' harness, started from the default settings every time (the
// settings a previous run wrote are removed first), with messages printed and a payload
// required.
class InProcessClock : public testsupport::ClockHarness {
 public:
  InProcessClock(const std::filesystem::path& appDir, const std::filesystem::path& prefsDir);
  // Start-up as the program runs it, its pending events processed; throws without a payload.
  // The window's timer is off: every tick is the benchmark's own (Tick), at the time it set.
  fw::Ref<clockcore::mainWindow> Start();
};

// Paints the main window's content now, as the window system's next frame would.
void RepaintNow(fw::Window& window);
// Whether the window is on screen, where setting a backdrop paints it at once.
bool OnScreen(fw::Window& window);

// This process's resident set size, in kilobytes.
long ResidentKb();
// Its peak so far (the kernel's high-water mark, VmHWM), in kilobytes.
long PeakResidentKb();

// Text of `name` in the environment; exits with a message when it is missing or empty.
std::string RequiredEnv(const char* name);

}  // namespace bench
