#pragma once
#include <vector>

#include "framework/core/ClassRegistry.h"

namespace prefs {
// The preferences window's class and its two control-array classes, in that order.
std::vector<fw::ClassRecord> ClassRecords();
}  // namespace prefs
