#include "clock/mainTimer.h"

namespace clockcore {

fw::ClassRecord mainTimer::Record() {
  return {"mainWindow.mainTimer",
          "Timer",
          {{"SetWindow", "Public"},
           {"Window", "Public"},
           {"Index", "Public"},
           {"SetIndex", "Public"},
           {"Constructor", "Public"},
           {"ownerWindow", "Private"}}};
}

}  // namespace clockcore
