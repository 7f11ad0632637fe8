// Start-up: class registration order, the application object and shutdown.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/Testing.h"
#include "framework/core/ClassRegistry.h"
#include "framework/core/EventLoop.h"
#include "support/ClockFixture.h"

using testsupport::ClockFixture;
using testsupport::Payload;

class Startup : public ClockFixture {};

TEST_F(Startup, SystemClassesAreRegisteredAfterTheFrameworksInOrder) {
  initialize();
  const auto& records = fw::ClassRegistryForTesting::Records();
  auto position = [&](const std::string& name) {
    for (size_t i = 0; i < records.size(); ++i)
      if (records[i].fullName == name) return static_cast<int>(i);
    return -1;
  };
  const int window = position("Window");
  const int app = position("App");
  ASSERT_GE(window, 0);
  ASSERT_GT(app, window);
  int previous = app;
  for (const char* name : {"mainWindow.mainWindow", "mainWindow.mainTimer", "prefWindow.prefWindow",
                           "prefWindow.faceImage", "prefWindow.nameCheck", "MenuBar1"}) {
    const int at = position(name);
    EXPECT_GT(at, previous) << name;
    previous = at;
  }
  EXPECT_TRUE(fw::ClassRegistryForTesting::IsA("mainWindow.mainWindow", "Window"));
  EXPECT_EQ(fw::ClassRegistry::Shared().Find("App")->members.at(0).name, "Constructor");
  finalize();
  EXPECT_TRUE(fw::ClassRegistryForTesting::Records().empty());
}

TEST_F(Startup, ApplicationObjectHoldsTheMenuBarBeforeTheWindowExists) {
  MakePayload(Payload::Standard);
  initialize();
  NewAppInstance();
  EXPECT_FALSE(fw::GetImplicitWindow("mainWindow.mainWindow"));
  auto application = App();
  ASSERT_TRUE(application);
  EXPECT_EQ(application->MenuBar().get(), ::MenuBar1().get());
  MakeDefaultView();
  EXPECT_EQ(::mainWindow()->MenuBar().get(), application->MenuBar().get());
  window_ = ::mainWindow();
  Quit();
}

TEST_F(Startup, UncaughtExceptionIsReportedAndEndsWithStatusOne) {
  MakePayload(Payload::Standard);
  auto w = Start();
  fw::Dispatch([] { throw fw::OutOfBoundsException("index 99 outside 0..12"); });
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("OutOfBoundsException"), std::string::npos);
  EXPECT_NE(Messages()[0].find("index 99"), std::string::npos);
  EXPECT_TRUE(fw::QuitRequested());
  fw::ProcessPendingEvents();
  EXPECT_TRUE(w->IsClosed());                         // the quit path still ran the Close handler
  EXPECT_TRUE(std::filesystem::exists(PrefsFile()));  // so the settings reached the file
  EXPECT_EQ(fw::ExitStatus(), 1);
}

TEST(ExceptionHelper, ReturnsARaisedRuntimeExceptionAndLetsOthersPass) {
  const auto raised = CallFunctionWithExceptionHandling(
      [](void*) { throw fw::IOException("disk full", 28); }, nullptr);
  ASSERT_TRUE(raised);
  EXPECT_EQ(raised->ClassName(), "IOException");  // the subclass survives the copy
  EXPECT_FALSE(CallFunctionWithExceptionHandling([](void*) {}, nullptr));
  EXPECT_THROW(
      CallFunctionWithExceptionHandling([](void*) { throw std::runtime_error("no"); }, nullptr),
      std::runtime_error);
}
