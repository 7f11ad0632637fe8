#include "BenchClock.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <stdexcept>

#include "app/Startup.h"
#include "clock/TextTables.h"
#include "framework/Application.h"
#include "framework/Date.h"
#include "framework/FolderItem.h"
#include "framework/MsgBox.h"
#include "framework/Runtime.h"
#include "framework/Sound.h"
#include "framework/WindowImpl.h"

namespace bench {

void InitRuntime(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  fw::RuntimeInit(argc, argv);
}

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vvbench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
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

InProcessClock::InProcessClock(const std::filesystem::path& appDir,
                               const std::filesystem::path& prefsDir) {
  // No settings file: every clock starts from the defaults.
  std::error_code ec;
  std::filesystem::remove_all(prefsDir, ec);
  std::filesystem::create_directories(prefsDir);
  fw::SetApplicationFolderForTesting(appDir.string());
  fw::SetExecutableFileForTesting((appDir / "bin" / "vantoViewer3").string());
  setenv("XDG_CONFIG_HOME", prefsDir.c_str(), 1);
  // A message would wait for a click that never comes.
  fw::SetMsgBoxHandlerForTesting(
      [](const fw::String& m) { std::fprintf(stderr, "clock message: %s\n", m.c_str()); });
  SetTime(12, 0, 0);
  fw::SetClockForTesting([this] { return now_; });
  clockcore::ResetTableTextsForTesting();
  fw::ResetQuitStateForTesting();
}

InProcessClock::~InProcessClock() {
  if (started_) Quit();
  fw::ShutdownSound();
  fw::SetClockForTesting(nullptr);
  fw::SetMsgBoxHandlerForTesting(nullptr);
  fw::SetApplicationFolderForTesting("");
  fw::SetExecutableFileForTesting("");
  fw::ResetQuitStateForTesting();
}

std::chrono::system_clock::time_point InProcessClock::At(int hour, int minute, int second,
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

fw::Ref<clockcore::mainWindow> InProcessClock::Start() {
  initialize();
  NewAppInstance();
  ApplicationAddMenuHandlers();
  MakeDefaultView();
  started_ = true;
  window = fw::CheckedCast<clockcore::mainWindow>(fw::GetImplicitWindow("mainWindow.mainWindow"));
  if (!window || !window->dataPath || !window->dataPath->Exists())
    throw std::runtime_error("the clock found no payload");
  fw::ProcessPendingEvents();
  return window;
}

void InProcessClock::Tick() { window->mainTimer()->Fire(); }

void InProcessClock::Quit() {
  window.reset();
  fw::CloseAllWindows();
  finalize();
  fw::ProcessPendingEvents();
  clockcore::ResetTableTextsForTesting();
  fw::ResetQuitStateForTesting();
  started_ = false;
}

void RepaintNow(fw::Window& window) {
  if (auto* content = window.impl().content.data()) content->repaint();
}

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

std::string RequiredEnv(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) {
    std::fprintf(stderr, "%s is not set (tools/bench.sh sets it)\n", name);
    std::exit(2);
  }
  return value;
}

}  // namespace bench
