#pragma once
// Where the running program lives: read in one place, so that the executable and the
// application folder, climbed from it, can never disagree.
#include "framework/core/Strings.h"

namespace fw {

// The running executable's path, links resolved; empty when it cannot be found.
String ExecutablePath();

}  // namespace fw
