#include "Runtime.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QEventLoop>
#include <QFont>
#include <QTimer>
#include <QElapsedTimer>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "Application.h"
#include "MsgBox.h"
#include "Sound.h"
#include "Window.h"

namespace fw {
namespace {

struct RuntimeState {
  Ref<Application> appObject;
  Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> exceptionHelper;
  bool quitRequested = false;
  bool quitSignalled = false;
  bool quitDone = false;
  int32_t exitStatus = 0;
  bool reportingException = false;
  QEventLoop* mainLoop = nullptr;
};

RuntimeState& S() {
  static RuntimeState state;
  return state;
}

void RunStdFunction(void* callback) { (*static_cast<const std::function<void()>*>(callback))(); }

std::shared_ptr<RuntimeException> CallDirectly(void (*fn)(void*), void* arg) {
  try {
    fn(arg);
  } catch (const RuntimeException& e) {
    return e.Clone();
  }
  return nullptr;
}

}  // namespace

void ReportFailure(const std::string& text) {
  std::fprintf(stderr, "vantoViewer3: %s\n", text.c_str());
  std::fflush(stderr);
  // After a quit signal nobody may be left to click a message box: the line has to do. A
  // failure while the first report is still on screen is logged, not stacked up.
  if (S().quitSignalled || S().reportingException) return;
  S().reportingException = true;
  try {
    MsgBox(text);
  } catch (...) {
  }
  S().reportingException = false;
}

namespace {

void ReportUncaught(const std::string& className, const std::string& message) {
  S().exitStatus = 1;
  ReportFailure("An unhandled " + className + " occurred: " + message);
  if (!S().quitRequested) Quit(1);
  S().exitStatus = 1;
}

void ProcessQuit() {
  CloseAllWindows();
  S().quitDone = true;
  if (S().mainLoop) S().mainLoop->exit(S().exitStatus);
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

void InstallQuitSignals() {
  if (gSignalPipe[0] >= 0) return;
  if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char buffer[16];
    while (read(gSignalPipe[0], buffer, sizeof buffer) > 0) {
    }
    S().quitSignalled = true;
    CloseMessageBoxes();
    Quit(0);
  });
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    // Started with SIGHUP ignored (nohup): the clock is meant to outlive its terminal.
    struct sigaction inherited {};
    if (signo == SIGHUP && sigaction(SIGHUP, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
      continue;
    sigaction(signo, &action, nullptr);
  }
}

// Qt ends a process whose display does not open with a fatal message and an abort, which
// dumps core. Here that is one line naming the display and exit status 1. Qt's messages
// while it starts are held back and passed on once it is up, so a failed start prints no
// pile of plugin diagnostics.
struct HeldMessage {
  QtMsgType type;
  std::string category;
  QString text;
};
std::mutex gHeldMutex;
std::vector<HeldMessage> gHeldMessages;

std::string DisplayName() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && std::string(platform).rfind("xcb", 0) != 0)
    return std::string("(platform \"") + platform + "\")";
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return "(DISPLAY is not set)";
  return std::string("\"") + display + "\"";
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "vantoViewer3: cannot open the display %s\n", DisplayName().c_str());
    std::fflush(stderr);
    _exit(1);
  }
  std::lock_guard lock(gHeldMutex);
  gHeldMessages.push_back({type, context.category ? context.category : "", text});
}

void PassOnHeldMessages() {
  std::vector<HeldMessage> held;
  {
    std::lock_guard lock(gHeldMutex);
    held.swap(gHeldMessages);
  }
  for (const auto& m : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.c_str());
    qt_message_output(m.type, context, m.text);
  }
}

}  // namespace

void RuntimeInit(int argc, char** argv) {
  // A stderr whose reader is gone must not end the clock at its next line.
  signal(SIGPIPE, SIG_IGN);
  if (QApplication::instance()) return;
  static int storedArgc = 1;
  static std::vector<char*> storedArgv;
  static char programName[] = "vantoViewer3";
  storedArgv.clear();
  storedArgv.push_back(argc > 0 && argv ? argv[0] : programName);
  storedArgv.push_back(nullptr);
  storedArgc = 1;  // the clock takes no command line; Qt must not see test flags either
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
  new QApplication(storedArgc, storedArgv.data());
  qInstallMessageHandler(previous);
  PassOnHeldMessages();
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName("vantoViewer3");
  // The layouts name a Mac font; the nearest here is a sans with the Japanese glyphs.
  QFont::insertSubstitutions("Lucida Grande", {"Noto Sans CJK JP", "DejaVu Sans"});
}

void RuntimeSetExceptionHelper(
    Delegate<std::shared_ptr<RuntimeException>(void (*)(void*), void*)> helper) {
  if (helper.Signature() != "( Ptr, Ptr ) as Object")
    throw RuntimeException("exception helper has the signature \"" + helper.Signature() + "\"");
  S().exceptionHelper = std::move(helper);
}

void Dispatch(const std::function<void()>& callback) {
  std::shared_ptr<RuntimeException> raised;
  try {
    if (S().exceptionHelper)
      raised = S().exceptionHelper(&RunStdFunction, const_cast<std::function<void()>*>(&callback));
    else
      raised = CallDirectly(&RunStdFunction, const_cast<std::function<void()>*>(&callback));
  } catch (const std::exception& e) {
    ReportUncaught("exception", e.what());
    return;
  } catch (...) {
    ReportUncaught("exception", "unknown");
    return;
  }
  if (raised) ReportUncaught(raised->ClassName(), raised->Message());
}

void RunFrameworkInitialization(Delegate<void()> startup) {
  if (startup.Signature() != "(  )")
    throw RuntimeException("start-up routine has the signature \"" + startup.Signature() + "\"");
  // From here on a quit signal is a quit request, also one that comes during start-up.
  InstallQuitSignals();
  Dispatch([&] { startup(); });
}

void RuntimeRun() {
  if (S().quitDone) return;
  QEventLoop loop;
  S().mainLoop = &loop;
  loop.exec();
  S().mainLoop = nullptr;
}

int32_t RuntimeExit() {
  CloseAllWindows();
  ShutdownSound();
  S().appObject.reset();
  return S().exitStatus;
}

void Quit(int32_t code) {
  if (S().quitRequested) return;
  S().quitRequested = true;
  S().exitStatus = code;
  // Runs once the current handler has returned to the event loop.
  QMetaObject::invokeMethod(QCoreApplication::instance(), [] { ProcessQuit(); },
                            Qt::QueuedConnection);
}

bool QuitRequested() { return S().quitRequested; }
int32_t ExitStatus() { return S().exitStatus; }

void RuntimeRegisterAppObject(Ref<Application> app) { S().appObject = std::move(app); }
Ref<Application> GetAppObject() { return S().appObject; }

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
  S().quitRequested = false;
  S().quitSignalled = false;
  S().quitDone = false;
  S().exitStatus = 0;
  S().reportingException = false;
}

}  // namespace fw
