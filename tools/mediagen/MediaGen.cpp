#include "MediaGen.h"

#include <lame/lame.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

namespace mediagen {

Pcm Tone(double frequencyHz, double seconds, int sampleRate, double amplitude) {
  Pcm pcm;
  pcm.sampleRate = sampleRate;
  const auto n = static_cast<size_t>(std::max(0.0, seconds) * sampleRate);
  pcm.samples.resize(n);
  const double fade = 0.005 * sampleRate;  // avoid clicks at both ends
  for (size_t i = 0; i < n; ++i) {
    double env = 1.0;
    if (i < fade) env = i / fade;
    if (n - i < fade) env = std::min(env, (n - i) / fade);
    pcm.samples[i] = static_cast<int16_t>(
        32767.0 * amplitude * env * std::sin(2.0 * M_PI * frequencyHz * double(i) / sampleRate));
  }
  return pcm;
}

Pcm Silence(double seconds, int sampleRate) {
  Pcm pcm;
  pcm.sampleRate = sampleRate;
  pcm.samples.assign(static_cast<size_t>(std::max(0.0, seconds) * sampleRate), 0);
  return pcm;
}

void Append(Pcm& to, const Pcm& from) {
  if (to.samples.empty()) to.sampleRate = from.sampleRate;
  to.samples.insert(to.samples.end(), from.samples.begin(), from.samples.end());
}

Pcm Sweep(double fromHz, double toHz, double seconds, int sampleRate, double amplitude) {
  Pcm pcm;
  pcm.sampleRate = sampleRate;
  const auto n = static_cast<size_t>(std::max(0.0, seconds) * sampleRate);
  pcm.samples.resize(n);
  const double fade = 0.005 * sampleRate;
  double phase = 0;  // integrated, so the glide has no jumps
  for (size_t i = 0; i < n; ++i) {
    double env = 1.0;
    if (i < fade) env = i / fade;
    if (n - i < fade) env = std::min(env, (n - i) / fade);
    pcm.samples[i] = static_cast<int16_t>(32767.0 * amplitude * env * std::sin(phase));
    const double f = fromHz + (toHz - fromHz) * double(i) / double(n);
    phase += 2.0 * M_PI * f / sampleRate;
  }
  return pcm;
}

void Decay(Pcm& pcm, double ratePerSecond) {
  if (pcm.sampleRate <= 0) return;
  for (size_t i = 0; i < pcm.samples.size(); ++i)
    pcm.samples[i] = static_cast<int16_t>(pcm.samples[i] *
                                          std::exp(-ratePerSecond * double(i) / pcm.sampleRate));
}

void MixInto(Pcm& to, const Pcm& from, size_t offset) {
  if (to.samples.empty()) to.sampleRate = from.sampleRate;
  if (to.samples.size() < offset + from.samples.size())
    to.samples.resize(offset + from.samples.size(), 0);
  for (size_t i = 0; i < from.samples.size(); ++i) {
    const int sum = int(to.samples[offset + i]) + int(from.samples[i]);
    to.samples[offset + i] = static_cast<int16_t>(std::clamp(sum, -32768, 32767));
  }
}

void Normalize(Pcm& pcm, double peak) {
  int loudest = 0;
  for (int16_t s : pcm.samples) loudest = std::max(loudest, std::abs(int(s)));
  if (loudest == 0) return;
  const double gain = std::clamp(peak, 0.0, 1.0) * 32767.0 / loudest;
  for (int16_t& s : pcm.samples)
    s = static_cast<int16_t>(std::clamp<long>(std::lround(s * gain), -32768, 32767));
}

namespace {
uint32_t Le32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
         uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) {
  return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}
}  // namespace

bool ParseWav(const std::string& b, Pcm& out) {
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  int channels = 0, bits = 0;
  uint32_t rate = 0;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id = b.substr(at, 4);
    const size_t size = Le32(b, at + 4);
    const size_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > b.size()) return false;
      if (Le16(b, body) != 1) return false;  // PCM only
      channels = Le16(b, body + 2);
      rate = Le32(b, body + 4);
      bits = Le16(b, body + 14);
    } else if (id == "data") {
      if (channels <= 0 || rate == 0 || rate > 384000 || (bits != 8 && bits != 16)) return false;
      const size_t frameBytes = size_t(channels) * size_t(bits / 8);
      const size_t bytes = std::min(size, b.size() - body);
      const size_t frames = bytes / frameBytes;
      out.sampleRate = int(rate);
      out.samples.resize(frames);
      for (size_t f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
          const size_t p = body + f * frameBytes + size_t(c) * size_t(bits / 8);
          if (bits == 16)
            sum += static_cast<int16_t>(Le16(b, p));
          else
            sum += (static_cast<int>(static_cast<uint8_t>(b[p])) - 128) * 256;
        }
        out.samples[f] = static_cast<int16_t>(sum / channels);
      }
      return true;
    }
    if (size > b.size() - body) return false;
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  return false;
}

bool ReadWav(const std::string& path, Pcm& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseWav(bytes, out);
}

Pcm Resample(const Pcm& pcm, int sampleRate) {
  if (pcm.sampleRate == sampleRate) return pcm;
  Pcm out;
  out.sampleRate = sampleRate;
  if (pcm.samples.empty() || pcm.sampleRate <= 0 || sampleRate <= 0) return out;
  const double step = double(pcm.sampleRate) / sampleRate;
  const auto n = static_cast<size_t>(double(pcm.samples.size()) / step);
  out.samples.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const double x = double(i) * step;
    const size_t k = std::min(static_cast<size_t>(x), pcm.samples.size() - 1);
    const size_t k1 = std::min(k + 1, pcm.samples.size() - 1);
    const double t = x - double(k);
    out.samples[i] =
        static_cast<int16_t>(std::lround(pcm.samples[k] * (1 - t) + pcm.samples[k1] * t));
  }
  return out;
}

void TrimSilence(Pcm& pcm, int threshold, double keepSeconds) {
  auto loud = [threshold](int16_t s) { return std::abs(int(s)) > threshold; };
  const auto first = std::find_if(pcm.samples.begin(), pcm.samples.end(), loud);
  if (first == pcm.samples.end()) {
    pcm.samples.clear();
    return;
  }
  const auto last = std::find_if(pcm.samples.rbegin(), pcm.samples.rend(), loud).base();
  const auto keep = static_cast<ptrdiff_t>(std::max(0.0, keepSeconds) * pcm.sampleRate);
  const ptrdiff_t begin = std::max<ptrdiff_t>(0, (first - pcm.samples.begin()) - keep);
  const ptrdiff_t end =
      std::min<ptrdiff_t>(ptrdiff_t(pcm.samples.size()), (last - pcm.samples.begin()) + keep);
  pcm.samples = std::vector<int16_t>(pcm.samples.begin() + begin, pcm.samples.begin() + end);
}

bool WriteMp3(const std::string& path, const Pcm& pcm, int bitrateKbps) {
  std::unique_ptr<lame_global_flags, decltype(&lame_close)> lame(lame_init(), &lame_close);
  if (!lame) return false;
  lame_set_in_samplerate(lame.get(), pcm.sampleRate);
  lame_set_out_samplerate(lame.get(), pcm.sampleRate);
  lame_set_num_channels(lame.get(), 1);
  lame_set_mode(lame.get(), MONO);
  lame_set_brate(lame.get(), bitrateKbps);
  lame_set_quality(lame.get(), 7);  // fast; these are short spoken lines and tones
  lame_set_bWriteVbrTag(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) return false;

  const int n = static_cast<int>(pcm.samples.size());
  std::vector<unsigned char> out(static_cast<size_t>(1.25 * n + 7200 + 16384));
  int bytes = lame_encode_buffer(lame.get(), const_cast<short*>(pcm.samples.data()), nullptr, n,
                                 out.data(), static_cast<int>(out.size()));
  if (bytes < 0) return false;
  int tail =
      lame_encode_flush(lame.get(), out.data() + bytes, static_cast<int>(out.size()) - bytes);
  if (tail < 0) return false;
  bytes += tail;

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(out.data(), 1, static_cast<size_t>(bytes), f) == size_t(bytes);
  return std::fclose(f) == 0 && ok;
}

bool WriteJpeg(const std::string& path, const QImage& image, int quality) {
  return image.save(QString::fromStdString(path), "JPEG", quality);
}

bool WriteSolidJpeg(const std::string& path, int width, int height, uint32_t rgb, int quality) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor::fromRgb(rgb));
  return WriteJpeg(path, image, quality);
}

}  // namespace mediagen
