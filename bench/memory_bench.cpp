// Resident memory over a day: the clock started in this process over the demo payload, then
// 1440 minute works, one for each minute of the day, each with its picture, its repaint and
// its voices (stopped and released before the next minute, as they would have ended).
//
// Prints key=value lines (kilobytes): rss_started (built, no picture yet), rss_after_start
// (after the first minute work), rss_after_N for N minute works later, and held_pictures (the
// minute picture's file, which is all the clock keeps of it, plus the backdrop at the
// window's size).
//
// Input: VV_BENCH_PAYLOAD, the demo payload folder.
#include <SDL_mixer.h>
#include <malloc.h>

#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "framework/Testing.h"
#include "framework/media/Sound.h"

namespace {

void Settle(bench::InProcessClock& clock) {
  // The minute's picture and voice are decoded on workers: what is measured is after them.
  fw::FinishBackgroundWorkForTesting();
  bench::RepaintNow(*clock.window);
  fw::ProcessPendingEvents();
  Mix_HaltChannel(-1);
  fw::ActiveSoundPlaybacks();  // releases what has ended
}

// What the program's heap holds live (kilobytes): unlike the resident size, blind to memory
// that the allocator keeps for reuse.
long HeapInUseKb() {
  const struct mallinfo2 info = mallinfo2();
  return long((info.uordblks + info.hblkhd) / 1024);
}

void Report(const char* what) {
  std::printf("rss_%s=%ld\nheap_%s=%ld\n", what, bench::ResidentKb(), what, HeapInUseKb());
}

long PictureKb(const fw::Ref<fw::Picture>& picture) {
  return picture ? long(picture->Width()) * picture->Height() * 4 / 1024 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  bench::InitRuntime(argc, argv);
  const fs::path payload = fs::absolute(bench::RequiredEnv("VV_BENCH_PAYLOAD"));
  bench::ScratchDir scratch;
  const fs::path appDir = scratch.path() / "app";
  const fs::path bundle = bench::MakeAppFolder(appDir, false);
  fs::remove(bundle);
  fs::create_directory_symlink(payload, bundle);

  int minutes = 1440;
  {
    bench::InProcessClock clock(appDir, scratch.path() / "prefs");
    clock.SetTime(0, 0, 5);
    auto w = clock.Start();
    Settle(clock);
    Report("started");
    clock.Tick();
    Settle(clock);
    Report("after_start");
    for (int n = 1; n <= minutes; ++n) {
      const int minuteOfDay = n % 1440;
      clock.SetTime(minuteOfDay / 60, minuteOfDay % 60, 5);
      clock.Tick();
      Settle(clock);
      if (w->lastTime.size() != 5) {
        std::fprintf(stderr, "minute work %d did not run\n", n);
        return 1;
      }
      if (n == 1 || n == 10 || n == 60 || n % 360 == 0)
        Report(("after_" + std::to_string(n)).c_str());
    }
    const long fileKb = w->readPicture ? long(fs::file_size(payload / "t0000.jpg") / 1024) : 0;
    std::printf("held_pictures=%ld\n", fileKb + PictureKb(w->Backdrop()));
    std::printf("voice_mode=%d\n", w->voiceMode);
  }
  fw::ShutdownSound();
  return 0;
}
