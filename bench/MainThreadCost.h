#pragma once
// What a piece of main-thread work costs when part of it may be handed to worker threads: the
// main thread's own CPU time from its start until what it asked for is delivered and all
// background work is handed back, the wall time of the call itself, and of the whole.
#include <functional>
#include <vector>

namespace bench {

double ThreadCpuMs();   // this thread's CPU time
double ProcessCpuMs();  // the process's, over all threads
double WallMs();        // a monotonic clock

struct MainThreadCost {
  double mainCpuMs = 0;  // the main thread's CPU from the call until all work is handed back
  double callMs = 0;     // wall time of the call itself
  double doneMs = 0;     // wall time until all background work was handed back
  double cpuMs = 0;      // CPU over all threads over the same span
  bool delivered = false;
};

// Runs `call` on the main thread, then waits for `delivered` without spinning: the event loop
// blocks until an event comes (a worker's hand-back, or a wake-up after 5 ms, then 10, 20 and
// so on up to every 160 ms). It stops
// waiting when `delivered` holds, or when no other thread has used CPU for 30 ms (nothing is
// being worked on: a refused file delivers nothing), or after `timeoutMs`; then the
// framework's own wait makes sure every background job has been handed back. On code that
// does all its work inside `call`, the wait ends at once.
MainThreadCost MeasureMainThread(const std::function<void()>& call,
                                 const std::function<bool()>& delivered, int timeoutMs = 60000);

// The median of `values` (0 when empty).
double Median(std::vector<double> values);

}  // namespace bench
