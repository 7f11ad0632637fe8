#include "app/MenuBar1.h"

namespace {

fw::Ref<app::MenuBar1>& SharedSlot() {
  static fw::Ref<app::MenuBar1> slot;
  return slot;
}

template <class T>
fw::Ref<T> BuildItem(const char* name, const char* text, const char* shortcut) {
  auto item = fw::New<T>();
  item->Constructor();
  item->SetName(name);
  item->SetAutoEnable(true);
  item->SetText(text);
  item->SetKeyboardShortcut(shortcut);
  return item;
}

}  // namespace

fw::Ref<app::MenuBar1> MenuBar1() {
  if (!SharedSlot()) {
    auto bar = fw::New<app::MenuBar1>();
    bar->Constructor();
    SharedSlot() = bar;  // stored only once built
  }
  return SharedSlot();
}

void ReleaseMenuBar1() { SharedSlot().reset(); }

namespace app {

fw::ClassRecord MenuBar1::Record() {
  return {"MenuBar1",
          "MenuBar",
          {{"Constructor", "Public"}, {"Untitled0", "Public"}, {"Untitled1", "Public"}}};
}

void MenuBar1::Constructor() {
  Untitled0();
  Untitled1();
}

void MenuBar1::Untitled0() {
  Append(BuildItem<fw::MenuItem>("FileMenu", "ファイル", ""));
  Child("FileMenu")->Append(BuildItem<fw::PrefsMenuItem>("prefMenu", "環境設定...", ""));
  Child("FileMenu")->Append(BuildItem<fw::QuitMenuItem>("FileQuit", "終了", "Cmd+Q"));
}

void MenuBar1::Untitled1() {
  Append(BuildItem<fw::MenuItem>("windowMenu", "ウィンドウ", ""));
  Child("windowMenu")->Append(BuildItem<fw::MenuItem>("halfMenu", "小", "Cmd+1"));
  Child("windowMenu")->Append(BuildItem<fw::MenuItem>("normalMenu", "中", "Cmd+2"));
  Child("windowMenu")->Append(BuildItem<fw::MenuItem>("largeMenu", "大", "Cmd+3"));
}

}  // namespace app
