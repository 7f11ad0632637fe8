#include "prefs/ClassRecords.h"

namespace prefs {
std::vector<fw::ClassRecord> ClassRecords() { return {}; }
}  // namespace prefs
