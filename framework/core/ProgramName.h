#pragma once
// The name the program goes by where the user reads it: the start of every line it writes on
// stderr and the title of its message boxes. The framework names no program of its own; the
// application hands its name down first thing, before anything can print.
#include <string>

namespace fw {

// Set once, before the runtime is brought up: it is read without a lock, from any thread.
void SetProgramName(std::string name);
// The name set; until then the name the executable was started under.
const std::string& ProgramName();

}  // namespace fw
