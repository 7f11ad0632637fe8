#include "BenchClock.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "framework/Testing.h"
#include "framework/app/Runtime.h"
#include "framework/files/FolderItem.h"
#include "framework/ui/WindowImpl.h"

namespace bench {

void InitRuntime(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  fw::RuntimeInit(argc, argv);
}

std::filesystem::path MakeAppFolder(const std::filesystem::path& appDir, bool hd) {
  namespace fs = std::filesystem;
  fs::create_directories(appDir / "Resources");
  for (const char* name : {"ActMain.txt", "ActTime.txt", "ActSerif.txt", "Alarm.txt"})
    fs::copy_file(fs::path(VV_SOURCE_DIR) / "Resources" / name, appDir / "Resources" / name,
                  fs::copy_options::overwrite_existing);
  const fs::path bundle =
      appDir / "vanto-rimal" / "Payload" / (hd ? "Vanto-Rimal3 HD.app" : "Vanto-Rimal3.app");
  fs::create_directories(bundle);
  return bundle;
}

namespace {
// No settings file: every clock starts from the defaults.
const std::filesystem::path& Emptied(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  return folder;
}
}  // namespace

InProcessClock::InProcessClock(const std::filesystem::path& appDir,
                               const std::filesystem::path& prefsDir)
    // A message would wait for a click that never comes.
    : ClockHarness(appDir, Emptied(prefsDir), [](const std::string& m) {
        std::fprintf(stderr, "clock message: %s\n", m.c_str());
      }) {}

fw::Ref<clockcore::mainWindow> InProcessClock::Start() {
  auto w = ClockHarness::Start();
  if (!w || !w->dataPath || !w->dataPath->Exists())
    throw std::runtime_error("the clock found no payload");
  w->mainTimer()->SetMode(0);
  fw::ProcessPendingEvents();
  return w;
}

void RepaintNow(fw::Window& window) {
  if (auto* content = fw::ImplForTesting(window).content.data()) content->repaint();
}

bool OnScreen(fw::Window& window) { return fw::ImplForTesting(window).Exposed(); }

namespace {
long StatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}
}  // namespace

long ResidentKb() { return StatusKb("VmRSS:"); }
long PeakResidentKb() { return StatusKb("VmHWM:"); }

std::string RequiredEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) {
    std::fprintf(stderr, "%s is not set (tools/bench.sh sets it)\n", name);
    std::exit(2);
  }
  return value;
}

}  // namespace bench
