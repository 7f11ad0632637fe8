#pragma once
#include <filesystem>

namespace testsupport {

// Whether the file opens as a sound that, once decoded, plays: refused by its first bytes it
// opens as none; refused by its decode (on a worker) it plays nothing.
bool PlaysAsSound(const std::filesystem::path& path);

}  // namespace testsupport
