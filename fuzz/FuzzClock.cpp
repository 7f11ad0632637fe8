#include "FuzzClock.h"

#include <QCoreApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "clock/Testing.h"
#include "clock/TextTables.h"
#include "framework/Testing.h"
#include "framework/app/Runtime.h"
#include "support/ClockHarness.h"

namespace fuzzclock {
namespace {

std::filesystem::path MakeRoot() {
  std::filesystem::path base;
  if (const char* tmp = std::getenv("TMPDIR"); tmp && tmp[0] == '/')
    base = tmp;
  else if (std::filesystem::is_directory("/dev/shm"))
    base = "/dev/shm";
  else
    base = std::filesystem::temp_directory_path();
  std::string pattern = (base / "vvfuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) Fail("fuzz", "cannot make a temporary folder in " + base.string());
  return pattern;
}

Clock* gClock = nullptr;
testsupport::ClockHarness* gHarness = nullptr;

void RemoveRoot() {
  if (!gClock) return;
  std::error_code ec;
  std::filesystem::remove_all(gClock->root, ec);
}

}  // namespace

void Fail(const char* target, const std::string& what) {
  std::fprintf(stderr, "fuzz_%s: %s\n", target, what.c_str());
  std::abort();
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("fuzz", "cannot write " + path.string());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

Clock& Start(const Setup& setup) {
  if (gClock) return *gClock;
  gClock = new Clock;
  Clock& c = *gClock;
  c.root = MakeRoot();
  std::atexit(RemoveRoot);

  WriteFile(c.Resources() / "ActMain.txt", setup.actMain);
  WriteFile(c.Resources() / "ActTime.txt", setup.actTime);
  WriteFile(c.Resources() / "ActSerif.txt", setup.actSerif);
  WriteFile(c.Resources() / "Alarm.txt", setup.alarm);
  std::filesystem::create_directories(c.Payload());

  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  fw::RuntimeInit();
  if (setup.fillPayload) setup.fillPayload(c.Payload());

  // The harness lives as long as the process: the framework's clock reads its time.
  gHarness = new testsupport::ClockHarness(
      c.root / "app", c.PrefsFile().parent_path(),
      [](const std::string& message) { Fail("clock", "message box: " + message); });
  Guarded("clock", [&] { c.window = gHarness->Start(); });
  if (!c.window || !fw::WindowForTesting::Opened(*c.window))
    Fail("clock", "the main window did not open");
  return c;
}

void Reopen(Clock& clock, bool rereadTables) {
  if (rereadTables) clockcore::ResetTableTextsForTesting();
  clock.window->Event_Open();
}

void WriteSettings(Clock& clock) {
  clock.window->Event_Close();
  // Close asked the framework to quit; that request waits in Qt's queue. Dropping it keeps
  // the window (and the fuzzing) going.
  QCoreApplication::removePostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
  fw::ResetQuitStateForTesting();
  if (clock.window->IsClosed()) Fail("clock", "the main window closed");
}

}  // namespace fuzzclock
