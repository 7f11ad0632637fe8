// Entry of every unit and widget test program: Qt on its offscreen platform, SDL's dummy
// audio driver, one framework runtime for the whole program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/app/Runtime.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  ::testing::InitGoogleTest(&argc, argv);
  fw::RuntimeInit(argc, argv);
  return RUN_ALL_TESTS();
}
