#pragma once
// The framework runtime: start-up, the one event loop, quitting and the default handling of
// an exception that no handler caught.
#include <cstdint>
#include <functional>
#include <string>

#include "Delegate.h"
#include "Exceptions.h"
#include "Object.h"

namespace fw {

class Application;

// Brings up the runtime (the GUI application object). argc/argv may be empty.
void RuntimeInit(int argc = 0, char** argv = nullptr);

// The exception helper: every callback into the system's code runs through it.
void RuntimeSetExceptionHelper(Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> helper);
// Runs the start-up routine once (signature "(  )"), with the framework's exception handling.
void RunFrameworkInitialization(Delegate<void()> startup);
// The event loop; returns when the application quits.
void RuntimeRun();
// Tears down what the runtime holds and returns the exit status that Quit passed.
int32_t RuntimeExit();

// A quit request: returns at once. Once the running handler has returned, the framework
// closes the open windows (so each Close handler runs), then leaves the event loop.
// A second request, also one from a Close handler, is harmless and keeps the first code.
void Quit(int32_t code = 0);
bool QuitRequested();
int32_t ExitStatus();

void RuntimeRegisterAppObject(Ref<Application> app);
Ref<Application> GetAppObject();

// Runs a callback of the system's code: an exception it raises (and does not catch) gets
// the default handling: one line on stderr, a message box saying the same, then the quit
// path with exit status 1.
void Dispatch(const std::function<void()>& callback);
// That report without the quit: the line on stderr and the message box.
void ReportFailure(const std::string& text);

// Processes pending events until `done` holds or `timeoutMs` passes (tests).
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs);
void ProcessPendingEvents();

// Forgets a finished quit so that tests can run another start-up in the same process.
void ResetQuitStateForTesting();

}  // namespace fw
