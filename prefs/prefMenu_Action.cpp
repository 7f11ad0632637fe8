#include "clock/mainWindow.h"
#include "prefs/prefWindow.h"

namespace clockcore {

// Shows the preferences modally; only its OK button hands choices back to the clock.
bool mainWindow::prefMenu_Action() {
  auto window = ::prefWindow();
  window->ShowModal();
  window.reset();
  return true;
}

}  // namespace clockcore
