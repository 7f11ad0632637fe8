#pragma once
// Every hook that tests, benchmarks and fuzzing harnesses may set or read inside the framework,
// layer by layer. The program itself includes none of this; the build refuses it in the
// clock's own code.
#include "framework/core/Testing.h"
#include "framework/files/Testing.h"
#include "framework/media/Testing.h"
#include "framework/ui/Testing.h"
