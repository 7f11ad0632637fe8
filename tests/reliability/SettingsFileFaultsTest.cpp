// The settings file under faults. A process killed (SIGKILL) at any moment of a save leaves
// the old file or the new one, whole: never none, an empty one or a mix. A Preferences
// folder that cannot take the file (a regular file or a dangling link in its place, a
// read-only folder) or a settings "file" that is a folder gives one clear report, and what
// was there stays as it was. A FIFO in the file's place, or a link to one, neither blocks
// the start (the defaults) nor is replaced by the save (one report). A huge settings file
// costs a few megabytes at start, not its size.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>

#include "framework/core/EventLoop.h"
#include "framework/files/FolderItem.h"
#include "framework/files/TextStreams.h"
#include "support/ClockFixture.h"

namespace fs = std::filesystem;
using testsupport::ClockFixture;
using testsupport::Payload;
using testsupport::ReadFile;

namespace {

// Two versions of the six lines, of different lengths, so that any mix of them, any cut of
// either and any empty file tell themselves apart from both.
const std::string kOld =
    "seiyuOn/Off=1,1,1,1,1,1,1,1,1,1,1,1\nalarmOn=0\nalarmHour=00\nalarmMin=00\nalarmVoice=0\n"
    "voiceMode=0\n";
const std::string kNew =
    "seiyuOn/Off=0,1,0,1,0,1,0,1,0,1,0,1\nalarmOn=1\nalarmHour=23\nalarmMin=59\n"
    "alarmVoice=71\nvoiceMode=3\n";

// The way the Close handler writes the file: create, six lines, close.
void Save(const fs::path& file, const std::string& text) {
  auto stream = fw::TextOutputStream::Create(fw::New<fw::FolderItem>(file.string()));
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    stream->WriteLine(text.substr(start, end - start));
    start = end + 1;
  }
  stream->Close();
}

TEST(SettingsFileKill, KilledAtAnyMomentOfASaveLeavesTheOldOrTheNewFileWhole) {
  testsupport::TempDir dir;
  const fs::path file = dir.path() / "config" / "vantoViewer3 Prefs";
  Save(file, kOld);

  std::mt19937 rng(20261207);
  int sawOld = 0, sawNew = 0;
  const int rounds = 150;
  for (int round = 0; round < rounds; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Saves the two versions in turn until killed; touches nothing but the file.
      for (unsigned i = 0;; ++i) {
        try {
          Save(file, i % 2 ? kOld : kNew);
        } catch (...) {
          _exit(3);
        }
      }
    }
    // Anywhere from before the first save to dozens of saves in.
    usleep(std::uniform_int_distribution<useconds_t>(0, 4000)(rng));
    ASSERT_EQ(kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the saving child ended by itself";

    ASSERT_TRUE(fs::exists(file)) << "round " << round << ": no settings file";
    const std::string now = ReadFile(file);
    ASSERT_TRUE(now == kOld || now == kNew)
        << "round " << round << ": " << now.size() << " bytes:\n"
        << now;
    (now == kOld ? sawOld : sawNew)++;
  }
  // The kills landed at different moments: both versions were seen.
  RecordProperty("old_file_seen", sawOld);
  RecordProperty("new_file_seen", sawNew);
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);

  // A killed save can leave its temporary file beside the settings file; the next save still
  // replaces the file whole.
  Save(file, kNew);
  EXPECT_EQ(ReadFile(file), kNew);
  std::set<std::string> others;
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    if (entry.path() != file) others.insert(entry.path().filename().string());
  RecordProperty("temporary_files_left", static_cast<int>(others.size()));
  for (const auto& name : others) EXPECT_EQ(name.rfind("vantoViewer3 Prefs.", 0), 0u) << name;
}

class SettingsFolderFaults : public ClockFixture {
 protected:
  void SetUp() override { MakePayload(Payload::Standard); }

  // Points the Preferences folder at `folder` for the clock started next.
  void UsePreferencesFolder(const fs::path& folder) {
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }

  // Starts the clock as the program does, through the framework's handling of an exception.
  void StartAsTheProgramDoes() {
    fw::Dispatch([&] { Start(); });
  }

  void ExpectOneReport(const std::string& about) {
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("IOException"), std::string::npos) << Messages()[0];
    EXPECT_NE(Messages()[0].find(about), std::string::npos) << Messages()[0];
    EXPECT_EQ(fw::ExitStatus(), 1);
  }
};

TEST_F(SettingsFolderFaults, PreferencesPathIsAFile) {
  const fs::path notAFolder = dir_.Write("config-file", "I am a file\n");
  UsePreferencesFolder(notAFolder);
  auto w = Start();
  for (int i = 0; i <= 11; ++i) EXPECT_TRUE(w->nameCheck(i));  // no settings file: defaults
  ::testing::internal::CaptureStderr();
  Quit();
  const std::string err = ::testing::internal::GetCapturedStderr();
  ExpectOneReport(notAFolder.string());
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;  // one line on stderr too
  EXPECT_EQ(ReadFile(notAFolder), "I am a file\n");
  EXPECT_TRUE(w->IsClosed());
}

TEST_F(SettingsFolderFaults, PreferencesPathIsADanglingLink) {
  const fs::path link = dir_.path() / "config-link";
  fs::create_symlink(dir_.path() / "nowhere" / "at-all", link);
  UsePreferencesFolder(link);
  Start();
  Quit();
  ExpectOneReport(link.string());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(fs::exists(dir_.path() / "nowhere" / "at-all" / "vantoViewer3 Prefs"));
}

TEST_F(SettingsFolderFaults, SettingsFileIsAFolder) {
  fs::create_directories(PrefsFile());
  dir_.Write("config/vantoViewer3 Prefs/keep", "x");
  ::testing::internal::CaptureStderr();
  StartAsTheProgramDoes();
  const std::string err = ::testing::internal::GetCapturedStderr();
  // Unreadable settings are reported at start-up and the clock ends; nothing is written.
  ExpectOneReport(PrefsFile().string());
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  Quit();
  EXPECT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(fs::is_directory(PrefsFile()));
  EXPECT_EQ(ReadFile(PrefsFile() / "keep"), "x");
}

class SettingsFileIsAFifo : public SettingsFolderFaults,
                            public ::testing::WithParamInterface<bool> {};

TEST_P(SettingsFileIsAFifo, GivesTheDefaultsAndIsLeftAsItWas) {
  const bool throughLink = GetParam();
  fs::create_directories(PrefsDir());
  const fs::path fifo = throughLink ? dir_.path() / "fifo" : PrefsFile();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  if (throughLink) fs::create_symlink(fifo, PrefsFile());
  auto w = Start();
  for (int i = 0; i <= 11; ++i) EXPECT_TRUE(w->nameCheck(i));
  EXPECT_TRUE(Messages().empty());
  Quit();
  ExpectOneReport(PrefsFile().string());
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(fs::is_symlink(PrefsFile()), throughLink);
}

INSTANTIATE_TEST_SUITE_P(DirectOrThroughALink, SettingsFileIsAFifo, ::testing::Bool());

TEST_F(SettingsFolderFaults, ReadOnlyPreferencesFolderKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  dir_.Write("config/vantoViewer3 Prefs", kNew);
  auto w = Start();
  w->voiceMode = 1;
  chmod(PrefsDir().c_str(), 0555);
  Quit();
  chmod(PrefsDir().c_str(), 0755);
  ExpectOneReport(PrefsFile().string());
  EXPECT_EQ(ReadFile(PrefsFile()), kNew);
}

// The most memory the process held while `work` ran, above what it held when it began, in
// kB; nothing when the peak cannot be reset. Resetting it (Linux's clear_refs) keeps what the
// tests before this one used out of the figure.
std::optional<long> PeakGrowthKb(const std::function<void()>& work) {
  const auto kb = [](const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1L;
  };
  std::ofstream reset("/proc/self/clear_refs");
  if (!(reset << "5" << std::flush)) return std::nullopt;
  const long before = kb("VmRSS:");
  work();
  const long peak = kb("VmHWM:");
  if (before < 0 || peak < 0) return std::nullopt;
  return peak - before;
}

TEST_F(SettingsFolderFaults, HugeFileCostsAFewMegabytesAtStart) {
  // A start with the six lines, once to settle what any start allocates, once measured.
  dir_.Write("config/vantoViewer3 Prefs", kNew);
  Start();
  Quit();
  const auto usual = PeakGrowthKb([&] { Start(); });
  Quit();
  if (!usual) GTEST_SKIP() << "the peak memory cannot be reset here";

  // A single 64 MiB line (of zeros: the defaults).
  dir_.Write("config/vantoViewer3 Prefs", "");
  std::filesystem::resize_file(PrefsFile(), 64u << 20);
  fw::Ref<clockcore::mainWindow> w;
  const auto huge = PeakGrowthKb([&] { w = Start(); });
  ASSERT_TRUE(huge);
  EXPECT_TRUE(w->nameCheck(0));
  RecordProperty("usual_start_peak_kb", static_cast<int>(*usual));
  RecordProperty("huge_file_start_peak_kb", static_cast<int>(*huge));
  EXPECT_LT(*huge, *usual + 4096) << "usual start " << *usual << " kB";
  w.reset();
  Quit();
}

}  // namespace
