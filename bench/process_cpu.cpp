// The CPU time of whole processes, in nanoseconds: every thread's, the ended ones' included
// (the kernel's process CPU clock). A sum over /proc/PID/task misses a thread that ended in
// between, such as the audio thread of a device that was closed.
//
//   process_cpu PID...   prints "PID NANOSECONDS" for each, or "PID -" when it is gone
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const pid_t pid = static_cast<pid_t>(std::atol(argv[i]));
    clockid_t clock;
    timespec t;
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0) {
      std::printf("%s -\n", argv[i]);
      continue;
    }
    std::printf("%s %lld\n", argv[i], static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
  }
  return 0;
}
