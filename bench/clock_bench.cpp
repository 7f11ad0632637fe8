// The in-process figures, each next to its floor:
//   minute_work/SET/PICTURE/SIZE        the minute work of a picture (open, backdrop, window
//                                       repaint) with the window at 1/4, 1/2 or all of the
//                                       size set's largest size
//   minute_work_floor/SET/PICTURE/SIZE  libjpeg-turbo decoding the same file at the reduction
//                                       that covers the window, the same smooth shrink, and
//                                       a bare window of that size painting it
//   minute_work_step/...                the minute work's three steps on their own (where time
//   goes) tick, tick_floor                    a tick within a minute: date, title, comparison
//   schedule_scan(_floor)               the minute branch's walk over the shipped minute schedule
//   voice_open_play(_floor)             opening and starting a 3-second MP3 voice (the main
//                                       thread's part: the decode is on a worker)
//   voice_first_frame(_floor)           from that call to the first mixed frame holding the voice
// SET is hd (768 x 1024 pictures) or std (640 x 960); PICTURE is demo (the demo payload's
// kind), photo or lineart (made here, JPEG quality 90). The minute work's CPU time is the
// process's, over all threads: Qt's smooth scale runs on its thread pool.
//
// Before the benchmarks it writes the backdrop's quality at 1/4 and 1/2 (PSNR against the
// drawing the file was made from, beside a careful downscale of the file) to the file named
// by VV_BENCH_QUALITY_OUT, as key=value lines. Everything is at the screen's device pixel
// ratio: tools/bench.sh runs the minute work and the quality again with QT_SCALE_FACTOR=2.
//
// Inputs (tools/bench.sh sets them): VV_BENCH_PAYLOAD, the demo payload (640 x 960 pictures
// and its voices); VV_BENCH_HD_PAYLOAD, a folder holding t1200.jpg at 768 x 1024.
#include <benchmark/benchmark.h>

#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "ScaledDecode.h"
#include "framework/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/PictureImpl.h"
#include "framework/media/Sound.h"
#include "mediagen/Drawings.h"
#include "mediagen/MediaGen.h"
#include "mediagen/PictureQuality.h"

namespace {

namespace fs = std::filesystem;
using bench::InProcessClock;

struct Inputs {
  fs::path scratch;
  fs::path demoPayload;  // 640 x 960 pictures, voices
  fs::path hdPicture;    // 768 x 1024
  fs::path voice;        // a 3-second MP3
};

Inputs& In() {
  static Inputs inputs;
  return inputs;
}

// The largest window of a size set; the picture is made at that size.
QSize MaxSize(bool hd) { return hd ? QSize(768, 1024) : QSize(640, 960); }
fs::path Picture(bool hd) { return hd ? In().hdPicture : In().demoPayload / "t1200.jpg"; }

const char* const kKinds[] = {"demo", "photo", "lineart"};
const int kDivisors[] = {4, 2, 1};  // the Window menu's three sizes

fs::path PictureOf(bool hd, const std::string& kind) {
  if (kind == "demo") return Picture(hd);
  return In().scratch / (kind + (hd ? "-hd.jpg" : "-std.jpg"));
}

// Line art is drawn at this many times its picture's size: the picture is the drawing shrunk,
// as an illustration is exported, and every backdrop of it is held to the drawing shrunk to
// the screen's pixels. A photo's grain is one value a pixel of its picture: its drawing is the
// picture's size.
int DrawingScale(const std::string& kind) { return kind == "lineart" ? 4 : 1; }

QImage Drawing(bool hd, const std::string& kind) {
  const QSize size = MaxSize(hd);
  return kind == "photo" ? mediagen::PhotoLike(size.width(), size.height())
                         : mediagen::LineArt(size.width(), size.height(), DrawingScale(kind));
}

// The Window menu's command for 1/divisor of the largest size.
const char* SizeCommand(int divisor) {
  return divisor == 4 ? "halfMenu" : divisor == 2 ? "normalMenu" : "largeMenu";
}

// An application folder `name` in the scratch folder whose payload bundle (HD or standard)
// holds `file` named `as`.
fs::path AppWith(const std::string& name, bool hd, const fs::path& file, const std::string& as) {
  const fs::path appDir = In().scratch / name;
  fs::copy_file(file, bench::MakeAppFolder(appDir, hd) / as, fs::copy_options::overwrite_existing);
  return appDir;
}

// The clock over such a folder, started at hh:mm:ss in voice mode `mode`; no tick yet.
struct StartedClock {
  StartedClock(const fs::path& appDir, int hh, int mm, int ss, int mode)
      : clock(appDir, In().scratch / "prefs") {
    clock.SetTime(hh, mm, ss);
    w = clock.Start();
    w->voiceMode = mode;
  }
  InProcessClock clock;
  fw::Ref<clockcore::mainWindow> w;
};

// ---- 1. Minute work ------------------------------------------------------------------------

void MinuteWork(benchmark::State& state, bool hd, std::string kind, int divisor) {
  // Voice mode 3, no voice: the picture path alone.
  StartedClock started(AppWith(hd ? "app-hd" : "app-std", hd, PictureOf(hd, kind), "t1200.jpg"), 12,
                       0, 5, 3);
  auto& clock = started.clock;
  auto w = started.w;
  w->HandleMenuCommand(SizeCommand(divisor));
  fw::ProcessPendingEvents();
  clock.Tick();  // the minute work at start-up
  bench::RepaintNow(*w);
  const QSize window = MaxSize(hd) / divisor;
  if (w->Width() != window.width() || w->Height() != window.height() || !w->readPicture) {
    state.SkipWithError("the clock did not start as expected");
    return;
  }
  // A window on screen paints its new backdrop as its pixels are handed back: a repaint after
  // it would count the paint twice. The picture is decoded on a worker; the wait for it is
  // inside the loop, so the process's CPU time counts the worker's decode too.
  const bool paintsItself = bench::OnScreen(*w);
  for (auto _ : state) {
    w->MinuteWork("12:00:05");
    fw::FinishBackgroundWorkForTesting();
    if (!paintsItself) bench::RepaintNow(*w);
  }
  state.SetLabel(std::to_string(w->readPicture->Width()) + "x" +
                 std::to_string(w->readPicture->Height()) + " into " +
                 std::to_string(window.width()) + "x" + std::to_string(window.height()) +
                 " at ratio " + std::to_string(qGuiApp->devicePixelRatio()).substr(0, 4));
}

// A bare window's content showing a picture: as it is when it has the screen's pixels (the
// least a repaint can do), else enlarged by the painter straight onto the screen.
class PictureView : public QWidget {
 public:
  QImage picture;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (picture.deviceIndependentSize() == QSizeF(size())) {
      painter.drawImage(0, 0, picture);
      return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture);
  }
};

// The same file to the same pixels on screen: decoded at the screen's pixels of the window
// (or whole, when the file has fewer), then painted.
void MinuteWorkFloor(benchmark::State& state, bool hd, std::string kind, int divisor) {
  const std::string path = PictureOf(hd, kind).string();
  const QSize window = MaxSize(hd) / divisor;
  PictureView view;
  view.setAttribute(Qt::WA_OpaquePaintEvent);
  view.resize(window);
  view.show();
  fw::ProcessPendingEvents();
  const qreal ratio = view.devicePixelRatioF();
  const QSize screen = window * ratio;
  for (auto _ : state) {
    view.picture = bench::ScaledDecode(path, screen);
    if (view.picture.isNull()) {
      state.SkipWithError("libjpeg could not decode the picture");
      break;
    }
    view.picture.setDevicePixelRatio(ratio);
    view.repaint();
  }
}

// The minute work in its three steps, to show where its time goes: opening the picture, the
// backdrop drawing (which includes setting the backdrop), and the window's repaint.
enum class Step { kOpen, kBackdrop, kRepaint };

void MinuteWorkStep(benchmark::State& state, bool hd, Step step) {
  StartedClock started(AppWith(hd ? "app-hd" : "app-std", hd, Picture(hd), "t1200.jpg"), 12, 0, 5,
                       3);
  auto& clock = started.clock;
  auto w = started.w;
  clock.Tick();
  bench::RepaintNow(*w);
  auto file = w->dataPath->Child("t1200.jpg");
  for (auto _ : state) {
    switch (step) {
      case Step::kOpen:
        if (file->Exists()) benchmark::DoNotOptimize(file->OpenAsPicture());
        break;
      case Step::kBackdrop:
        w->DrawBackdrop();
        fw::FinishBackgroundWorkForTesting();  // the drawing is made on a worker
        break;
      case Step::kRepaint:
        w->SetBackdrop(w->Backdrop());
        bench::RepaintNow(*w);
        break;
    }
  }
}

// ---- 1. Backdrop quality ---------------------------------------------------------------------

// The backdrop as the clock draws it (the framework's DrawPicture of the opened file), at the
// screen's pixels; or, atUnits, at the window's units, as it was drawn before the screen's
// ratio counted.
QImage Backdrop(const fs::path& file, QSize window, bool atUnits = false) {
  auto picture = fw::New<fw::FolderItem>(file.string())->OpenAsPicture();
  if (!picture) return {};
  auto target = fw::New<fw::Picture>(window.width(), window.height(), 32);
  if (atUnits) fw::ImplForTesting(*target).ratio = 1;
  target->Graphics()->DrawPicture(picture, 0, 0, window.width(), window.height(), 0, 0,
                                  picture->Width(), picture->Height());
  return fw::ImplForTesting(*target).Pixels();
}

// A backdrop at the window's units painted on a screen of more pixels, as the window painted
// it: enlarged by the painter, each pixel a block.
QImage PaintedOnScreen(const QImage& backdrop, QSize screen, qreal ratio) {
  QImage out(screen, QImage::Format_RGB32);
  out.setDevicePixelRatio(ratio);
  QPainter(&out).drawImage(0, 0, backdrop);
  return out;
}

// The backdrop's quality at the window's 1/4 and 1/2 on this process's screen, every key
// led by its device pixel ratio ("r1/", "r2/"). For the pictures made here, PSNR against the
// drawing shrunk to the screen's pixels: of the backdrop ("ours"), of the careful downscale
// of the file ("careful": decoded whole, each block of pixels averaged, what any program can
// show of the file at those pixels) and, above a ratio of 1, of the backdrop as it was drawn
// before ("before": at the window's units, enlarged). The demo pictures have no drawing:
// the backdrop against the careful downscale ("psnr_file_ours").
std::string QualityLines() {
  const qreal ratio = qGuiApp->devicePixelRatio();
  const std::string prefix = "r" + QString::number(ratio).toStdString() + "/";
  std::string out;
  auto line = [&](const std::string& key, double db) {
    char value[32];
    std::snprintf(value, sizeof value, "%.1f", db);
    out += prefix + key + "=" + value + "\n";
  };
  for (bool hd : {true, false})
    for (const std::string kind : kKinds) {
      const fs::path file = PictureOf(hd, kind);
      const QImage whole(QString::fromStdString(file.string()));
      const QImage drawing = kind == "demo" ? QImage() : Drawing(hd, kind);
      for (int divisor : {4, 2}) {
        const QSize window = MaxSize(hd) / divisor, screen = window * ratio;
        const std::string at =
            std::string(hd ? "hd/" : "std/") + kind + "/" + std::to_string(divisor);
        const QImage ours = Backdrop(file, window);
        if (ours.size() != screen) {
          std::fprintf(stderr, "the backdrop of %s is not at the screen's pixels\n", at.c_str());
          continue;
        }
        const QImage careful = mediagen::BoxShrink(whole, whole.width() / screen.width());
        if (drawing.isNull()) {
          line("psnr_file_ours/" + at, mediagen::Psnr(ours, careful));
          continue;
        }
        const QImage reference = mediagen::BoxShrink(drawing, drawing.width() / screen.width());
        line("psnr_drawing_ours/" + at, mediagen::Psnr(ours, reference));
        line("psnr_drawing_careful/" + at, mediagen::Psnr(careful, reference));
        if (ratio != 1)
          line("psnr_drawing_before/" + at,
               mediagen::Psnr(PaintedOnScreen(Backdrop(file, window, true), screen, ratio),
                              reference));
      }
    }
  return out;
}

// ---- 2. Tick within a minute and the schedule scan --------------------------------------

// Half-second steps from 12:00:01 to 12:00:57.5: the title changes every other tick, the
// minute never.
std::vector<std::chrono::system_clock::time_point> TickTimes() {
  std::vector<std::chrono::system_clock::time_point> times;
  for (int i = 0; i < 114; ++i) times.push_back(InProcessClock::At(12, 0, 1 + i / 2, i % 2 * 500));
  return times;
}

void Tick(benchmark::State& state) {
  StartedClock started(AppWith("app-std", false, Picture(false), "t1200.jpg"), 12, 0, 0, 3);
  auto& clock = started.clock;
  auto w = started.w;
  clock.Tick();
  const auto times = TickTimes();
  auto timer = w->mainTimer();  // the event loop holds its timer; no lookup per tick
  size_t i = 0;
  for (auto _ : state) {
    clock.SetNow(times[i]);
    i = i + 1 == times.size() ? 0 : i + 1;
    fw::FireTimerForTesting(*timer);
  }
  if (w->lastTime != "12:00") state.SkipWithError("a tick did the minute work");
}

// The same clock read as the tick's (a function handing out the time the benchmark set, as
// the framework's injected clock does), the same local time of day, and a bare window's
// title set when it changed.
void TickFloor(benchmark::State& state) {
  QWidget window;
  window.resize(320, 480);
  window.show();
  fw::ProcessPendingEvents();
  std::chrono::system_clock::time_point now;
  const std::function<std::chrono::system_clock::time_point()> source = [&] { return now; };
  const auto times = TickTimes();
  char last[16] = "", text[16];
  size_t i = 0;
  for (auto _ : state) {
    now = times[i];
    i = i + 1 == times.size() ? 0 : i + 1;
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(source()));
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    if (std::strcmp(text, last) != 0) {
      window.setWindowTitle(QString::fromLatin1(text));
      std::strcpy(last, text);
    }
  }
}

// The minute branch with every voice actor off: both file lookups and the whole walk over
// the minute schedule, and nothing plays.
void ScheduleScan(benchmark::State& state) {
  StartedClock started(AppWith("app-scan", false, In().demoPayload / "ot1211.mp3", "ot1211.mp3"),
                       12, 11, 5, 2);
  auto w = started.w;
  for (int32_t k = 0; k <= w->nameCheck.Ubound(); ++k) w->nameCheck(k) = false;
  for (auto _ : state) w->MinuteWork("12:11:05");
  if (fw::ActiveSoundPlaybacks() != 0) state.SkipWithError("a voice played");
  state.SetLabel(std::to_string(w->timeArray.Ubound() + 1) + " elements");
}

void ScheduleScanFloor(benchmark::State& state) {
  // The same table as the clock splits it.
  std::vector<std::string> lines;
  {
    const fs::path appDir = In().scratch / "app-scan";
    bench::MakeAppFolder(appDir, false);
    InProcessClock clock(appDir, In().scratch / "prefs");
    auto w = clock.Start();
    for (int32_t i = 0; i <= w->timeArray.Ubound(); ++i) lines.push_back(w->timeArray(i));
  }
  const fs::path bundle =
      In().scratch / "app-scan" / "vanto-rimal" / "Payload" / "Vanto-Rimal3.app";
  const std::string picture = (bundle / "t1211.jpg").string(),
                    voice = (bundle / "ot1211.mp3").string();
  const bool enabled[12] = {};
  for (auto _ : state) {
    struct stat st;
    benchmark::DoNotOptimize(::stat(picture.c_str(), &st));
    benchmark::DoNotOptimize(::stat(voice.c_str(), &st));
    int plays = 0;
    for (const std::string& line : lines) {
      if (line.size() < 6 || line.compare(0, 4, "1211") != 0 || line[4] != '\t') continue;
      const int actor = std::atoi(line.c_str() + 5) - 1;
      if (actor >= 0 && actor < 12 && enabled[actor]) ++plays;
    }
    benchmark::DoNotOptimize(plays);
  }
}

// ---- 3. Voice start -------------------------------------------------------------------------

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::atomic<bool> gWatching{false};
std::atomic<int64_t> gFirstFrameNs{0};

// Runs on the mixer's thread after each mixed buffer: the first buffer mixed with a channel
// playing holds the voice's first frames.
void AfterMix(void*, Uint8*, int) {
  if (!gWatching.load(std::memory_order_acquire) || Mix_Playing(-1) == 0) return;
  int64_t none = 0;
  gFirstFrameNs.compare_exchange_strong(none, NowNs());
}

// Opens the audio device through the framework, as the first sound does (a clock's shutdown
// closes it again), and puts the watcher in.
bool AudioReady() {
  // The floors play on the mixer behind the sound system's back: it must not close the device
  // for a quiet spell (it rests after 200 ms without a playback of its own) while they do.
  fw::SetAudioRestForTesting(24 * 3600 * 1000);
  if (!fw::New<fw::FolderItem>(In().voice.string())->OpenAsSound()) return false;
  fw::FinishBackgroundWorkForTesting();  // its decode, dropped, gives back what it held
  Mix_SetPostMix(&AfterMix, nullptr);
  return true;
}

// Stops every voice and releases the ended playbacks; then waits a random part of one mixing
// period, so that the next call does not always land at the same point of the mixer's cycle.
void SilenceAll() {
  Mix_HaltChannel(-1);
  fw::ActiveSoundPlaybacks();
  static std::mt19937 random(7);
  std::this_thread::sleep_for(std::chrono::microseconds(random() % 24000));
}

// Waits for the first mixed frame after the call that started at `startNs`; seconds, or -1.
double WaitFirstFrame(int64_t startNs) {
  const int64_t deadline = NowNs() + 2'000'000'000;
  while (gFirstFrameNs.load(std::memory_order_acquire) == 0) {
    if (NowNs() > deadline) return -1;
    fw::ProcessPendingEvents();  // the decode is handed back, and the voice started, from here
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return double(gFirstFrameNs.load() - startNs) / 1e9;
}

// Times `start` (which starts the voice and returns what stops and frees it, or nothing when
// the voice did not start) to its return or, with toFirstFrame, to the first mixed frame.
template <typename Start>
void TimeVoiceStarts(benchmark::State& state, bool toFirstFrame, Start start) {
  if (!AudioReady()) {
    state.SkipWithError("no audio");
    return;
  }
  SilenceAll();
  for (auto _ : state) {
    gFirstFrameNs = 0;
    gWatching = true;
    const int64_t begin = NowNs();
    std::function<void()> stop = start();
    if (!stop) {
      state.SkipWithError("the voice did not start");
      break;
    }
    if (toFirstFrame) {
      const double seconds = WaitFirstFrame(begin);
      if (seconds < 0) {
        state.SkipWithError("no mixed frame within 2 s");
        stop();
        break;
      }
      state.SetIterationTime(seconds);
    }
    state.PauseTiming();
    gWatching = false;
    stop();
    SilenceAll();
    state.ResumeTiming();
  }
  gWatching = false;
}

void VoiceStart(benchmark::State& state, bool toFirstFrame) {
  const std::string path = In().voice.string();
  TimeVoiceStarts(state, toFirstFrame, [&]() -> std::function<void()> {
    auto sound = fw::New<fw::FolderItem>(path)->OpenAsSound();
    if (!sound) return nullptr;
    sound->Play();
    // A decode still under way is dropped and waited for: it would hold the budget.
    return [sound]() mutable {
      sound->Stop();
      sound = nullptr;
      fw::FinishBackgroundWorkForTesting();
    };
  });
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// SDL_mixer alone: read the file, decode it whole, start it on a free channel.
void VoiceStartFloor(benchmark::State& state, bool toFirstFrame) {
  const std::string path = In().voice.string();
  TimeVoiceStarts(state, toFirstFrame, [&]() -> std::function<void()> {
    std::vector<unsigned char> bytes = ReadAll(path);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), 1);
    if (!chunk) return nullptr;
    if (Mix_PlayChannel(-1, chunk, 0) < 0) {
      Mix_FreeChunk(chunk);
      return nullptr;
    }
    return [chunk] {
      Mix_HaltChannel(-1);
      Mix_FreeChunk(chunk);
    };
  });
}

}  // namespace

int main(int argc, char** argv) {
  bench::InitRuntime(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  bench::ScratchDir scratch;
  In().scratch = scratch.path();
  In().demoPayload = bench::RequiredEnv("VV_BENCH_PAYLOAD");
  In().hdPicture = fs::path(bench::RequiredEnv("VV_BENCH_HD_PAYLOAD")) / "t1200.jpg";
  In().voice = scratch.path() / "voice3s.mp3";
  // A voice as the payload's are made: mono, 22.05 kHz, 48 kbit/s; three seconds long.
  if (!mediagen::WriteMp3(In().voice.string(), mediagen::Tone(440, 3.0), 48)) {
    std::fprintf(stderr, "cannot write %s\n", In().voice.c_str());
    return 1;
  }
  for (const fs::path& p : {Picture(false), Picture(true), In().demoPayload / "ot1211.mp3"}) {
    if (!fs::exists(p)) {
      std::fprintf(stderr, "missing %s\n", p.c_str());
      return 1;
    }
  }
  for (bool hd : {true, false})
    for (const char* kind : {"photo", "lineart"})
      if (!mediagen::WriteJpeg(PictureOf(hd, kind).string(),
                               mediagen::BoxShrink(Drawing(hd, kind), DrawingScale(kind)), 90)) {
        std::fprintf(stderr, "cannot write %s\n", PictureOf(hd, kind).c_str());
        return 1;
      }
  if (const char* qualityOut = std::getenv("VV_BENCH_QUALITY_OUT")) {
    std::ofstream(qualityOut) << QualityLines();
  }

  for (bool hd : {true, false})
    for (const std::string kind : kKinds)
      for (int divisor : kDivisors) {
        const std::string at =
            std::string(hd ? "hd/" : "std/") + kind + "/" + std::to_string(divisor);
        benchmark::RegisterBenchmark(("minute_work/" + at).c_str(), MinuteWork, hd, kind, divisor)
            ->MeasureProcessCPUTime()
            ->MinTime(0.2)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("minute_work_floor/" + at).c_str(), MinuteWorkFloor, hd, kind,
                                     divisor)
            ->MeasureProcessCPUTime()
            ->MinTime(0.2)
            ->Unit(benchmark::kMillisecond);
      }
  for (bool hd : {true, false}) {
    const std::string size = hd ? "hd" : "std";
    benchmark::RegisterBenchmark(("minute_work_step/open/" + size).c_str(), MinuteWorkStep, hd,
                                 Step::kOpen)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("minute_work_step/backdrop/" + size).c_str(), MinuteWorkStep, hd,
                                 Step::kBackdrop)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("minute_work_step/repaint/" + size).c_str(), MinuteWorkStep, hd,
                                 Step::kRepaint)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("tick", Tick)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("tick_floor", TickFloor)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("schedule_scan", ScheduleScan)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("schedule_scan_floor", ScheduleScanFloor)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("voice_open_play", VoiceStart, false)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("voice_open_play_floor", VoiceStartFloor, false)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("voice_first_frame", VoiceStart, true)
      ->UseManualTime()
      ->MinTime(1.0)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("voice_first_frame_floor", VoiceStartFloor, true)
      ->UseManualTime()
      ->MinTime(1.0)
      ->Unit(benchmark::kMillisecond);

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fw::ShutdownSound();
  return 0;
}
