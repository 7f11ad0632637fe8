#pragma once
#include "framework/app/Application.h"
#include "framework/core/ClassRegistry.h"

namespace app {

// The application object: one instance, registered with the framework at start-up.
class App : public fw::Application {
 public:
  std::string FullClassName() const override { return "App"; }
  static fw::ClassRecord Record() { return {"App", "Application", {{"Constructor", "Public"}}}; }
  void Constructor() {}
};

}  // namespace app

// The registered application object.
fw::Ref<app::App> App();
