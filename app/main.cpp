#include "app/Startup.h"
#include "framework/app/Runtime.h"
#include "framework/core/ProgramName.h"

int main(int argc, char** argv) {
  // The one place the clock says its name: every line it writes on stderr and every message
  // box goes under it, also one from the runtime's own start-up.
  fw::SetProgramName("vantoViewer3");
  fw::RuntimeInit(argc, argv);
  initialize();
  Main();
  finalize();
  return fw::RuntimeExit();
}
