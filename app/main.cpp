#include "app/Startup.h"
#include "framework/app/Runtime.h"
#include "framework/core/ProgramName.h"

int main(int argc, char** argv) {
  // The name the user reads the clock by: every line it writes on stderr and every message box
  // goes under it, from the runtime's start-up on.
  fw::SetProgramName("vantoViewer3");
  fw::RuntimeInit(argc, argv);
  initialize();
  Main();
  finalize();
  return fw::RuntimeExit();
}
