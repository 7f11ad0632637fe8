#include "XProbe.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace bench {
namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }  // a window may go while we look

}  // namespace

XProbe::XProbe() : display_(XOpenDisplay(nullptr)) {
  if (!display_) {
    std::fprintf(stderr, "cannot open the display\n");
    std::exit(1);
  }
  XSetErrorHandler(&IgnoreErrors);
  pidAtom_ = XInternAtom(display_, "_NET_WM_PID", False);
  netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
  utf8_ = XInternAtom(display_, "UTF8_STRING", False);
}

XProbe::~XProbe() { XCloseDisplay(display_); }

Window XProbe::FindWindow(pid_t pid) const {
  Window root = DefaultRootWindow(display_), parent, *children = nullptr;
  unsigned int count = 0;
  Window found = None;
  if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, children[i], &attributes) ||
        attributes.map_state != IsViewable)
      continue;
    Atom type;
    int format;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, children[i], pidAtom_, 0, 1, False, XA_CARDINAL, &type,
                           &format, &items, &after, &data) == Success &&
        data && items == 1 && format == 32 &&
        static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
      found = children[i];
    if (data) XFree(data);
  }
  if (children) XFree(children);
  return found;
}

std::string XProbe::Title(Window window) const {
  Atom type;
  int format;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display_, window, netWmName_, 0, 256, False, utf8_, &type, &format, &items,
                         &after, &data) == Success &&
      data && format == 8)
    title.assign(reinterpret_cast<const char*>(data), items);
  if (data) XFree(data);
  return title;
}

std::set<unsigned long> XProbe::StripColours(Window window, int x, int y, unsigned w,
                                             unsigned h) const {
  std::set<unsigned long> colours;
  XImage* image = XGetImage(display_, window, x, y, w, h, AllPlanes, ZPixmap);
  if (!image) return colours;
  for (unsigned j = 0; j < h; ++j)
    for (unsigned i = 0; i < w; ++i) colours.insert(XGetPixel(image, int(i), int(j)) & 0xffffff);
  XDestroyImage(image);
  return colours;
}

int ProgramIndex(int argc, char** argv, const char* usage,
                 const std::function<int(const std::string& option, const char* next)>& option) {
  int at = 1;
  while (at < argc) {
    if (std::string(argv[at]) == "--") {
      ++at;
      break;
    }
    const int taken = option(argv[at], at + 1 < argc ? argv[at + 1] : nullptr);
    if (taken == 0) break;
    at += taken;
  }
  if (at < argc) return at;
  std::fprintf(stderr, "usage: %s\n", usage);
  return 0;
}

pid_t Launch(char** argv) {
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (pid == 0) {
    execvp(argv[0], argv);
    std::perror("exec");
    _exit(127);
  }
  return pid;
}

bool EndProgram(pid_t pid, int& status) {
  if (waitpid(pid, &status, WNOHANG) == pid) return true;
  kill(pid, SIGTERM);
  for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  return false;
}

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace bench
