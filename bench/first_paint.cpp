// Launches a program on the X display in $DISPLAY and watches its window from outside, the
// same way for every program: no output or co-operation is asked of it.
//
//   first_paint [--timeout-ms N] -- PROGRAM [ARGS...]
//
// Prints one line, milliseconds from just before the launch (-1: not seen in time):
//   mapped=…  painted=…  picture=…
// mapped: a viewable top-level window whose _NET_WM_PID is the program's;
// painted: that window holds a pixel that is not black (the server runs with a black root,
//   and a window that was never drawn shows what lies under it);
// picture: the lower part of the window shows at least four colours down its middle column,
//   which a blank window cannot and a picture does.
// Then the program is asked to quit (SIGTERM) and waited for.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }  // a window may go while we look

long WindowPid(Display* display, Window window, Atom pidAtom) {
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      data && count == 1 && format == 32)
    pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

// The program's viewable top-level window, or None.
Window FindWindow(Display* display, pid_t pid, Atom pidAtom) {
  Window root = DefaultRootWindow(display), parent, *children = nullptr;
  unsigned int count = 0;
  Window found = None;
  if (!XQueryTree(display, root, &root, &parent, &children, &count)) return None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
    if (WindowPid(display, children[i], pidAtom) == pid) found = children[i];
  }
  if (children) XFree(children);
  return found;
}

// Colours of a strip of the window: a row (height 1) or a column (width 1).
std::set<unsigned long> StripColours(Display* display, Window window, int x, int y, unsigned w, unsigned h) {
  std::set<unsigned long> colours;
  XImage* image = XGetImage(display, window, x, y, w, h, AllPlanes, ZPixmap);
  if (!image) return colours;
  for (unsigned j = 0; j < h; ++j)
    for (unsigned i = 0; i < w; ++i) colours.insert(XGetPixel(image, int(i), int(j)) & 0xffffff);
  XDestroyImage(image);
  return colours;
}

}  // namespace

int main(int argc, char** argv) {
  int timeoutMs = 10000;
  int first = 1;
  for (; first < argc; ++first) {
    if (std::strcmp(argv[first], "--timeout-ms") == 0 && first + 1 < argc) {
      timeoutMs = std::atoi(argv[++first]);
    } else if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: first_paint [--timeout-ms N] -- PROGRAM [ARGS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "first_paint: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(&IgnoreErrors);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    execvp(argv[first], argv + first);
    std::perror("first_paint: exec");
    _exit(127);
  }

  double mapped = -1, painted = -1, picture = -1;
  Window window = None;
  int status = 0;
  bool exited = false;
  while (MsSince(start) < timeoutMs && picture < 0) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      break;
    }
    if (window == None) {
      window = FindWindow(display, pid, pidAtom);
      if (window != None) mapped = MsSince(start);
    }
    XWindowAttributes attributes;
    if (window != None && XGetWindowAttributes(display, window, &attributes) && attributes.width > 8 &&
        attributes.height > 8) {
      const int w = attributes.width, h = attributes.height;
      if (painted < 0) {
        auto row = StripColours(display, window, 0, h / 2, unsigned(w), 1);
        auto column = StripColours(display, window, w / 2, 0, 1, unsigned(h));
        row.insert(column.begin(), column.end());
        row.erase(0);
        if (!row.empty()) painted = MsSince(start);
      }
      if (painted >= 0) {
        const int top = h * 3 / 10;
        auto colours = StripColours(display, window, w / 2, top, 1, unsigned(h * 95 / 100 - top));
        colours.erase(0);
        if (colours.size() >= 4) picture = MsSince(start);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::printf("mapped=%.1f painted=%.1f picture=%.1f\n", mapped, painted, picture);
  std::fflush(stdout);
  XCloseDisplay(display);

  if (!exited) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 500 && waitpid(pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(pid, &status, WNOHANG) == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
  } else {
    std::fprintf(stderr, "first_paint: the program ended early (status %d)\n", status);
    return 1;
  }
  return picture < 0 ? 1 : 0;
}
