// What one picture file costs the clock: opening it, then drawing it whole at each window size
// and as a preferences thumbnail, and drawing it again at the same size; and the preferences
// window opened with that file as all twelve face pictures. Real photos beside the worst
// files the bounds let through and the hostile files that pass them.
//
// Prints one line per file: its size, then CPU seconds (all threads, ended ones included) and
// the growth of the peak resident size (MB) for each step, the median of RUNS runs (each
// opens the file anew, so that no draw finds the last one's image). The sizes are the
// windows' pixels at device pixel ratios 1 and 2. Nothing is asserted.
//
//   picture_cost [FILTER [RUNS]]   only the files whose name contains FILTER; RUNS 3
#include <malloc.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "BenchClock.h"
#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Picture.h"
#include "mediagen/Drawings.h"
#include "support/TestImages.h"
#include "prefs/prefWindow.h"

namespace {

namespace fs = std::filesystem;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto s = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return s(usage.ru_utime) + s(usage.ru_stime);
}


struct Cost {
  double cpu;
  double wall;
  long peakMb;  // peak resident size over the step, less the resident size before it
};

Cost Measure(const std::function<void()>& step) {
  malloc_trim(0);  // what the last step freed counts neither before this step nor in its peak
  std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
  const long before = bench::ResidentKb();
  const double cpu = CpuSeconds();
  const auto wall = std::chrono::steady_clock::now();
  step();
  return {CpuSeconds() - cpu,
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
          (bench::PeakResidentKb() - before) / 1024};
}

std::string Encoded(const QImage& image, const char* format, int quality = 90,
                    bool progressive = false) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(quality);
  writer.setProgressiveScanWrite(progressive);
  writer.write(image);
  return bytes.toStdString();
}

QImage Noise(int w, int h, bool grey = false) {
  QImage image(w, h, QImage::Format_RGB32);
  std::mt19937 rng(5);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
    for (int x = 0; x < w; ++x) row[x] = grey ? qRgb(rng() & 0xFF, 0, 0) : (rng() | 0xFF000000u);
  }
  return grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}


// The files, made when first asked for.
struct File {
  std::string name;
  std::function<std::string()> make;
};

std::vector<File> Files() {
  static const std::string smallProgressive = Encoded(Noise(64, 64), "jpeg", 90, true);
  static const std::string smallGreyProgressive = Encoded(Noise(64, 64, true), "jpeg", 90, true);
  return {
      {"photo-24Mpx-q92-baseline.jpg",
       [] { return Encoded(mediagen::PhotoLike(6000, 4000), "jpeg", 92); }},
      {"photo-24Mpx-q92-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(6000, 4000), "jpeg", 92, true); }},
      {"photo-24Mpx-q98-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(6000, 4000), "jpeg", 98, true); }},
      {"photo-24Mpx-panorama-q92-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(12000, 2000), "jpeg", 92, true); }},
      {"photo-12Mpx-q92-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(4000, 3000), "jpeg", 92, true); }},
      {"photo-24Mpx-q82-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(6000, 4000), "jpeg", 82, true); }},
      {"photo-16Mpx-q88-progressive.jpg",
       [] { return Encoded(mediagen::PhotoLike(4896, 3264), "jpeg", 88, true); }},
      // The worst the bounds let through.
      {"photo-6Mpx-q98-progressive-3MB.jpg",
       [] { return Encoded(mediagen::PhotoLike(2600, 2400), "jpeg", 98, true); }},
      {"noise-progressive-3MB.jpg", [] { return Encoded(Noise(1450, 1450), "jpeg", 100, true); }},
      {"noise-baseline-q100-23MB.jpg", [] { return Encoded(Noise(2900, 2900), "jpeg", 100); }},
      {"claims-5120x3125-colour-10-scans.jpg",
       [] { return testsupport::ProgressiveClaiming(smallProgressive, 5120, 3125, 10); }},
      {"claims-5120x3125-grey-10-scans.jpg",
       [] { return testsupport::ProgressiveClaiming(smallGreyProgressive, 5120, 3125, 10); }},
      {"noise-png-2560x2048.jpg", [] { return Encoded(Noise(2560, 2048), "png"); }},
      // Beyond the bounds.
      {"claims-8192x8192-100-scans.jpg",
       [] { return testsupport::ProgressiveClaiming(smallProgressive, 8192, 8192, 100); }},
      {"claims-5120x3125-colour-11-scans.jpg",
       [] { return testsupport::ProgressiveClaiming(smallProgressive, 5120, 3125, 11); }},
      {"noise-progressive-q100-12MB.jpg",
       [] { return Encoded(Noise(2900, 2900), "jpeg", 100, true); }},
      {"png-8192x8192.jpg",
       [] {
         QImage white(8192, 8192, QImage::Format_RGB32);
         white.fill(Qt::white);
         return Encoded(white, "png");
       }},
  };
}

// The median of each figure over the runs.
Cost Median(std::vector<Cost> runs) {
  auto middle = [&](auto member) {
    std::sort(runs.begin(), runs.end(),
              [&](const Cost& a, const Cost& b) { return a.*member < b.*member; });
    return runs[runs.size() / 2].*member;
  };
  return {middle(&Cost::cpu), middle(&Cost::wall), middle(&Cost::peakMb)};
}

void Print(const std::string& step, const std::vector<Cost>& runs) {
  const Cost c = Median(runs);
  std::printf("  %-22s %7.3f s cpu %7.3f s wall %5ld MB\n", step.c_str(), c.cpu, c.wall, c.peakMb);
}

}  // namespace

int main(int argc, char** argv) {
  bench::InitRuntime(argc, argv);
  const std::string filter = argc > 1 ? argv[1] : "";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  bench::ScratchDir scratch;
  const fs::path appDir = scratch.path() / "app";
  const fs::path bundle = bench::MakeAppFolder(appDir, false);
  bench::InProcessClock clock(appDir, scratch.path() / "prefs");
  auto w = clock.Start();

  for (const auto& file : Files()) {
    if (file.name.find(filter) == std::string::npos) continue;
    const std::string bytes = file.make();
    const fs::path path = scratch.path() / file.name;
    std::ofstream(path, std::ios::binary) << bytes;
    std::printf("%s (%.1f MB)\n", file.name.c_str(), double(bytes.size()) / 1e6);
    const struct {
      const char* what;
      int w, h;
    } sizes[] = {{"draw 72x72", 72, 72},          {"draw 320x480", 320, 480},
                 {"draw 384x512", 384, 512},      {"draw 768x1024", 768, 1024},
                 {"draw 1280x1920", 1280, 1920},  {"draw 1536x2048", 1536, 2048},
                 {"redraw 1536x2048", 1536, 2048}};
    std::map<std::string, std::vector<Cost>> costs;
    fw::Ref<fw::Picture> picture;
    for (int run = 0; run < runs; ++run) {
      picture = nullptr;
      costs["open"].push_back(
          Measure([&] { picture = fw::FolderItem(path.string()).OpenAsPicture(); }));
      for (const auto& s : sizes) {
        if (!picture) break;
        costs[s.what].push_back(Measure([&] {
          auto target = fw::New<fw::Picture>(s.w, s.h);
          target->Graphics()->DrawPicture(picture, 0, 0, s.w, s.h, 0, 0, picture->Width(),
                                          picture->Height());
        }));
      }
    }
    Print("open", costs["open"]);
    if (!picture) std::printf("  no picture\n");
    for (const auto& s : sizes)
      if (picture) Print(s.what, costs[s.what]);
    picture = nullptr;
    // The preferences window with this file as every face picture.
    for (int i = 0; i < 12; ++i) {
      const std::string key = fw::NthField(w->seiyuName.ValueOr(i, ""), fw::ChrB(9), 3);
      fs::copy_file(path, bundle / ("seiyuicon_" + key + ".jpg"),
                    fs::copy_options::overwrite_existing);
    }
    std::vector<Cost> prefs;
    for (int run = 0; run < runs; ++run)
      prefs.push_back(Measure([&] {
        auto window = prefWindow();
        fw::ProcessPendingEvents();
        window->Close();
        fw::ProcessPendingEvents();
      }));
    Print("prefs window, 12 faces", prefs);
    std::fflush(stdout);
  }
  clock.Quit();
  return 0;
}
