#pragma once
#include "framework/core/Object.h"
#include "framework/files/FolderItem.h"

namespace fw {

class MenuBar;

class Application : public Object {
 public:
  std::string FullClassName() const override { return "Application"; }
  Ref<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(Ref<fw::MenuBar> bar) { menuBar_ = std::move(bar); }
  // The running executable, links resolved.
  Ref<FolderItem> ExecutableFile() const;

 private:
  Ref<fw::MenuBar> menuBar_;
};

}  // namespace fw
