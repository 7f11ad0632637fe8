#include "framework/ui/detail/ClockChangeWatch.h"

#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <map>

namespace fw {
namespace {

struct Watch {
  int fd = -1;
  QPointer<QSocketNotifier> notifier;  // goes with the application
  bool failed = false;
  int lastId = 0;
  std::map<int, std::function<void()>> listeners;
};

Watch& TheWatch() {
  static Watch watch;
  return watch;
}

// An absolute expiry on the real-time clock far beyond any run, cancelled by the kernel when
// that clock is set. Read straight from the kernel: a preloaded clock (libfaketime) may stand
// years away, and an expiry it placed in the past would fire at once.
bool Arm(int fd) {
  timespec now{};
  syscall(SYS_clock_gettime, CLOCK_REALTIME, &now);
  itimerspec spec{};
  spec.it_value.tv_sec = now.tv_sec + time_t{100} * 365 * 24 * 3600;
  return timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
}

void Stop(Watch& w) {
  if (w.notifier) {
    w.notifier->setEnabled(false);
    w.notifier->deleteLater();  // Stop may run inside its signal
  }
  w.notifier = nullptr;
  if (w.fd >= 0) close(w.fd);
  w.fd = -1;
  w.failed = true;
}

void Readable() {
  Watch& w = TheWatch();
  uint64_t expirations = 0;
  const ssize_t n = read(w.fd, &expirations, sizeof expirations);
  if (n < 0 && errno == EAGAIN) return;
  if (n < 0 && errno == ECANCELED && Arm(w.fd)) {
    // A listener may remove itself or another: call a copy.
    const auto listeners = w.listeners;
    for (const auto& [id, changed] : listeners) changed();
    return;
  }
  // Expired after all, or cannot be armed again: watching would only spin.
  Stop(w);
}

bool Start(Watch& w) {
  if (w.notifier) return true;
  if (w.failed || !QCoreApplication::instance()) return false;
  if (w.fd < 0) w.fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
  if (w.fd < 0 || !Arm(w.fd)) {
    Stop(w);
    return false;
  }
  w.notifier = new QSocketNotifier(w.fd, QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(w.notifier, &QSocketNotifier::activated, [] { Readable(); });
  return true;
}

}  // namespace

int ClockChangeWatch::Add(std::function<void()> changed) {
  Watch& w = TheWatch();
  if (!Start(w)) return 0;
  w.listeners[++w.lastId] = std::move(changed);
  return w.lastId;
}

void ClockChangeWatch::Remove(int id) { TheWatch().listeners.erase(id); }

}  // namespace fw
