#pragma once
// The road from process entry to exit: class registration, start-up, the event loop and the
// release of what the program still holds.
#include <memory>

#include "framework/core/Exceptions.h"

void initialize();
void Main();
void Startup();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
void MakeDefaultView();
void finalize();
std::shared_ptr<fw::RuntimeException> CallFunctionWithExceptionHandling(void (*fn)(void*),
                                                                        void* arg);
