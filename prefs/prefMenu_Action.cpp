#include "clock/mainWindow.h"

namespace clockcore {
bool mainWindow::prefMenu_Action() { return true; }
}  // namespace clockcore
