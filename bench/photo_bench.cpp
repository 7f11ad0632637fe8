// What big photos and long voices cost the clock's main thread, and how long until they show:
//
//   photo_bench minute RUNS FILE...    each file as the minute picture of a 640x960 window on
//                                      screen (Qt offscreen), beside the floor of showing it
//   photo_bench thumbs RUNS NAME FILE...  the preferences window opened with the files (taken
//                                      in turn) as the twelve face pictures
//   photo_bench voice RUNS FILE        the file as the minute's voice, beside SDL_mixer's own
//   photo_bench peak FILE|none         one minute work with the file in this fresh process:
//                                      resident size idle before, at its peak, idle after
//   photo_bench check                  the measurement itself: 300 ms of work handed to a
//                                      worker thread should cost the main thread next to nothing
//
// Each prints key=value lines; times in ms, the median of RUNS runs (after one warm-up).
// main_ms is the main thread's CPU time (CLOCK_THREAD_CPUTIME_ID) from the call until every
// background job is handed back; call_ms the wall time of the call; picture_ms (shown_ms,
// playing_ms) the wall time until the picture (all twelve faces, the voice) was delivered and
// nothing was left in the background, "-" when it never was; cpu_ms the CPU of all threads.
// The floors are wall times on this thread (bench/ScaledDecode.h).
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "BenchClock.h"
#include "MainThreadCost.h"
#include "ScaledDecode.h"
#include "framework/Testing.h"
#include "framework/core/BackgroundWork.h"
#include "framework/media/Sound.h"
#include "prefs/prefWindow.h"

namespace {

namespace fs = std::filesystem;
using bench::MainThreadCost;
using bench::Median;

const QSize kWindow(640, 960);  // the standard size set's largest, the largeMenu size

struct Started {
  Started(const fs::path& scratch, int hh, int mm, int ss, int mode)
      : bundle(bench::MakeAppFolder(scratch / "app", false)),
        clock(scratch / "app", scratch / "prefs") {
    clock.SetTime(hh, mm, ss);
    w = clock.Start();
    w->voiceMode = mode;
    w->HandleMenuCommand("largeMenu");
    fw::ProcessPendingEvents();
  }
  fs::path bundle;
  bench::InProcessClock clock;
  fw::Ref<clockcore::mainWindow> w;
};

void Put(const fs::path& file, const fs::path& as) {
  fs::copy_file(file, as, fs::copy_options::overwrite_existing);
}

std::string Ms(double ms, bool known = true) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", ms);
  return known ? text : "-";
}

// The medians of the runs; a figure of "delivered" only when every run delivered.
void Print(const char* what, const std::string& file, const std::vector<MainThreadCost>& runs,
           const char* doneKey, const std::string& extra) {
  std::vector<double> main, call, done, cpu;
  bool delivered = true;
  for (const auto& r : runs) {
    main.push_back(r.mainCpuMs), call.push_back(r.callMs), done.push_back(r.doneMs);
    cpu.push_back(r.cpuMs), delivered = delivered && r.delivered;
  }
  std::printf("%s file=%s delivered=%d main_ms=%s call_ms=%s %s=%s cpu_ms=%s%s\n", what,
              file.c_str(), int(delivered), Ms(Median(main)).c_str(), Ms(Median(call)).c_str(),
              doneKey, Ms(Median(done), delivered).c_str(), Ms(Median(cpu)).c_str(), extra.c_str());
  std::fflush(stdout);
}

template <typename F>
double TimedMs(F f) {
  const double start = bench::WallMs();
  f();
  return bench::WallMs() - start;
}

int Minute(const fs::path& scratch, int runs, const std::vector<fs::path>& files) {
  Started s(scratch, 12, 0, 5, 3);  // voice mode 3: the picture alone
  const QSize screen = kWindow * qGuiApp->devicePixelRatio();
  for (const fs::path& file : files) {
    std::vector<MainThreadCost> ours;
    std::vector<double> floor;
    bool floorDecodes = true;
    for (int run = 0; run <= runs; ++run) {
      // Every run from no backdrop and a file written anew: nothing the last run left (a
      // backdrop, a cached decode) can stand for this run's picture.
      s.w->SetBackdrop(nullptr);
      Put(file, s.bundle / "t1200.jpg");
      fw::ProcessPendingEvents();
      MainThreadCost cost = bench::MeasureMainThread([&] { s.w->MinuteWork("12:00:05"); },
                                                     [&] { return bool(s.w->Backdrop()); });
      double floorMs = TimedMs([&] { floorDecodes = !bench::FloorDecode(file, screen).isNull(); });
      if (run > 0) ours.push_back(cost), floor.push_back(floorMs);
    }
    Print("minute", file.filename().string(), ours, "picture_ms",
          " bytes=" + std::to_string(fs::file_size(file)) + " floor_ms=" +
              Ms(Median(floor), floorDecodes) + " window=" + std::to_string(screen.width()) +
              "x" + std::to_string(screen.height()));
  }
  s.clock.Quit();
  return 0;
}

int Thumbs(const fs::path& scratch, int runs, const std::string& name,
           const std::vector<fs::path>& files) {
  Started s(scratch, 12, 0, 5, 3);
  // Written anew before every run, so that no thumbnail is known from the run before.
  auto putFaces = [&] {
    for (int i = 0; i < 12; ++i)
      Put(files[size_t(i) % files.size()],
          s.bundle /
              ("seiyuicon_" + fw::NthField(s.w->seiyuName.ValueOr(i, ""), fw::ChrB(9), 3) + ".jpg"));
  };
  const QSize thumbnail = QSize(72, 72) * qGuiApp->devicePixelRatio();
  std::vector<MainThreadCost> ours;
  std::vector<double> floor;
  int filled = 0;
  for (int run = 0; run <= runs; ++run) {
    putFaces();
    fw::Ref<prefs::prefWindow> window;
    auto wells = [&] {
      int n = 0;
      for (int i = 0; i < 12; ++i) n += window && window->faceImage(i)->Image() ? 1 : 0;
      return n;
    };
    MainThreadCost cost = bench::MeasureMainThread([&] { window = prefWindow(); },
                                                   [&] { return wells() == 12; });
    filled = wells();
    window->Close();
    window = nullptr;
    fw::ProcessPendingEvents();
    const double floorMs = TimedMs([&] {
      for (int i = 0; i < 12; ++i)
        bench::FloorDecode(files[size_t(i) % files.size()].string(), thumbnail);
    });
    if (run > 0) ours.push_back(cost), floor.push_back(floorMs);
  }
  Print("thumbs", name, ours, "shown_ms",
        " filled=" + std::to_string(filled) + " floor_ms=" + Ms(Median(floor)));
  s.clock.Quit();
  return 0;
}

int Voice(const fs::path& scratch, int runs, const fs::path& file) {
  Started s(scratch, 12, 11, 5, 2);  // voice mode 2: the minute's voices, no serifs
  Put(file, s.bundle / "ot1211.mp3");
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<MainThreadCost> ours;
  std::vector<double> floor;
  for (int run = 0; run <= runs; ++run) {
    MainThreadCost cost = bench::MeasureMainThread([&] { s.w->MinuteWork("12:11:05"); },
                                                   [] { return fw::ActiveSoundPlaybacks() > 0; });
    Mix_HaltChannel(-1);
    fw::ActiveSoundPlaybacks();  // releases the stopped voices
    // SDL_mixer alone: the file decoded whole from memory and started.
    Mix_Chunk* chunk = nullptr;
    const double floorMs = TimedMs([&] {
      chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
      if (chunk) Mix_PlayChannel(-1, chunk, 0);
    });
    Mix_HaltChannel(-1);
    if (chunk) Mix_FreeChunk(chunk);
    if (run > 0) ours.push_back(cost), floor.push_back(floorMs);
  }
  Print("voice", file.filename().string(), ours, "playing_ms", " floor_ms=" + Ms(Median(floor)));
  s.clock.Quit();
  fw::ShutdownSound();
  return 0;
}

int Peak(const fs::path& scratch, const std::string& file) {
  Started s(scratch, 12, 0, 5, 3);
  if (file != "none") Put(file, s.bundle / "t1200.jpg");
  bench::RepaintNow(*s.w);
  fw::ProcessPendingEvents();
  const long before = bench::ResidentKb();
  const MainThreadCost cost = bench::MeasureMainThread([&] { s.w->MinuteWork("12:00:05"); },
                                                       [&] { return bool(s.w->Backdrop()); });
  bench::RepaintNow(*s.w);
  fw::ProcessPendingEvents();
  // The kernel's high-water mark; getrusage's ru_maxrss is the same figure, updated lazily.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long peak = std::max(usage.ru_maxrss, bench::PeakResidentKb());
  std::printf("peak file=%s delivered=%d idle_before_kb=%ld peak_kb=%ld idle_after_kb=%ld\n",
              fs::path(file).filename().c_str(), int(cost.delivered), before, peak,
              bench::ResidentKb());
  s.clock.Quit();
  return 0;
}

int Check() {
  bool done = false;
  const MainThreadCost cost = bench::MeasureMainThread(
      [&] {
        fw::RunInBackground(
            [] {
              const double until = bench::ThreadCpuMs() + 300;
              while (bench::ThreadCpuMs() < until) {
              }
            },
            [&] { done = true; });
      },
      [&] { return done; });
  std::printf("check delivered=%d main_ms=%.2f call_ms=%.2f done_ms=%.2f cpu_ms=%.2f\n",
              int(cost.delivered), cost.mainCpuMs, cost.callMs, cost.doneMs, cost.cpuMs);
  return cost.delivered ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  bench::InitRuntime(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  bench::ScratchDir scratch;
  if (mode == "check") return Check();
  if (mode == "peak" && argc == 3) return Peak(scratch.path(), argv[2]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
  std::vector<fs::path> files;
  for (int i = mode == "thumbs" ? 4 : 3; i < argc; ++i) files.push_back(fs::absolute(argv[i]));
  if (runs > 0 && !files.empty()) {
    if (mode == "minute") return Minute(scratch.path(), runs, files);
    if (mode == "thumbs") return Thumbs(scratch.path(), runs, argv[3], files);
    if (mode == "voice" && files.size() == 1) return Voice(scratch.path(), runs, files[0]);
  }
  std::fprintf(stderr, "usage: see the head of bench/photo_bench.cpp\n");
  return 2;
}
