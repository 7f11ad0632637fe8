#include "framework/media/detail/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "framework/media/detail/PictureFormat.h"

namespace fw {
namespace {

// One target pixel along an axis: the source pixels it reads from, `count` of them from
// `first`, with weights (in 1/65536) that sum to 65536.
struct Taps {
  int first = 0;
  int count = 0;
  size_t weights = 0;  // index of the first weight
};

constexpr int kOne = 1 << 16;

struct Axis {
  std::vector<Taps> taps;
  std::vector<uint32_t> weights;
};

Axis Plan(int from, int to) {
  Axis axis;
  axis.taps.resize(static_cast<size_t>(to));
  const double scale = double(from) / to;
  for (int i = 0; i < to; ++i) {
    Taps& t = axis.taps[static_cast<size_t>(i)];
    t.weights = axis.weights.size();
    std::vector<double> w;
    if (scale > 1) {
      // The interval [i, i + 1) of the target covers [i * scale, (i + 1) * scale) of the source.
      const double begin = i * scale, end = (i + 1) * scale;
      t.first = static_cast<int>(std::floor(begin));
      for (int s = t.first; s < from && s < end; ++s)
        w.push_back(std::min<double>(end, s + 1) - std::max<double>(begin, s));
    } else {
      // Between the two source pixels whose centres are either side of this pixel's centre.
      const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(from - 1));
      t.first = std::min(static_cast<int>(centre), std::max(0, from - 2));
      const double f = centre - t.first;
      w = from > 1 ? std::vector<double>{1 - f, f} : std::vector<double>{1};
    }
    double total = 0;
    for (double x : w) total += x;
    uint32_t given = 0;
    for (size_t k = 0; k < w.size(); ++k) {
      // Each rounded down, and the last takes what is left: they sum to exactly one.
      const uint32_t q = k + 1 == w.size() ? kOne - given
                                           : static_cast<uint32_t>(w[k] / total * kOne);
      axis.weights.push_back(q);
      given += q;
    }
    t.count = static_cast<int>(w.size());
  }
  return axis;
}

// Weighted sums of 8-bit channels, in 1/65536, rounded back to a pixel.
struct Sum {
  uint32_t r = kOne / 2, g = kOne / 2, b = kOne / 2;
  void Add(uint32_t pixel, uint32_t weight) {
    r += ((pixel >> 16) & 0xFF) * weight;
    g += ((pixel >> 8) & 0xFF) * weight;
    b += (pixel & 0xFF) * weight;
  }
  uint32_t Pixel() const { return 0xFF000000u | ((r >> 16) << 16) | ((g >> 16) << 8) | (b >> 16); }
};

bool Cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

}  // namespace

QImage Resampled(const QImage& source, QSize size, const std::atomic<bool>* cancel) {
  if (source.isNull() || size.isEmpty() || source.format() != kPictureFormat) return {};
  if (source.size() == size) return source;
  const int sw = source.width(), sh = source.height(), dw = size.width(), dh = size.height();
  const Axis across = Plan(sw, dw), down = Plan(sh, dh);

  // Across first, into rows of the target's width and the source's height.
  QImage wide(dw, sh, kPictureFormat);
  if (wide.isNull()) return {};
  for (int y = 0; y < sh; ++y) {
    if ((y & 63) == 0 && Cancelled(cancel)) return {};
    const auto* in = reinterpret_cast<const uint32_t*>(source.constScanLine(y));
    auto* out = reinterpret_cast<uint32_t*>(wide.scanLine(y));
    for (int x = 0; x < dw; ++x) {
      const Taps& t = across.taps[static_cast<size_t>(x)];
      const uint32_t* w = &across.weights[t.weights];
      Sum sum;
      for (int k = 0; k < t.count; ++k) sum.Add(in[t.first + k], w[k]);
      out[x] = sum.Pixel();
    }
  }
  QImage result(dw, dh, kPictureFormat);
  if (result.isNull()) return {};
  std::vector<const uint32_t*> rows;
  for (int y = 0; y < dh; ++y) {
    if ((y & 63) == 0 && Cancelled(cancel)) return {};
    const Taps& t = down.taps[static_cast<size_t>(y)];
    const uint32_t* w = &down.weights[t.weights];
    rows.clear();
    for (int k = 0; k < t.count; ++k)
      rows.push_back(reinterpret_cast<const uint32_t*>(wide.constScanLine(t.first + k)));
    auto* out = reinterpret_cast<uint32_t*>(result.scanLine(y));
    for (int x = 0; x < dw; ++x) {
      Sum sum;
      for (int k = 0; k < t.count; ++k) sum.Add(rows[static_cast<size_t>(k)][x], w[k]);
      out[x] = sum.Pixel();
    }
  }
  return result;
}

}  // namespace fw
