#include "ClockFixture.h"

#include <cstdlib>
#include <ctime>

#include "mediagen/MediaGen.h"
#include "app/Startup.h"
#include "clock/TextTables.h"
#include "framework/Application.h"
#include "framework/Date.h"
#include "framework/FolderItem.h"
#include "framework/MsgBox.h"
#include "framework/Runtime.h"
#include "framework/Sound.h"
#include "framework/Window.h"

namespace testsupport {

ClockFixture::ClockFixture() {
  std::filesystem::create_directories(ResourcesDir());
  std::filesystem::create_directories(PrefsDir());
  fw::SetApplicationFolderForTesting(AppDir().string());
  fw::SetExecutableFileForTesting((AppDir() / "bin" / "vantoViewer3").string());
  setenv("XDG_CONFIG_HOME", PrefsDir().c_str(), 1);
  fw::SetMsgBoxHandlerForTesting([this](const fw::String& m) { messages_.push_back(m); });
  fw::SetPlayObserverForTesting([this](const std::string& file) {
    played_.push_back(std::filesystem::path(file).filename().string());
  });
  SetTime(12, 0, 0);
  fw::SetClockForTesting([this] { return now_; });
  clockcore::ResetTableTextsForTesting();
  fw::ResetQuitStateForTesting();
}

ClockFixture::~ClockFixture() {
  if (started_) Quit();
  fw::ShutdownSound();
  fw::SetClockForTesting(nullptr);
  fw::SetMsgBoxHandlerForTesting(nullptr);
  fw::SetPlayObserverForTesting(nullptr);
  fw::SetApplicationFolderForTesting("");
  fw::SetExecutableFileForTesting("");
  fw::ResetQuitStateForTesting();
}

std::filesystem::path ClockFixture::StandardPayload() const {
  return AppDir() / "vanto-rimal" / "Payload" / "Vanto-Rimal3.app";
}
std::filesystem::path ClockFixture::HDPayload() const {
  return AppDir() / "vanto-rimal" / "Payload" / "Vanto-Rimal3 HD.app";
}

void ClockFixture::WriteTable(const std::string& name, const std::string& bytes) const {
  dir_.Write("app/Resources/" + name, bytes);
}

void ClockFixture::UseShippedTables() const {
  const char* source = std::getenv("VV_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "VV_SOURCE_DIR names the source tree";
  for (const char* name : {"ActMain.txt", "ActTime.txt", "ActSerif.txt", "Alarm.txt"})
    std::filesystem::copy_file(std::filesystem::path(source) / "Resources" / name, ResourcesDir() / name,
                               std::filesystem::copy_options::overwrite_existing);
}

void ClockFixture::MakePayload(Payload which) const {
  if (which == Payload::Standard || which == Payload::Both) std::filesystem::create_directories(StandardPayload());
  if (which == Payload::HD || which == Payload::Both) std::filesystem::create_directories(HDPayload());
}

std::filesystem::path ClockFixture::ActivePayload() const {
  return std::filesystem::exists(HDPayload()) ? HDPayload() : StandardPayload();
}

void ClockFixture::WritePicture(const std::string& name, int width, int height, uint32_t rgb) const {
  ASSERT_TRUE(mediagen::WriteSolidJpeg((ActivePayload() / name).string(), width, height, rgb));
}

void ClockFixture::WriteSound(const std::string& name, double seconds) const {
  ASSERT_TRUE(mediagen::WriteMp3((ActivePayload() / name).string(), mediagen::Tone(440, seconds)));
}

void ClockFixture::SetTime(int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 11;
  tm.tm_mday = 7;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  now_ = std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

fw::Ref<clockcore::mainWindow> ClockFixture::Start() {
  initialize();
  NewAppInstance();
  ApplicationAddMenuHandlers();
  MakeDefaultView();
  started_ = true;
  window_ = fw::CheckedCast<clockcore::mainWindow>(fw::GetImplicitWindow("mainWindow.mainWindow"));
  return window_;
}

void ClockFixture::Quit() {
  window_.reset();
  fw::CloseAllWindows();
  finalize();
  fw::ProcessPendingEvents();
  // A new process would read the tables again.
  clockcore::ResetTableTextsForTesting();
  started_ = false;
}

void ClockFixture::Tick() { window_->mainTimer()->Fire(); }

std::vector<std::string> ClockFixture::TakePlayed() {
  std::vector<std::string> taken;
  taken.swap(played_);
  return taken;
}

int Playing() { return fw::ActiveSoundPlaybacks(); }

}  // namespace testsupport
