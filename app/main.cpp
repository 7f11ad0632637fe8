#include "app/Startup.h"
#include "framework/app/Runtime.h"

int main(int argc, char** argv) {
  fw::RuntimeInit(argc, argv);
  initialize();
  Main();
  finalize();
  return fw::RuntimeExit();
}
