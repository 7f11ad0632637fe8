// What one decode of a picture file costs on a worker thread, without the clock around it: the
// open, the decode at 1/8 (with and without the DC-only stream) and at the scale a 640x960
// window needs, each with its CPU time, the decoder's own count of its work, and the growth of
// the peak resident size. The files are the largest of each kind the clock shows, and the
// hostile ones the budgets stop. Nothing is asserted: the figures behind the budgets.
//
//   decode_cost [FILTER]
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "BenchClock.h"
#include "framework/media/detail/EncodedPicture.h"
#include "framework/media/detail/JpegDecoder.h"
#include "support/TestImages.h"

namespace {

using testsupport::JpegSpec;

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}


struct Cost {
  double ms;
  long peakMb;
};

Cost Measure(const std::function<void()>& step) {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  const long before = bench::ResidentKb();
  const double cpu = ThreadCpuMs();
  step();
  return {ThreadCpuMs() - cpu, (bench::PeakResidentKb() - before) / 1024};
}

std::string Qt(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, format).write(image);
  return bytes.toStdString();
}


// A PNG with `chunks` ancillary chunks of bad CRC before its pixels or after them.
std::string ChunkFlood(int chunks, bool afterPixels) {
  return testsupport::PngChunkFlood(Qt(testsupport::Noise(64, 64, 1), "png"), chunks, afterPixels);
}

struct File {
  std::string name;
  std::function<std::string()> make;
};

JpegSpec Spec(int w, int h, int quality, JpegSpec::Colour colour, bool progressive, int noise) {
  JpegSpec s;
  s.width = w, s.height = h, s.quality = quality, s.colour = colour, s.progressive = progressive;
  s.noise = noise;
  return s;
}

std::vector<File> Files() {
  auto jpeg = [](JpegSpec s) { return [s] { return testsupport::LibJpegBytes(s); }; };
  JpegSpec arith = Spec(5120, 5120, 92, JpegSpec::k420, false, 255);
  arith.arithmetic = true;
  JpegSpec arithProgressive = arith;
  arithProgressive.progressive = true;
  JpegSpec restarts = Spec(4000, 3000, 90, JpegSpec::k420, false, 40);
  restarts.restartMcus = 1;
  const std::string small = testsupport::LibJpegBytes(Spec(64, 64, 90, JpegSpec::k444, true, 255));
  return {
      {"baseline-50Mpx-40MB", jpeg(Spec(8640, 5760, 95, JpegSpec::k420, false, 97))},
      {"progressive-24Mpx-444-24MB", jpeg(Spec(6000, 4000, 95, JpegSpec::k444, true, 44))},
      {"progressive-45Mpx-420-24MB", jpeg(Spec(8256, 5504, 95, JpegSpec::k420, true, 48))},
      {"progressive-24Mpx-420-9MB", jpeg(Spec(6000, 4000, 90, JpegSpec::k420, true, 50))},
      {"progressive-4K-8.5MB", jpeg(Spec(3840, 2160, 97, JpegSpec::k420, true, 135))},
      {"progressive-5K-16MB", jpeg(Spec(5640, 3172, 96, JpegSpec::k420, true, 120))},
      {"png-16Mpx", [] { return Qt(testsupport::Noise(4096, 4096, 2), "png"); }},
      {"bmp-16Mpx", [] { return Qt(testsupport::Noise(4096, 4096, 2), "bmp"); }},
      {"gif-16Mpx", [] { return testsupport::GifBytes(4096, 4096); }},
      // Hostile.
      {"arithmetic-5120x5120", jpeg(arith)},
      {"arithmetic-progressive-5120x5120", jpeg(arithProgressive)},
      {"restart-every-mcu", jpeg(restarts)},
      {"claims-8192x8192-100-scans", [small] { return testsupport::ProgressiveClaiming(small, 8192, 8192, 100); }},
      {"claims-65000x65000", [small] { return testsupport::ProgressiveClaiming(small, 65000, 65000, 10); }},
      {"claims-5120x5120-100-scans", [small] { return testsupport::ProgressiveClaiming(small, 5120, 5120, 100); }},
      {"png-chunk-flood-1.25M", [] { return ChunkFlood(1250000, false); }},
      {"png-chunk-flood-1.25M-after-pixels", [] { return ChunkFlood(1250000, true); }},
  };
}

void Report(const char* step, const Cost& c, const QImage& image, int64_t work) {
  std::printf("  %-22s %8.1f ms cpu %5ld MB  %s  work %.0f M\n", step, c.ms, c.peakMb,
              image.isNull()
                  ? "null"
                  : (std::to_string(image.width()) + "x" + std::to_string(image.height())).c_str(),
              double(work) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string filter = argc > 1 ? argv[1] : "";
  const std::string path = "/tmp/decode_cost." + std::to_string(getpid());
  for (const auto& file : Files()) {
    if (file.name.find(filter) == std::string::npos) continue;
    const std::string bytes = file.make();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::printf("%s (%.1f MB)\n", file.name.c_str(), double(bytes.size()) / 1e6);
    std::shared_ptr<const fw::EncodedPicture> picture;
    const Cost open = Measure([&] { picture = fw::EncodedPicture::Read(path); });
    std::printf("  %-22s %8.1f ms cpu %5ld MB  %s\n", "open", open.ms, open.peakMb,
                picture ? "" : "no picture");
    if (!picture) continue;
    const QSize size = picture->Size();
    const bool jpeg = bytes[0] == '\xFF';
    QImage image;
    int64_t work = 0;
    if (jpeg) {
      for (bool dcOnly : {true, false}) {
        fw::JpegDecoder::Options options;
        options.dcOnly = dcOnly;
        options.work = &work;
        const Cost c = Measure([&] { image = fw::JpegDecoder::Decode(bytes, 1, options); });
        Report(dcOnly ? "1/8 (DC-only)" : "1/8 (every scan)", c, image, work);
        image = QImage();
      }
      const int eighths = fw::JpegEighths(size, QSize(640, 960), 3 * 1536 * 2048);
      fw::JpegDecoder::Options options;
      options.work = &work;
      const Cost c = Measure([&] { image = fw::JpegDecoder::Decode(bytes, eighths, options); });
      Report(("for 640x960 (" + std::to_string(eighths) + "/8)").c_str(), c, image, work);
    } else {
      const Cost c = Measure([&] { image = picture->Decode(QSize(640, 960)); });
      Report("whole", c, image, 0);
    }
    image = QImage();
    // Two at once, on two threads: the process's peak over both.
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = bench::ResidentKb();
    QImage a, b;
    std::thread one([&] { a = picture->Decode(QSize(640, 960), 3 * 1536 * 2048); });
    std::thread two([&] { b = picture->Decode(QSize(640, 960), 3 * 1536 * 2048); });
    one.join();
    two.join();
    std::printf("  %-22s            %5ld MB  peak %ld MB  %s %s\n", "two at once",
                (bench::PeakResidentKb() - before) / 1024, bench::PeakResidentKb() / 1024,
                a.isNull() ? "null" : "ok", b.isNull() ? "null" : "ok");
    std::fflush(stdout);
  }
  std::remove(path.c_str());
  return 0;
}
