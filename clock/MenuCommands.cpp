// The main window's side of the menus: item accessors, handler registration and the three
// size commands of the Window menu.
#include "clock/mainWindow.h"

namespace clockcore {
namespace {

template <class T>
fw::Ref<T> ItemOf(const mainWindow& window, const char* name) {
  return fw::CheckedCast<T>(window.MenuBar()->Lookup(name));
}

}  // namespace

fw::Ref<fw::MenuItem> mainWindow::windowMenu() { return ItemOf<fw::MenuItem>(*this, "windowMenu"); }
fw::Ref<fw::MenuItem> mainWindow::largeMenu() { return ItemOf<fw::MenuItem>(*this, "largeMenu"); }
fw::Ref<fw::MenuItem> mainWindow::normalMenu() { return ItemOf<fw::MenuItem>(*this, "normalMenu"); }
fw::Ref<fw::MenuItem> mainWindow::halfMenu() { return ItemOf<fw::MenuItem>(*this, "halfMenu"); }
fw::Ref<fw::MenuItem> mainWindow::FileMenu() { return ItemOf<fw::MenuItem>(*this, "FileMenu"); }
fw::Ref<fw::QuitMenuItem> mainWindow::FileQuit() {
  return ItemOf<fw::QuitMenuItem>(*this, "FileQuit");
}
fw::Ref<fw::PrefsMenuItem> mainWindow::prefMenu() {
  return ItemOf<fw::PrefsMenuItem>(*this, "prefMenu");
}

void mainWindow::AddMenuHandlers(fw::Ref<fw::Window> window) {
  auto self = fw::CheckedCast<mainWindow>(window);
  using Handler = fw::Delegate<bool()>;
  const char* signature = "(  ) as Boolean";
  AddMenuHandler("prefMenu", Handler::Weak(self, &mainWindow::prefMenu_Action, signature));
  AddMenuHandler("halfMenu", Handler::Weak(self, &mainWindow::halfMenu_Action, signature));
  AddMenuHandler("normalMenu", Handler::Weak(self, &mainWindow::normalMenu_Action, signature));
  AddMenuHandler("largeMenu", Handler::Weak(self, &mainWindow::largeMenu_Action, signature));
}

// Width before height, each from the maximum divided by `divisor` (1: the maximum itself).
void mainWindow::SetSizeFromMaximum(double divisor) {
  const int32_t maxWidth = ::mainWindow()->MaxWidth();
  SetWidth(divisor == 1.0 ? maxWidth : fw::DoubleToInt32(double(maxWidth) / divisor));
  const int32_t maxHeight = ::mainWindow()->MaxHeight();
  SetHeight(divisor == 1.0 ? maxHeight : fw::DoubleToInt32(double(maxHeight) / divisor));
}

bool mainWindow::halfMenu_Action() {
  SetSizeFromMaximum(4.0);
  return true;
}

bool mainWindow::normalMenu_Action() {
  SetSizeFromMaximum(2.0);
  return true;
}

bool mainWindow::largeMenu_Action() {
  SetSizeFromMaximum(1.0);
  return true;
}

}  // namespace clockcore
