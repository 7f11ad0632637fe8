#pragma once
// Internal to the framework: reading a file that may be anything.
#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// The whole of a regular file of at most maxBytes (an empty one included), or nothing.
// Opened non-blocking so that a FIFO or device node put where a file should be cannot hang
// the caller; only regular files are read.
std::optional<std::string> ReadWholeRegularFile(const std::string& path, int64_t maxBytes);

// The first maxBytes of a regular file, all of a shorter one: a larger file is cut, not
// refused, and costs no more memory than maxBytes.
std::optional<std::string> ReadRegularFileStart(const std::string& path, int64_t maxBytes);

// The same as ReadWholeRegularFile for a payload file, which is of no use empty.
std::optional<std::string> ReadRegularFile(const std::string& path, int64_t maxBytes);

}  // namespace fw
