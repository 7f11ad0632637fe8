#pragma once
// A whole clock in the test process: an application folder with its text tables and a data
// payload in a temporary folder, a preferences folder of its own, the framework's clock set
// by the test and message boxes recorded instead of shown.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ClockHarness.h"
#include "TempDir.h"
#include "clock/mainWindow.h"

namespace testsupport {

enum class Payload { None, Standard, HD, Both };

class ClockFixture : public ::testing::Test {
 protected:
  ClockFixture();
  ~ClockFixture() override;

  // The application folder, its Resources/ and the payload folders.
  std::filesystem::path AppDir() const { return dir_.path() / "app"; }
  std::filesystem::path ResourcesDir() const { return AppDir() / "Resources"; }
  std::filesystem::path StandardPayload() const;
  std::filesystem::path HDPayload() const;
  std::filesystem::path PrefsDir() const { return dir_.path() / "config"; }
  std::filesystem::path PrefsFile() const { return PrefsDir() / "vantoViewer3 Prefs"; }

  // Writes one table into Resources/ (bytes as given).
  void WriteTable(const std::string& name, const std::string& bytes) const;
  // Copies the shipped tables into Resources/.
  void UseShippedTables() const;
  void MakePayload(Payload which) const;
  // The payload the clock will use (HD when both exist).
  std::filesystem::path ActivePayload() const;
  void WritePicture(const std::string& name, int width, int height, uint32_t rgb) const;
  void WriteSound(const std::string& name, double seconds = 2.0) const;

  // Sets the framework's clock (local time).
  void SetTime(int hour, int minute, int second = 0, int millisecond = 0);
  // Runs start-up as the program does; returns the main window.
  fw::Ref<clockcore::mainWindow> Start();
  // Closes every window and runs the program's shutdown, as quitting does.
  void Quit();
  // One tick of the main window's timer at the time set now.
  void Tick();

  const std::vector<std::string>& Messages() const { return messages_; }
  // File names of the playbacks started since the last call, in order, the decodes asked for
  // having ended.
  std::vector<std::string> TakePlayed();

  TempDir dir_;
  fw::Ref<clockcore::mainWindow> window_;

 private:
  std::vector<std::string> messages_;
  std::vector<std::string> played_;
  ClockHarness clock_;
};

// Playbacks now running anywhere in the process.
int Playing();

}  // namespace testsupport
