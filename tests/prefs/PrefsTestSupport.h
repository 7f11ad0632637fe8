#pragma once
// A running clock with the shipped tables and a standard payload, and its preferences window.
#include <initializer_list>

#include "framework/Testing.h"
#include "prefs/prefWindow.h"
#include "support/ClockFixture.h"

namespace prefstest {

class PrefsFixture : public testsupport::ClockFixture {
 protected:
  void SetUp() override {
    MakePayload(testsupport::Payload::Standard);
    UseShippedTables();
  }
  // Starts the clock and builds the preferences window as the menu command would, without
  // showing it modally: the tests press its buttons themselves.
  fw::Ref<prefs::prefWindow> OpenPrefs() {
    if (!window_) Start();
    return prefWindow();
  }
  // Enables exactly these voice actors in the clock settings.
  void EnableActors(std::initializer_list<int> actors) {
    for (int i = 0; i <= 12; ++i) window_->nameCheck(i) = false;
    for (int i : actors) window_->nameCheck(i) = true;
  }
  // Waits for every playback to end (a preview plays in real time on the dummy driver).
  static bool Silent(int timeoutMs = 5000) {
    return fw::ProcessEventsUntil([] { return testsupport::Playing() == 0; }, timeoutMs);
  }
};

}  // namespace prefstest
