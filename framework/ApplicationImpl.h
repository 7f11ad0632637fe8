#pragma once
// Internal to the framework: where the running program lives.
#include "Strings.h"

namespace fw {
// The application folder, climbed from the executable exactly as Application::ExecutableFile()
// ->Parent()->Parent() climbs, so a name resolved against it and a climb from the executable
// always meet in the same folder. Empty when the executable cannot be found.
String ApplicationFolder();
}  // namespace fw
