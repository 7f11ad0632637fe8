#pragma once
// The one menu bar: "ファイル" (preferences, quit) and "ウィンドウ" (three window sizes).
#include "framework/core/ClassRegistry.h"
#include "framework/ui/MenuItem.h"

namespace app {

class MenuBar1 : public fw::MenuBar {
 public:
  std::string FullClassName() const override { return "MenuBar1"; }
  static fw::ClassRecord Record();
  void Constructor();
  void Untitled0();  // the File menu
  void Untitled1();  // the Window menu
};

}  // namespace app

// The shared menu bar, built on first use.
fw::Ref<app::MenuBar1> MenuBar1();
// Empties the shared slot (at exit).
void ReleaseMenuBar1();
