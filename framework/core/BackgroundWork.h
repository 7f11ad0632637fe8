#pragma once
// Work that must not hold up the event loop (decoding a picture or a sound) runs on a few
// worker threads; what it made is handed back on the main thread, from the event loop.
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace fw {

// Shared by a piece of work and whoever asked for it: set it, and work not yet begun is
// skipped, work under way stops at its next check. The `done` callback still runs.
using CancelFlag = std::shared_ptr<std::atomic<bool>>;
inline CancelFlag NewCancelFlag() { return std::make_shared<std::atomic<bool>>(false); }

// Runs `work` on a worker thread, then `done` on the main thread from the event loop. When no
// worker thread can be had (a process or thread limit) `work` runs here, at once: slower,
// but nothing waits for a thread that will never come. Without an event loop (no
// application object), `done` runs as soon as `work` has. `work` must not touch the main
// thread's objects; `done` may. Main thread only.
void RunInBackground(std::function<void()> work, std::function<void()> done,
                     CancelFlag cancel = nullptr);

// Starts `body` on a new thread in `thread`; false when the system will not make one (a
// process or thread limit), and nothing runs.
bool TryStartThread(std::thread& thread, std::function<void()> body);

// Cancels the work not yet begun, waits for the work under way and ends the workers (at exit:
// no worker may outlive what it uses). Later work starts new ones.
void StopBackgroundWork();

}  // namespace fw
