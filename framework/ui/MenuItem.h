#pragma once
// Menus: a tree of items under a menu bar. Items are built in code and never change after.
#include <vector>

#include "framework/core/Object.h"
#include "framework/core/Strings.h"

namespace fw {

class MenuItem : public Object {
 public:
  void Constructor() {}
  std::string FullClassName() const override { return "MenuItem"; }
  const String& Name() const { return name_; }
  void SetName(const String& name) { name_ = name; }
  const String& Text() const { return text_; }
  void SetText(const String& text) { text_ = text; }
  // "Cmd+" and one key: the platform's command key (Ctrl here). "" for none.
  const String& KeyboardShortcut() const { return shortcut_; }
  void SetKeyboardShortcut(const String& shortcut) { shortcut_ = shortcut; }
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool on) { autoEnable_ = on; }

  void Append(const Ref<MenuItem>& item);
  int32_t Count() const { return static_cast<int32_t>(children_.size()); }
  Ref<MenuItem> Item(int32_t index) const;
  // The direct child of that name, or nil.
  Ref<MenuItem> Child(const String& name) const;
  // The item of that name anywhere below this one, or nil.
  Ref<MenuItem> Lookup(const String& name) const;

  // The item's own action, offered a chosen command when no window handler took it.
  virtual bool Action() { return false; }

 private:
  String name_, text_, shortcut_;
  bool autoEnable_ = false;
  std::vector<Ref<MenuItem>> children_;
};

// The platform's preferences item: the command goes to the window's "prefMenu"-style handler.
class PrefsMenuItem : public MenuItem {
 public:
  std::string FullClassName() const override { return "PrefsMenuItem"; }
};

// The platform's quit item: the framework's quit request, as Quit(0).
class QuitMenuItem : public MenuItem {
 public:
  std::string FullClassName() const override { return "QuitMenuItem"; }
  bool Action() override;
};

class MenuBar : public MenuItem {
 public:
  std::string FullClassName() const override { return "MenuBar"; }
};

}  // namespace fw
