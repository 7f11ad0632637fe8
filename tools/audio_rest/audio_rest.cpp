// What an open, idle audio device costs per second against what closing and reopening it
// costs, with the device opened the way the clock opens it. The quiet spell after which the
// clock closes its device comes from these two figures.
//
//   SDL_AUDIODRIVER=dummy audio_rest [IDLE_SECONDS [CYCLES [BUFFER_FRAMES]]]
//
// It also times what the closing thread waits for (SDL joins its audio thread, which may be
// asleep for a buffer period) against a close handed to a thread of its own, for which the
// caller only starts the thread and, at the next opening, joins it long finished.
//
// CPU is the whole process's, every thread and the exited ones included
// (CLOCK_PROCESS_CPUTIME_ID; utime + stime of /proc/self/stat beside it, in clock ticks).
// The floor is the same process idle with the device closed.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

double Seconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
double Cpu() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }
double Wall() { return Seconds(CLOCK_MONOTONIC); }

double StatCpu() {
  std::ifstream file("/proc/self/stat");
  std::string line;
  std::getline(file, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));  // the name may hold blanks
  std::string field;
  double utime = 0, stime = 0;
  for (int i = 3; fields >> field && i <= 15; ++i) {
    if (i == 14) utime = std::stod(field);
    if (i == 15) stime = std::stod(field);
  }
  return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

int gFrames = 1024;

bool Open() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, gFrames) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

void Close() {
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Rate {
  double cpu, stat;  // seconds of CPU per second
};

Rate IdleFor(double seconds) {
  const double cpu = Cpu(), stat = StatCpu(), wall = Wall();
  usleep(useconds_t(seconds * 1e6));
  const double elapsed = Wall() - wall;
  return {(Cpu() - cpu) / elapsed, (StatCpu() - stat) / elapsed};
}

}  // namespace

int main(int argc, char** argv) {
  const double idleSeconds = argc > 1 ? std::atof(argv[1]) : 20;
  const int cycles = argc > 2 ? std::atoi(argv[2]) : 50;
  gFrames = argc > 3 ? std::atoi(argv[3]) : 1024;
  if (idleSeconds <= 0 || cycles <= 0 || gFrames <= 0) {
    std::fprintf(stderr, "usage: audio_rest [IDLE_SECONDS [CYCLES [BUFFER_FRAMES]]]\n");
    return 2;
  }
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  Mix_Init(MIX_INIT_MP3);
  // The first opening loads the driver's libraries, once in a process: not part of a reopen.
  if (!Open()) {
    std::fprintf(stderr, "audio_rest: cannot open the device: %s\n", SDL_GetError());
    return 1;
  }
  const std::string driver = SDL_GetCurrentAudioDriver();
  Close();

  const Rate closed = IdleFor(idleSeconds);
  Open();
  usleep(200000);  // past the first buffers
  const Rate open = IdleFor(idleSeconds);
  Close();

  std::vector<double> openCpu, openWall, closeCpu, closeWall;
  const double cycleCpu = Cpu(), cycleStat = StatCpu();
  for (int i = 0; i < cycles; ++i) {
    double cpu = Cpu(), wall = Wall();
    Open();
    openCpu.push_back(Cpu() - cpu), openWall.push_back(Wall() - wall);
    cpu = Cpu(), wall = Wall();
    Close();
    closeCpu.push_back(Cpu() - cpu), closeWall.push_back(Wall() - wall);
  }
  const double perCycle = (Cpu() - cycleCpu) / cycles,
               perCycleStat = (StatCpu() - cycleStat) / cycles;

  // After the device has played a while, as after a voice: the close on the caller's thread,
  // and the close on a thread of its own, in turn.
  std::vector<double> inCaller, handOff, join;
  for (int i = 0; i < 2 * cycles; ++i) {
    Open();
    usleep(100000);
    double wall = Wall();
    if (i % 2 == 0) {
      Close();
      inCaller.push_back(Wall() - wall);
      continue;
    }
    std::thread closer(Close);
    handOff.push_back(Wall() - wall);
    usleep(200000);  // the next sound comes seconds later
    wall = Wall();
    closer.join();
    join.push_back(Wall() - wall);
  }
  const double idleCost = open.cpu - closed.cpu;

  std::printf("driver=%s idle=%.0fs cycles=%d buffer=%d frames\n", driver.c_str(), idleSeconds,
              cycles, gFrames);
  std::printf("device closed, idle      %8.3f ms CPU/s (stat %.3f)\n", closed.cpu * 1e3,
              closed.stat * 1e3);
  std::printf("device open, idle        %8.3f ms CPU/s (stat %.3f)\n", open.cpu * 1e3,
              open.stat * 1e3);
  std::printf("open (init + open)       %8.3f ms CPU, %.3f ms wall (median)\n",
              Median(openCpu) * 1e3, Median(openWall) * 1e3);
  std::printf("close (close + quit)     %8.3f ms CPU, %.3f ms wall (median)\n",
              Median(closeCpu) * 1e3, Median(closeWall) * 1e3);
  std::printf("close after 100 ms open   %7.3f ms wall (median; max %.3f)\n",
              Median(inCaller) * 1e3, *std::max_element(inCaller.begin(), inCaller.end()) * 1e3);
  std::printf("the same on a thread      %7.3f ms wall to start it, %.3f ms to join it (median)\n",
              Median(handOff) * 1e3, Median(join) * 1e3);
  std::printf("close and reopen         %8.3f ms CPU (stat %.3f; mean)\n", perCycle * 1e3,
              perCycleStat * 1e3);
  std::printf(
      "break-even quiet spell   %8.3f s (reopen CPU / open-idle CPU per second over the floor)\n",
      perCycle / idleCost);
  Mix_Quit();
  return 0;
}
