#include "framework/app/Runtime.h"

#include "framework/core/BackgroundWork.h"
#include "framework/core/ProgramName.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "framework/app/Application.h"
#include "framework/media/Sound.h"
#include "framework/ui/MsgBox.h"
#include "framework/ui/Window.h"

namespace fw {
namespace {

Ref<Application>& AppObject() {
  static Ref<Application> app;
  return app;
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
    std::fprintf(stderr, "%s: cannot open the display %s\n", ProgramName().c_str(),
                 DisplayName().c_str());
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

// Started with one of them closed (`2>&-`, as some launchers do), the next file opened takes
// its number: the X connection would become stderr and the first warning anyone prints would
// go into the X protocol stream. Each closed one is opened on /dev/null before anything else is.
void OpenClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null > fd) {  // the lowest free number, so never lower than fd
      dup2(null, fd);
      close(null);
    }
  }
}

}  // namespace

void RuntimeInit(int argc, char** argv) {
  OpenClosedStandardStreams();
  // A stderr whose reader is gone must not end the clock at its next line.
  signal(SIGPIPE, SIG_IGN);
  // A quit closes the windows, so each Close handler runs; a quit signal also takes away the
  // message box on screen; a failure the user has to read comes up in a message box.
  SetEventLoopHooks({.onQuit = [] { CloseAllWindows(); },
                     .onQuitSignal = [] { CloseMessageBoxes(); },
                     .showFailure = [](const std::string& text) { MsgBox(text); }});
  if (QApplication::instance()) return;
  static int storedArgc = 1;
  static std::vector<char*> storedArgv;
  static std::string programName;
  programName = ProgramName();
  storedArgv.clear();
  storedArgv.push_back(argc > 0 && argv ? argv[0] : programName.data());
  storedArgv.push_back(nullptr);
  storedArgc = 1;  // the clock takes no command line; Qt must not see test flags either
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
  new QApplication(storedArgc, storedArgv.data());
  qInstallMessageHandler(previous);
  PassOnHeldMessages();
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QString::fromStdString(ProgramName()));
  // The layouts name a Mac font; the nearest here is a sans with the Japanese glyphs.
  QFont::insertSubstitutions("Lucida Grande", {"Noto Sans CJK JP", "DejaVu Sans"});
}

void RunFrameworkInitialization(Delegate<void()> startup) {
  if (startup.Signature() != "(  )")
    throw RuntimeException("start-up routine has the signature \"" + startup.Signature() + "\"");
  // From here on a quit signal is a quit request, also one that comes during start-up.
  InstallQuitSignals();
  Dispatch([&] { startup(); });
}

int32_t RuntimeExit() {
  CloseAllWindows();
  // No decode may still be running when the sound system and Qt go.
  StopBackgroundWork();
  ShutdownSound();
  AppObject().reset();
  return ExitStatus();
}

void RuntimeRegisterAppObject(Ref<Application> app) { AppObject() = std::move(app); }
Ref<Application> GetAppObject() { return AppObject(); }

}  // namespace fw
