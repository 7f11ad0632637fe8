#pragma once
#include <cstdint>
#include <memory>

#include "Control.h"
#include "Delegate.h"

namespace fw {

// A timer control. Mode 0 is off, 1 fires once, 2 repeats every Period milliseconds.
// It starts once its window has finished building, and keeps firing while a modal window
// or a message box is up.
class Timer : public BindsProperties<Timer, Control> {
 public:
  Timer();
  ~Timer() override;
  std::string FullClassName() const override { return "Timer"; }
  int32_t Mode() const { return mode_; }
  void SetMode(int32_t mode);
  int32_t Period() const { return period_; }
  void SetPeriod(int32_t period);
  static std::span<const PropertyBinding<Timer>> PropertyBindings();
  void WindowOpened() override;
  void WindowClosing() override;
  // Fires the timer once now, as a tick of the event loop would (tests).
  void Fire();

  Event<void(Ref<Timer>)> Action{"( Timer )"};

 private:
  void Apply();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int32_t mode_ = 2;
  int32_t period_ = 1000;
  bool running_ = false;
};

}  // namespace fw
