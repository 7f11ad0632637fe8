#pragma once
#include <chrono>
#include <cstdint>
#include <memory>

#include "framework/core/Delegate.h"
#include "framework/ui/Control.h"

namespace fw {

// A timer control. Mode 0 is off, 1 fires once, 2 repeats every Period milliseconds.
// It starts once its window has finished building, and keeps firing while a modal window
// or a message box is up. A repeating timer fires first as soon as its window is on screen
// (at the latest on the first multiple below), then on the wall clock's multiples of its
// period (a 500 ms timer on the whole and half seconds), each firing armed afresh from the
// wall clock: it never drifts, and a clock set or a wake from suspend fires it at once and
// aligns it again.
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
  void WindowShown() override;
  void WindowClosing() override;

  Event<void(Ref<Timer>)> Action{"( Timer )"};

 private:
  friend void FireTimerForTesting(Timer& timer);
  friend std::chrono::system_clock::time_point NextTimerFiringForTesting(const Timer& timer);

  // Drops the firing armed, if any, and arms the next one afresh from Mode and Period: none
  // while off or before the window has finished building.
  void Rearm();
  void Expired();
  // Raises Action through Dispatch; a one-shot timer is done with.
  void Fire();
  void FireAtOnce();
  void ArmAligned();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int32_t mode_ = 2;
  int32_t period_ = 1000;
  bool running_ = false;
};

}  // namespace fw
