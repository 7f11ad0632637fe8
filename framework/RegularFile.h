#pragma once
// Internal to the framework: reading a payload file that may be anything.
#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// The whole of a regular, non-empty file of at most maxBytes, or nothing. Opened
// non-blocking so that a FIFO or device node put where a picture or sound should be cannot
// hang the caller; only regular files are read.
std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes);

}  // namespace fw
