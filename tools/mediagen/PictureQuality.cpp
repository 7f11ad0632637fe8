#include "PictureQuality.h"

#include <QImage>
#include <cmath>

namespace mediagen {

QImage BoxShrink(const QImage& image, int factor) {
  const QImage from = image.convertToFormat(QImage::Format_RGB32);
  QImage out(from.width() / factor, from.height() / factor, QImage::Format_RGB32);
  const int n = factor * factor;
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      int r = 0, g = 0, b = 0;
      for (int j = 0; j < factor; ++j) {
        const auto* in =
            reinterpret_cast<const QRgb*>(from.constScanLine(y * factor + j)) + x * factor;
        for (int i = 0; i < factor; ++i) r += qRed(in[i]), g += qGreen(in[i]), b += qBlue(in[i]);
      }
      row[x] = qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
    }
  }
  return out;
}

double Psnr(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 0;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) sum += d * d;
    }
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 * 3 * a.width() * a.height() / sum);
}

}  // namespace mediagen
