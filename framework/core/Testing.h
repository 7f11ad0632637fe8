#pragma once
// What tests, benchmarks and fuzzing may set or read in the core: the clock, the event loop,
// the background work, the class registry and the insides of the framework's objects.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/ClassRegistry.h"
#include "framework/core/ImplAccess.h"

namespace fw {

// The framework's clock: the current time as the Date constructor and the timers see it
// (nullptr restores the system clock).
using ClockSource = std::function<std::chrono::system_clock::time_point()>;
void SetClockForTesting(ClockSource source);

// Processes pending events until `done` holds or `timeoutMs` passes.
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs);
void ProcessPendingEvents();
// Forgets a finished quit so that another start-up can run in the same process.
void ResetQuitStateForTesting();

// Waits, processing events, until all background work has been handed back (or `timeoutMs`).
void FinishBackgroundWorkForTesting(int timeoutMs = 30000);
// While set, no new thread can be made, as under a process limit (StopBackgroundWork ends
// the workers there are).
void RefuseThreadsForTesting(bool refuse);
// While held, the workers start no new work; it waits in the queue.
void HoldBackgroundWorkForTesting(bool hold);
// How many pieces of work have run (not skipped as cancelled) since the process started.
int BackgroundWorkRunForTesting();

// What the shared class registry holds: its records in the order registered, and whether
// `fullName` is `baseName` or derives from it through registered bases.
struct ClassRegistryForTesting {
  static const std::vector<ClassRecord>& Records();
  static bool IsA(const std::string& fullName, const std::string& baseName);
};

// The insides of a window, a control, a picture or a sound, as its Impl header describes them
// (widgets, pixels, decode state).
template <class T>
auto& ImplForTesting(const T& object) {
  return detail::ImplOf(object);
}

}  // namespace fw
