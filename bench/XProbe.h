#pragma once
// Watching a program's window from outside on the X display in $DISPLAY: the benchmarks'
// probes ask nothing of the program they watch.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>

namespace bench {

class XProbe {
 public:
  XProbe();  // exits with a message when the display cannot be opened
  ~XProbe();
  XProbe(const XProbe&) = delete;
  XProbe& operator=(const XProbe&) = delete;
  Display* display() const { return display_; }

  // The program's viewable top-level window (its _NET_WM_PID), or None.
  Window FindWindow(pid_t pid) const;
  // The window's _NET_WM_NAME ("" without one).
  std::string Title(Window window) const;
  bool IsTitleAtom(Atom atom) const { return atom == netWmName_; }
  // Colours of a strip of the window: a row (height 1) or a column (width 1).
  std::set<unsigned long> StripColours(Window window, int x, int y, unsigned w, unsigned h) const;

 private:
  Display* display_;
  Atom pidAtom_, netWmName_, utf8_;
};

// Reads "OPTIONS -- PROGRAM [ARGS...]" (the "--" may be left out): `option` is handed each
// option and the argument after it (nullptr at the end) and says how many of the two it took
// (0: not an option it knows, which ends the options). Returns PROGRAM's index; 0 when there
// is none, after printing `usage`.
int ProgramIndex(int argc, char** argv, const char* usage,
                 const std::function<int(const std::string& option, const char* next)>& option);
// Starts PROGRAM ARGS... (argv[0] is the program); exits when it cannot fork.
pid_t Launch(char** argv);
// Asks the program to quit (SIGTERM), then kills it after five seconds; true when it had
// already ended before (its status in `status`).
bool EndProgram(pid_t pid, int& status);

double MsSince(std::chrono::steady_clock::time_point start);

}  // namespace bench
