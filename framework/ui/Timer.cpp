#include "framework/ui/Timer.h"

#include <QTimer>

#include "framework/core/EventLoop.h"
#include "framework/core/WallClock.h"
#include "framework/ui/Testing.h"
#include "framework/ui/detail/ClockChangeWatch.h"

namespace fw {

using std::chrono::system_clock;

struct Timer::Impl {
  QTimer timer;
  system_clock::time_point due = system_clock::time_point::min();
  int watch = 0;  // the clock-change listener while a repeating timer runs

  void Unwatch() {
    if (watch) ClockChangeWatch::Remove(watch);
    watch = 0;
  }
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {
  // One precise single shot at a time, armed from the wall clock: a coarse timer may slip by
  // 5 % of its interval, a quarter of a second after a whole second has begun.
  impl_->timer.setTimerType(Qt::PreciseTimer);
  impl_->timer.setSingleShot(true);
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] { Expired(); });
}

Timer::~Timer() {
  impl_->Unwatch();
  impl_->timer.stop();
}

void Timer::SetMode(int32_t mode) {
  mode_ = mode;
  Rearm();
}

void Timer::SetPeriod(int32_t period) {
  period_ = period;
  Rearm();
}

std::span<const PropertyBinding<Timer>> Timer::PropertyBindings() {
  static constexpr PropertyBinding<Timer> kBindings[] = {
      {"Mode", [](Timer& t, int32_t v) { t.SetMode(v); }},
      {"Period", [](Timer& t, int32_t v) { t.SetPeriod(v); }},
  };
  return kBindings;
}

void Timer::WindowOpened() {
  running_ = true;
  Rearm();
}

void Timer::WindowShown() {
  // The first firing does not wait for a multiple; it waits for the window's first picture,
  // so that the work it starts follows that picture rather than holding it back.
  if (running_ && mode_ == 2) FireAtOnce();
}

void Timer::WindowClosing() {
  running_ = false;
  impl_->Unwatch();
  impl_->timer.stop();
}

void Timer::Rearm() {
  impl_->timer.stop();
  impl_->Unwatch();
  if (!running_ || mode_ == 0) return;
  if (mode_ == 1) {
    impl_->timer.start(std::max(period_, 1));
    return;
  }
  impl_->watch = ClockChangeWatch::Add([this] { FireAtOnce(); });
  ArmAligned();
}

void Timer::FireAtOnce() {
  impl_->due = system_clock::time_point::min();
  impl_->timer.start(0);
}

void Timer::ArmAligned() {
  const auto now = WallClockNow();
  const system_clock::duration period = std::chrono::milliseconds(std::max(period_, 1));
  auto into = now.time_since_epoch() % period;
  if (into < system_clock::duration::zero()) into += period;
  impl_->due = now + (period - into);
  // Rounded up: a firing before its multiple would still show the time before it.
  impl_->timer.start(std::chrono::ceil<std::chrono::milliseconds>(period - into));
}

void Timer::Expired() {
  Ref<Timer> self = RefTo(this);  // the action may drop the last other reference
  if (mode_ == 2) {
    const auto now = WallClockNow();
    // Woken before its multiple by the wall clock (slewed, or held by a test): wait for the
    // rest. A clock set back by more than a period fires now and aligns from there.
    if (now < impl_->due && impl_->due - now <= std::chrono::milliseconds(std::max(period_, 1))) {
      impl_->timer.start(std::chrono::ceil<std::chrono::milliseconds>(impl_->due - now));
      return;
    }
  }
  Fire();
  if (mode_ == 2 && running_ && !impl_->timer.isActive()) ArmAligned();
}

void Timer::Fire() {
  Ref<Timer> self = RefTo(this);
  if (mode_ == 1) impl_->timer.stop();
  Dispatch([&] { Action.Raise(self); });
}

void FireTimerForTesting(Timer& timer) { timer.Fire(); }

system_clock::time_point NextTimerFiringForTesting(const Timer& timer) { return timer.impl_->due; }

}  // namespace fw
