#pragma once
// Internal to the framework: the wall clock every part of it reads (the one tests set with
// SetClockForTesting).
#include <chrono>

namespace fw {

std::chrono::system_clock::time_point WallClockNow();

}  // namespace fw
