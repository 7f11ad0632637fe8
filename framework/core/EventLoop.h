#pragma once
// The one event loop under the windows: every callback into the system's code runs through
// Dispatch, a quit request leaves the loop, and a quit signal becomes a quit request. It knows
// no window, box or sound; the application above it says what happens at those points.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/core/Delegate.h"
#include "framework/core/Exceptions.h"

namespace fw {

// What the application does when the loop reaches these points; an unset one does nothing.
struct EventLoopHooks {
  // The quit request is being carried out, before the loop is left.
  std::function<void()> onQuit;
  // A quit signal came in: nothing may be left waiting for a click.
  std::function<void()> onQuitSignal;
  // Shows a failure report to the user; returns once it has been seen.
  std::function<void(const std::string& text)> showFailure;
};
void SetEventLoopHooks(EventLoopHooks hooks);

// The exception helper: every callback into the system's code runs through it.
void RuntimeSetExceptionHelper(
    Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> helper);

// Runs a callback of the system's code: an exception it raises (and does not catch) gets
// the default handling: one line on stderr, the failure shown to the user, then the quit
// path with exit status 1.
void Dispatch(const std::function<void()>& callback);
// That report without the quit: the line on stderr and the failure shown.
void ReportFailure(const std::string& text);

// From here on SIGTERM, SIGINT and SIGHUP are quit requests (once the runtime is up).
void InstallQuitSignals();

// The event loop; returns when the application quits.
void RuntimeRun();

// A quit request: returns at once. Once the running handler has returned, the onQuit hook
// runs (the windows close, so each Close handler runs), then the loop is left.
// A second request, also one from a Close handler, is harmless and keeps the first code.
void Quit(int32_t code = 0);
bool QuitRequested();
int32_t ExitStatus();

}  // namespace fw
