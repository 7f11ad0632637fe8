#include "framework/core/EventLoop.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "framework/core/ProgramName.h"
#include "framework/core/Testing.h"

namespace fw {
namespace {

struct LoopState {
  EventLoopHooks hooks;
  Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> exceptionHelper;
  bool quitRequested = false;
  bool quitSignalled = false;
  bool quitDone = false;
  int32_t exitStatus = 0;
  bool reportingException = false;
  QEventLoop* mainLoop = nullptr;
};

LoopState& Loop() {
  static LoopState state;
  return state;
}

void RunStdFunction(void* callback) { (*static_cast<const std::function<void()>*>(callback))(); }

void ReportUncaught(const std::string& className, const std::string& message) {
  Loop().exitStatus = 1;
  ReportFailure("An unhandled " + className + " occurred: " + message);
  if (!Loop().quitRequested) Quit(1);
  Loop().exitStatus = 1;
}

void ProcessQuit() {
  if (Loop().hooks.onQuit) Loop().hooks.onQuit();
  Loop().quitDone = true;
  if (Loop().mainLoop) Loop().mainLoop->exit(Loop().exitStatus);
}

// The desktop asks the clock to quit with a signal (logout: SIGHUP and SIGTERM together,
// kill: SIGTERM, Ctrl+C: SIGINT). The handler only writes to a pipe; the event loop turns that
// into the quit request, so the settings are written as for "終了". Signals that follow do not
// cut that quit short while it saves; once it has had kQuitGraceNs, a further signal ends
// the process at once, the way out of a hung one.
int gSignalPipe[2] = {-1, -1};
constexpr int64_t kQuitGraceNs = 3'000'000'000;
std::atomic<int64_t> gFirstSignalNs{-1};
static_assert(std::atomic<int64_t>::is_always_lock_free, "read and written in a signal handler");

// Straight to the kernel: no library's clock (a preloaded one included) runs in the handler.
int64_t MonotonicNs() {
  timespec now{};
  syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void OnQuitSignal(int signo) {
  const int savedErrno = errno;
  const int64_t now = MonotonicNs();
  int64_t first = -1;
  if (!gFirstSignalNs.compare_exchange_strong(first, now) && now - first >= kQuitGraceNs)
    _exit(128 + signo);
  // Every signal reaches the event loop: a message box that came up meanwhile goes too.
  const char byte = static_cast<char>(signo);
  [[maybe_unused]] auto n = write(gSignalPipe[1], &byte, 1);
  errno = savedErrno;
}

}  // namespace

void SetEventLoopHooks(EventLoopHooks hooks) { Loop().hooks = std::move(hooks); }

void RuntimeSetExceptionHelper(
    Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> helper) {
  if (helper.Signature() != "( Ptr, Ptr ) as Object")
    throw RuntimeException("exception helper has the signature \"" + helper.Signature() + "\"");
  Loop().exceptionHelper = std::move(helper);
}

void Dispatch(const std::function<void()>& callback) {
  auto* arg = const_cast<std::function<void()>*>(&callback);
  std::shared_ptr<RuntimeException> raised;
  try {
    raised = Loop().exceptionHelper ? Loop().exceptionHelper(&RunStdFunction, arg)
                                    : CallCatchingRuntimeException(&RunStdFunction, arg);
  } catch (const std::exception& e) {
    ReportUncaught("exception", e.what());
    return;
  } catch (...) {
    ReportUncaught("exception", "unknown");
    return;
  }
  if (raised) ReportUncaught(raised->ClassName(), raised->Message());
}

void ReportFailure(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", ProgramName().c_str(), text.c_str());
  std::fflush(stderr);
  // After a quit signal nobody may be left to click a message box: the line has to do. A
  // failure while the first report is still on screen is logged, not stacked up.
  if (Loop().quitSignalled || Loop().reportingException || !Loop().hooks.showFailure) return;
  Loop().reportingException = true;
  try {
    Loop().hooks.showFailure(text);
  } catch (...) {
  }
  Loop().reportingException = false;
}

void InstallQuitSignals() {
  if (gSignalPipe[0] >= 0) return;
  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier =
      new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char buffer[16];
    while (read(gSignalPipe[0], buffer, sizeof buffer) > 0) {
    }
    Loop().quitSignalled = true;
    if (Loop().hooks.onQuitSignal) Loop().hooks.onQuitSignal();
    Quit(0);
  });
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    // Started with SIGHUP ignored (nohup): the clock is meant to outlive its terminal.
    struct sigaction inherited {};
    if (signo == SIGHUP && sigaction(SIGHUP, nullptr, &inherited) == 0 &&
        inherited.sa_handler == SIG_IGN)
      continue;
    sigaction(signo, &action, nullptr);
  }
}

void RuntimeRun() {
  if (Loop().quitDone) return;
  QEventLoop loop;
  Loop().mainLoop = &loop;
  loop.exec();
  Loop().mainLoop = nullptr;
}

void Quit(int32_t code) {
  if (Loop().quitRequested) return;
  Loop().quitRequested = true;
  Loop().exitStatus = code;
  // Runs once the current handler has returned to the event loop.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [] { ProcessQuit(); }, Qt::QueuedConnection);
}

bool QuitRequested() { return Loop().quitRequested; }
int32_t ExitStatus() { return Loop().exitStatus; }

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() >= timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents();
  }
  return true;
}

void ProcessPendingEvents() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

void ResetQuitStateForTesting() {
  ProcessPendingEvents();
  Loop().quitRequested = false;
  Loop().quitSignalled = false;
  Loop().quitDone = false;
  Loop().exitStatus = 0;
  Loop().reportingException = false;
}

}  // namespace fw
