#pragma once
#include "framework/core/ClassRegistry.h"
#include "framework/ui/Timer.h"

namespace clockcore {

// The main window's half-second timer.
class mainTimer : public fw::Timer {
 public:
  std::string FullClassName() const override { return "mainWindow.mainTimer"; }
  void Constructor() {}
  static fw::ClassRecord Record();
};

}  // namespace clockcore
