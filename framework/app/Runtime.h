#pragma once
// The application's lifecycle on top of the event loop: start-up, what a quit or a quit
// signal does to the windows and message boxes, and the teardown that ends in the exit status.
#include <cstdint>

#include "framework/core/Delegate.h"
#include "framework/core/EventLoop.h"
#include "framework/core/Object.h"

namespace fw {

class Application;

// Brings up the runtime (the GUI application object). argc/argv may be empty.
void RuntimeInit(int argc = 0, char** argv = nullptr);

// Runs the start-up routine once (signature "(  )"), with the framework's exception handling.
void RunFrameworkInitialization(Delegate<void()> startup);
// Tears down what the runtime holds and returns the exit status that Quit passed.
int32_t RuntimeExit();

void RuntimeRegisterAppObject(Ref<Application> app);
Ref<Application> GetAppObject();

}  // namespace fw
