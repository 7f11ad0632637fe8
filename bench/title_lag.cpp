// Launches a program on the X display in $DISPLAY and measures, from outside, how late its
// window's title shows each second of the time of day.
//
//   title_lag [--seconds N] -- PROGRAM [ARGS...]
//
// Once the window is up, every change of its title (_NET_WM_NAME) over N seconds (default
// 20) is stamped with the real-time clock as it arrives. A title "HH:MM:SS" names a second of
// local time; its lag is that stamp less the start of the second. The first change, the
// start-up's, is left out. Prints one line, in milliseconds:
//   changes=…  median=…  p90=…  max=…
// Then the program is asked to quit (SIGTERM) and waited for.
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "XProbe.h"

namespace {

// Milliseconds from the start of the local second the title names to `at`; NAN when the
// title names no time of day.
double LagMs(const std::string& title, const timespec& at) {
  int hh, mm, ss;
  char end;
  if (std::sscanf(title.c_str(), "%2d:%2d:%2d%c", &hh, &mm, &ss, &end) != 3) return NAN;
  std::tm named{};
  localtime_r(&at.tv_sec, &named);
  named.tm_hour = hh;
  named.tm_min = mm;
  named.tm_sec = ss;
  named.tm_isdst = -1;
  double lag = double(at.tv_sec - std::mktime(&named)) * 1000.0 + at.tv_nsec / 1e6;
  // Around midnight the second named may lie on the other day.
  if (lag > 43200e3) lag -= 86400e3;
  if (lag < -43200e3) lag += 86400e3;
  return lag;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20;
  const int first = bench::ProgramIndex(argc, argv, "title_lag [--seconds N] -- PROGRAM [ARGS...]",
                                        [&](const std::string& option, const char* next) {
                                          if (option != "--seconds" || !next) return 0;
                                          seconds = std::atof(next);
                                          return 2;
                                        });
  if (!first) return 2;
  bench::XProbe probe;
  Display* display = probe.display();
  const auto launched = std::chrono::steady_clock::now();
  const pid_t pid = bench::Launch(argv + first);
  int status = 0;
  Window window = None;
  while (window == None && bench::MsSince(launched) < 10000 &&
         waitpid(pid, &status, WNOHANG) == 0) {
    window = probe.FindWindow(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (window == None) {
    std::fprintf(stderr, "title_lag: no window\n");
    bench::EndProgram(pid, status);
    return 1;
  }
  XSelectInput(display, window, PropertyChangeMask);
  std::string title = probe.Title(window);
  std::vector<double> lags;
  int changes = 0;
  const auto start = std::chrono::steady_clock::now();
  while (bench::MsSince(start) < seconds * 1000) {
    if (!XPending(display)) {
      pollfd fd{ConnectionNumber(display), POLLIN, 0};
      poll(&fd, 1, 100);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    timespec at{};
    clock_gettime(CLOCK_REALTIME, &at);
    if (event.type != PropertyNotify || !probe.IsTitleAtom(event.xproperty.atom)) continue;
    const std::string now = probe.Title(window);
    if (now == title) continue;
    title = now;
    if (++changes == 1) continue;
    const double lag = LagMs(title, at);
    if (!std::isnan(lag)) lags.push_back(lag);
  }
  const bool ended = bench::EndProgram(pid, status);
  if (lags.empty() || ended) {
    std::fprintf(stderr, "title_lag: %s\n", ended ? "the program ended early" : "no title changes");
    return 1;
  }
  std::sort(lags.begin(), lags.end());
  const double median = lags.size() % 2 ? lags[lags.size() / 2]
                                        : (lags[lags.size() / 2 - 1] + lags[lags.size() / 2]) / 2;
  const double p90 = lags[size_t(std::ceil(0.9 * double(lags.size()))) - 1];
  std::printf("changes=%zu median=%.1f p90=%.1f max=%.1f\n", lags.size(), median, p90, lags.back());
  return 0;
}
