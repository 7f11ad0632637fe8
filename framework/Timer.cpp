#include "Timer.h"

#include <QTimer>

#include "EventLoop.h"
#include "Window.h"

namespace fw {

struct Timer::Impl {
  QTimer timer;
};

Timer::Timer() : impl_(std::make_unique<Impl>()) {
  // Coarse timing lets the system batch wake-ups; the clock needs no better than 5 %.
  impl_->timer.setTimerType(Qt::CoarseTimer);
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] { Fire(); });
}

Timer::~Timer() { impl_->timer.stop(); }

void Timer::SetMode(int32_t mode) {
  mode_ = mode;
  Apply();
}

void Timer::SetPeriod(int32_t period) {
  period_ = period;
  Apply();
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
  Apply();
}

void Timer::WindowClosing() {
  running_ = false;
  impl_->timer.stop();
}

void Timer::Apply() {
  impl_->timer.stop();
  if (!running_ || mode_ == 0) return;
  impl_->timer.setSingleShot(mode_ == 1);
  impl_->timer.start(std::max(period_, 1));
}

void Timer::Fire() {
  Ref<Timer> self = RefTo(this);
  if (mode_ == 1) impl_->timer.stop();
  Dispatch([&] { Action.Raise(self); });
}

}  // namespace fw
