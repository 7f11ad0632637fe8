#include "ClockFixture.h"

#include "framework/Testing.h"
#include "framework/media/Sound.h"
#include "mediagen/MediaGen.h"

namespace testsupport {

ClockFixture::ClockFixture()
    : clock_(AppDir(), PrefsDir(), [this](const std::string& m) { messages_.push_back(m); }) {
  fw::SetPlayObserverForTesting([this](const std::string& file) {
    played_.push_back(std::filesystem::path(file).filename().string());
  });
}

ClockFixture::~ClockFixture() {
  window_.reset();
  fw::SetPlayObserverForTesting(nullptr);
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
    std::filesystem::copy_file(std::filesystem::path(source) / "Resources" / name,
                               ResourcesDir() / name,
                               std::filesystem::copy_options::overwrite_existing);
}

void ClockFixture::MakePayload(Payload which) const {
  if (which == Payload::Standard || which == Payload::Both)
    std::filesystem::create_directories(StandardPayload());
  if (which == Payload::HD || which == Payload::Both)
    std::filesystem::create_directories(HDPayload());
}

std::filesystem::path ClockFixture::ActivePayload() const {
  return std::filesystem::exists(HDPayload()) ? HDPayload() : StandardPayload();
}

void ClockFixture::WritePicture(const std::string& name, int width, int height,
                                uint32_t rgb) const {
  ASSERT_TRUE(mediagen::WriteSolidJpeg((ActivePayload() / name).string(), width, height, rgb));
}

void ClockFixture::WriteSound(const std::string& name, double seconds) const {
  ASSERT_TRUE(mediagen::WriteMp3((ActivePayload() / name).string(), mediagen::Tone(440, seconds)));
}

void ClockFixture::SetTime(int hour, int minute, int second, int millisecond) {
  clock_.SetTime(hour, minute, second, millisecond);
}

fw::Ref<clockcore::mainWindow> ClockFixture::Start() { return window_ = clock_.Start(); }

void ClockFixture::Quit() {
  window_.reset();
  clock_.Quit();
}

void ClockFixture::Tick() { clock_.Tick(); }

std::vector<std::string> ClockFixture::TakePlayed() {
  // A playback starts once its sound is decoded, on a worker.
  fw::FinishBackgroundWorkForTesting();
  std::vector<std::string> taken;
  taken.swap(played_);
  return taken;
}

int Playing() { return fw::ActiveSoundPlaybacks(); }

}  // namespace testsupport
