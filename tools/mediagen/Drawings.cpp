#include "Drawings.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace mediagen {
namespace {

// A repeatable value in [0, 1) for position (x, y) and a seed.
double Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return double(h) / 4294967296.0;
}

}  // namespace

QImage LineArt(int width, int height, int scale) {
  QImage image(width * scale, height * scale, QImage::Format_RGB32);
  image.fill(QColor(0xFB, 0xF8, 0xF0));  // paper
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);
  const double w = width, h = height;

  // Flat fills under the lines, as an illustration is coloured.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xF2, 0xC6, 0xA8));
  p.drawEllipse(QPointF(w * 0.5, h * 0.3), w * 0.22, h * 0.16);
  p.setBrush(QColor(0x7A, 0x9C, 0xC8));
  p.drawRect(QRectF(w * 0.12, h * 0.5, w * 0.76, h * 0.22));

  // Hatching, diagonal, 3 to 4 pixels apart, in the two shadows.
  p.setPen(QPen(QColor(0x30, 0x28, 0x40), 1.0));
  p.setClipRect(QRectF(0, 0, w * 0.45, h * 0.45));
  for (double d = -h; d < w; d += 3.0) p.drawLine(QPointF(d, 0), QPointF(d + h * 0.45, h * 0.45));
  p.setClipRect(QRectF(w * 0.55, h * 0.5, w * 0.45, h * 0.22));
  for (double d = -h; d < w * 2; d += 4.0)
    p.drawLine(QPointF(d, h * 0.5), QPointF(d - h * 0.22, h * 0.72));
  p.setClipping(false);

  // Outlines and strokes: curves one and two pixels wide, in ink and in a coloured line.
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 24; ++i) {
    QPainterPath path(QPointF(w * (0.05 + 0.9 * Hash(i, 0, 1)), h * (0.05 + 0.9 * Hash(i, 1, 1))));
    path.cubicTo(QPointF(w * Hash(i, 2, 1), h * Hash(i, 3, 1)),
                 QPointF(w * Hash(i, 4, 1), h * Hash(i, 5, 1)),
                 QPointF(w * Hash(i, 6, 1), h * Hash(i, 7, 1)));
    p.setPen(QPen(i % 3 ? QColor(0x20, 0x18, 0x18) : QColor(0xB0, 0x30, 0x28), i % 2 ? 1.0 : 2.0));
    p.drawPath(path);
  }
  p.setPen(QPen(QColor(0x20, 0x18, 0x18), 2.0));
  p.drawEllipse(QPointF(w * 0.5, h * 0.3), w * 0.22, h * 0.16);
  p.drawRect(QRectF(w * 0.12, h * 0.5, w * 0.76, h * 0.22));

  // Small type, as in a caption or a speech balloon.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(6, height / 96));
  p.setFont(font);
  p.setPen(QColor(0x20, 0x18, 0x18));
  const double line = font.pixelSize() * 1.3;
  for (double y = h * 0.76; y < h - 4; y += line)
    p.drawText(QPointF(w * 0.06, y),
               QStringLiteral("12:00  The quick brown fox jumps over the lazy dog. 0123456789"));
  return image;
}

QImage PhotoLike(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x5A, 0x8F, 0xD0));
    sky.setColorAt(0.6, QColor(0xE8, 0xC8, 0xA0));
    sky.setColorAt(1, QColor(0x50, 0x60, 0x38));
    p.fillRect(image.rect(), sky);
    // Soft-edged shapes: out-of-focus light and objects.
    for (int i = 0; i < 14; ++i) {
      const QPointF centre(width * Hash(i, 0, 2), height * Hash(i, 1, 2));
      const double radius = std::min(width, height) * (0.05 + 0.2 * Hash(i, 2, 2));
      QRadialGradient glow(centre, radius);
      const QColor colour = QColor::fromHsvF(Hash(i, 3, 2), 0.5, 0.4 + 0.5 * Hash(i, 4, 2));
      glow.setColorAt(0, colour);
      glow.setColorAt(0.7, colour);
      glow.setColorAt(1, QColor(colour.red(), colour.green(), colour.blue(), 0));
      p.setPen(Qt::NoPen);
      p.setBrush(glow);
      p.drawEllipse(centre, radius, radius);
    }
  }
  // Grain: a little independent noise in every pixel, as a sensor gives.
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int n = int(Hash(x, y, 3) * 17) - 8;
      auto c = [n](int v) { return std::clamp(v + n, 0, 255); };
      row[x] = qRgb(c(qRed(row[x])), c(qGreen(row[x])), c(qBlue(row[x])));
    }
  }
  return image;
}

}  // namespace mediagen
