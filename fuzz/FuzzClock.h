#pragma once
// A whole clock in the fuzzing process, started once as the program starts it: an
// application folder with Resources/ and a standard data payload in a temporary folder (on
// tmpfs when there is one: the settings writer syncs to disk), a preferences folder of its
// own, Qt on its offscreen platform, SDL's dummy audio driver and a fixed framework clock.
// A message box or an uncaught exception anywhere is a finding: the real clock would show
// an error and quit.
#include <filesystem>
#include <string>
#include <string_view>

#include "clock/mainWindow.h"

namespace fuzzclock {

struct Clock {
  std::filesystem::path root;
  fw::Ref<clockcore::mainWindow> window;

  std::filesystem::path Resources() const { return root / "app" / "Resources"; }
  std::filesystem::path Payload() const {
    return root / "app" / "vanto-rimal" / "Payload" / "Vanto-Rimal3.app";
  }
  std::filesystem::path PrefsFile() const { return root / "config" / "vantoViewer3 Prefs"; }
};

// What the temporary application folder holds before the clock starts.
struct Setup {
  // The four tables, by file name; absent ones are written empty.
  std::string actMain, actTime, actSerif, alarm;
  // Called with the payload folder to put pictures and sounds there.
  void (*fillPayload)(const std::filesystem::path& payload) = nullptr;
};

// Starts the clock on the first call (later calls return the same clock).
Clock& Start(const Setup& setup);

void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);

// The main window's Open again, as at start-up: the payload folder, the sizes, the tables
// (read again from Resources/ when `rereadTables`, else the texts read before) and the
// settings file.
void Reopen(Clock& clock, bool rereadTables);
// The main window's Close handler, which writes the settings file; the quit it asks for is
// withdrawn so that the same window goes on.
void WriteSettings(Clock& clock);

[[noreturn]] void Fail(const char* target, const std::string& what);

// Runs fn; an exception from the framework or the clock aborts with its message.
template <class Fn>
void Guarded(const char* target, Fn&& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    Fail(target, std::string("uncaught exception: ") + e.what());
  }
}

}  // namespace fuzzclock
