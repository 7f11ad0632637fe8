#include "app/Startup.h"

#include "app/App.h"
#include "app/MenuBar1.h"
#include "clock/TextTables.h"
#include "clock/mainTimer.h"
#include "clock/mainWindow.h"
#include "framework/app/Runtime.h"
#include "framework/core/EventLoop.h"
#include "framework/ui/Window.h"
#include "prefs/ClassRecords.h"

fw::Ref<app::App> App() { return fw::CheckedCast<app::App>(fw::GetAppObject()); }

void initialize() {
  fw::RegisterFrameworkClasses();
  auto& registry = fw::ClassRegistry::Shared();
  registry.Register(app::App::Record());
  registry.Register(clockcore::mainWindow::Record());
  registry.Register(clockcore::mainTimer::Record());
  for (auto& record : prefs::ClassRecords()) registry.Register(record);
  registry.Register(app::MenuBar1::Record());
}

std::shared_ptr<fw::RuntimeException> CallFunctionWithExceptionHandling(void (*fn)(void*),
                                                                        void* arg) {
  return fw::CallCatchingRuntimeException(fn, arg);
}

void Main() {
  fw::RuntimeSetExceptionHelper(
      fw::Delegate<std::shared_ptr<fw::RuntimeException>(void (*)(void*), void*)>(
          &CallFunctionWithExceptionHandling, "( Ptr, Ptr ) as Object"));
  fw::RunFrameworkInitialization(fw::Delegate<void()>(&Startup, "(  )"));
  fw::RuntimeRun();
}

void Startup() {
  InitFileTypes();
  NewAppInstance();
  ApplicationAddMenuHandlers();
  MakeDefaultView();
}

void InitFileTypes() {}  // the clock opens no documents

void NewAppInstance() {
  auto application = fw::New<app::App>();
  application->Constructor();
  application->SetMenuBar(MenuBar1());
  fw::RuntimeRegisterAppObject(application);
}

void ApplicationAddMenuHandlers() {}  // the main window handles every menu command

void MakeDefaultView() { mainWindow(); }

void finalize() {
  clockcore::ReleaseTableTexts();
  fw::CloseAllWindows();
  fw::ClassRegistry::Shared().Clear();
  ReleaseMenuBar1();
}
