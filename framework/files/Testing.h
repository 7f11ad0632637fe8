#pragma once
// What tests, benchmarks and fuzzing may set in the files layer.
#include "framework/core/Strings.h"

namespace fw {

// Stands the executable somewhere else (empty restores the real one); the application
// folder, two levels above it, moves with it.
void SetExecutableFileForTesting(const String& path);

}  // namespace fw
