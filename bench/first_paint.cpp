// Launches a program on the X display in $DISPLAY and watches its window from outside, the
// same way for every program: no output or co-operation is asked of it.
//
//   first_paint [--timeout-ms N] [--title] -- PROGRAM [ARGS...]
//
// Prints one line, milliseconds from just before the launch (-1: not seen in time):
//   mapped=…  painted=…  picture=…  [titled=…]
// mapped: a viewable top-level window whose _NET_WM_PID is the program's;
// painted: that window holds a pixel that is not black (the server runs with a black root,
//   and a window that was never drawn shows what lies under it);
// picture: the lower part of the window shows at least four colours down its middle column,
//   which a blank window cannot and a picture does;
// titled (--title): the window's title is no longer "00:00:00", the clock's (and its floor's)
//   title before its first tick; the watch then lasts until both the picture and the new
//   title are seen.
// Then the program is asked to quit (SIGTERM) and waited for.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "XProbe.h"

int main(int argc, char** argv) {
  int timeoutMs = 10000;
  bool watchTitle = false;
  const int first =
      bench::ProgramIndex(argc, argv, "first_paint [--timeout-ms N] [--title] -- PROGRAM [ARGS...]",
                          [&](const std::string& option, const char* next) {
                            if (option == "--title") return int(watchTitle = true);
                            if (option != "--timeout-ms" || !next) return 0;
                            timeoutMs = std::atoi(next);
                            return 2;
                          });
  if (!first) return 2;
  bench::XProbe probe;
  Display* display = probe.display();

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = bench::Launch(argv + first);

  double mapped = -1, painted = -1, picture = -1, titled = -1;
  Window window = None;
  int status = 0;
  bool exited = false;
  while (bench::MsSince(start) < timeoutMs && (picture < 0 || (watchTitle && titled < 0))) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
      break;
    }
    if (window == None) {
      window = probe.FindWindow(pid);
      if (window != None) mapped = bench::MsSince(start);
    }
    if (window != None && watchTitle && titled < 0 && probe.Title(window) != "00:00:00")
      titled = bench::MsSince(start);
    XWindowAttributes attributes;
    if (window != None && picture < 0 && XGetWindowAttributes(display, window, &attributes) &&
        attributes.width > 8 && attributes.height > 8) {
      const int w = attributes.width, h = attributes.height;
      if (painted < 0) {
        auto row = probe.StripColours(window, 0, h / 2, unsigned(w), 1);
        auto column = probe.StripColours(window, w / 2, 0, 1, unsigned(h));
        row.insert(column.begin(), column.end());
        row.erase(0);
        if (!row.empty()) painted = bench::MsSince(start);
      }
      if (painted >= 0) {
        const int top = h * 3 / 10;
        auto colours = probe.StripColours(window, w / 2, top, 1, unsigned(h * 95 / 100 - top));
        colours.erase(0);
        if (colours.size() >= 4) picture = bench::MsSince(start);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::printf("mapped=%.1f painted=%.1f picture=%.1f", mapped, painted, picture);
  if (watchTitle) std::printf(" titled=%.1f", titled);
  std::printf("\n");
  std::fflush(stdout);

  if (exited || bench::EndProgram(pid, status)) {
    std::fprintf(stderr, "first_paint: the program ended early (status %d)\n", status);
    return 1;
  }
  return picture < 0 ? 1 : 0;
}
