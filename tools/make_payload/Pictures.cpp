#include "make_payload/Pictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <cstdint>

namespace payload {
namespace {

const QString kSans = QStringLiteral("Noto Sans CJK JP");
const QString kSerif = QStringLiteral("Noto Serif CJK JP");
const QString kMono = QStringLiteral("Noto Sans Mono CJK JP");
const QString kLatinItalic = QStringLiteral("DejaVu Serif");

QFont Font(const QString& family, double pixelSize, bool bold, bool italic = false) {
  QFont font(family);
  font.setPixelSize(std::max(1, int(pixelSize)));
  font.setBold(bold);
  font.setItalic(italic);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

// A repeatable wobble in [-1, 1] for hand-drawn strokes (no std distribution: their
// output is not the same in every library).
double Wobble(uint32_t seed) {
  seed ^= seed >> 16;
  seed *= 0x7feb352dU;
  seed ^= seed >> 15;
  seed *= 0x846ca68bU;
  seed ^= seed >> 16;
  return double(seed % 20001U) / 10000.0 - 1.0;
}

// Surname and given name; names are written with a (full-width or plain) space between them.
QStringList NameParts(const QString& name) {
  QString spaced = name;
  spaced.replace(QChar(0x3000), QLatin1Char(' '));
  QStringList parts = spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  if (parts.isEmpty()) parts << QStringLiteral("?");
  return parts;
}

QString FirstLetter(const QString& text) {
  const QList<uint> ucs4 = text.toUcs4();
  if (ucs4.isEmpty()) return QStringLiteral("?");
  const char32_t first = ucs4.front();
  return QString::fromUcs4(&first, 1);
}

}  // namespace

QStringList MissingFonts() {
  const QStringList families = QFontDatabase::families();
  QStringList missing;
  for (const QString& family : {kSans, kSerif, kMono})
    if (!families.contains(family)) missing << family;
  return missing;
}

QColor ActorColour(int actorIndex) {
  return QColor::fromHsv((actorIndex * 30 + 340) % 360, 170, 215);
}

QImage MinutePicture(int minuteOfDay, QSize size) {
  const int w = size.width(), h = size.height();
  QImage image(size, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // The hue turns once a day and meets itself again at midnight; the colours stay dark
  // enough for white figures.
  const double dayFraction = minuteOfDay / 1440.0;
  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor::fromHsvF(float(dayFraction), 0.55f, 0.70f));
  sky.setColorAt(1, QColor::fromHsvF(float(dayFraction), 0.80f, 0.32f));
  p.fillRect(image.rect(), sky);

  const int hour = minuteOfDay / 60, minute = minuteOfDay % 60;
  const QString time = QStringLiteral("%1:%2")
                           .arg(hour, 2, 10, QLatin1Char('0'))
                           .arg(minute, 2, 10, QLatin1Char('0'));

  // Size the figures by the widest time so they do not jump from minute to minute.
  const QFont probe = Font(kMono, 100, true);
  const QFontMetricsF probeMetrics(probe);
  const double scale = std::min(0.86 * w / probeMetrics.horizontalAdvance(QStringLiteral("88:88")),
                                0.30 * h / probeMetrics.capHeight());
  const QFont big = Font(kMono, 100 * scale, true);
  const QFontMetricsF bigMetrics(big);
  const double textWidth = bigMetrics.horizontalAdvance(time);
  const double baseline = 0.42 * h + bigMetrics.capHeight() / 2;
  QPainterPath figures;
  figures.addText((w - textWidth) / 2, baseline, big, time);

  const double px = big.pixelSize();
  p.fillPath(figures.translated(px * 0.03, px * 0.04), QColor(0, 0, 0, 90));
  p.setPen(QPen(QColor(20, 20, 30, 200), std::max(1.0, px * 0.035), Qt::SolidLine, Qt::RoundCap,
                Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(figures);

  const QFont small = Font(kSans, px * 0.22, true);
  const QString spoken = QStringLiteral("%1時%2分").arg(hour).arg(minute, 2, 10, QLatin1Char('0'));
  const QFontMetricsF smallMetrics(small);
  p.setFont(small);
  p.setPen(QColor(255, 255, 255, 215));
  p.drawText(QPointF((w - smallMetrics.horizontalAdvance(spoken)) / 2,
                     baseline + px * 0.15 + smallMetrics.ascent()),
             spoken);

  // How far the day has gone, with a tick every three hours.
  const QRectF track(0.12 * w, 0.80 * h, 0.76 * w, std::max(4.0, 0.012 * h));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 60));
  p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
  p.setBrush(QColor(255, 255, 255, 200));
  QRectF done = track;
  done.setWidth(std::max(track.height(), track.width() * (minuteOfDay + 1) / 1440.0));
  p.drawRoundedRect(done, track.height() / 2, track.height() / 2);
  p.setBrush(QColor(255, 255, 255, 140));
  for (int tick = 0; tick <= 8; ++tick) {
    const double x = track.left() + track.width() * tick / 8.0;
    p.drawRect(QRectF(x - 1, track.bottom() + track.height(), 2, track.height() * 1.5));
  }
  p.end();
  return image;
}

QImage FacePicture(const Actor& actor, int actorIndex) {
  const double s = kFaceSide;
  QImage image(kFaceSide, kFaceSide, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const QColor colour = ActorColour(actorIndex);
  const int hue = colour.hsvHue();
  QRadialGradient glow(s / 2, s / 2, s * 0.75);
  glow.setColorAt(0, QColor::fromHsv(hue, 40, 255));
  glow.setColorAt(1, QColor::fromHsv(hue, 110, 235));
  p.fillRect(image.rect(), glow);

  const QColor hair = QColor::fromHsv(hue, 175, 120);
  const QColor skin(252, 228, 210);
  const double cx = s / 2, cy = s * 0.54;
  p.setPen(Qt::NoPen);
  p.setBrush(hair);
  switch (actorIndex % 3) {
    case 0:  // long hair
      p.drawRoundedRect(QRectF(s * 0.19, s * 0.20, s * 0.62, s * 0.82), s * 0.25, s * 0.25);
      break;
    case 1:  // bob
      p.drawEllipse(QRectF(s * 0.17, s * 0.17, s * 0.66, s * 0.62));
      break;
    default:  // twin tails
      p.drawEllipse(QRectF(s * 0.02, s * 0.30, s * 0.22, s * 0.55));
      p.drawEllipse(QRectF(s * 0.76, s * 0.30, s * 0.22, s * 0.55));
      p.drawEllipse(QRectF(s * 0.19, s * 0.18, s * 0.62, s * 0.58));
      break;
  }
  p.setBrush(skin);
  p.setPen(QPen(QColor(200, 150, 130), 1.2));
  p.drawEllipse(QPointF(cx, cy), s * 0.25, s * 0.27);
  p.setPen(Qt::NoPen);
  p.setBrush(hair);
  p.drawChord(QRectF(cx - s * 0.28, cy - s * 0.32, s * 0.56, s * 0.40), 0, 180 * 16);

  const QColor iris = QColor::fromHsv(hue, 200, 90);
  const double eyeH = s * (actorIndex % 2 ? 0.055 : 0.045);
  for (int side : {-1, 1}) {
    const QPointF eye(cx + side * s * 0.1, cy + s * 0.04);
    p.setBrush(iris);
    p.drawEllipse(eye, s * 0.035, eyeH);
    p.setBrush(Qt::white);
    p.drawEllipse(eye + QPointF(s * 0.012, -eyeH * 0.4), s * 0.011, s * 0.011);
    p.setBrush(QColor(255, 140, 150, 90));
    p.drawEllipse(eye + QPointF(side * s * 0.05, s * 0.075), s * 0.04, s * 0.022);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(170, 70, 80), s * 0.015, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(cx - s * 0.055, cy + s * 0.09, s * 0.11, s * 0.07), 200 * 16, 140 * 16);

  // The given name's first letter, for telling the faces apart at a glance.
  const QRectF badge(s * 0.68, s * 0.68, s * 0.30, s * 0.30);
  p.setPen(QPen(Qt::white, 2));
  p.setBrush(colour.darker(130));
  p.drawEllipse(badge);
  p.setFont(Font(kSans, s * 0.17, true));
  p.setPen(Qt::white);
  p.drawText(badge, Qt::AlignCenter, FirstLetter(NameParts(actor.name).back()));
  p.end();
  return image;
}

QImage SignPicture(const Actor& actor, int actorIndex) {
  const double w = kSignWidth, h = kSignHeight;
  QImage image(kSignWidth, kSignHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient paper(0, 0, w * 0.3, h);
  paper.setColorAt(0, QColor(252, 249, 240));
  paper.setColorAt(1, QColor(241, 233, 214));
  p.fillRect(image.rect(), paper);
  const QColor colour = ActorColour(actorIndex);
  QColor frame = colour;
  frame.setAlpha(110);
  p.setPen(QPen(frame, 4));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(26, 26, w - 52, h - 52), 18, 18);

  const QColor ink = QColor::fromHsv(colour.hsvHue(), 200, 95);
  const QStringList lines = NameParts(actor.name);
  QFont font = Font(kSerif, 170, true);
  double widest = 1;
  for (const QString& line : lines)
    widest = std::max(widest, QFontMetricsF(font).horizontalAdvance(line));
  font = Font(kSerif, std::min(170.0, 170.0 * 0.70 * w / widest), true);
  const QFontMetricsF metrics(font);
  const double px = font.pixelSize();

  // A slanted, slightly tilted hand, every letter a little off its neighbours.
  p.translate(w / 2, h * 0.44);
  p.rotate(-9);
  p.setTransform(QTransform().shear(-0.18, 0) * p.transform());
  const int n = int(lines.size());
  const uint32_t seed = uint32_t(actorIndex + 1) * 7919U;
  double lastBaseline = 0, lastEnd = 0;
  for (int i = 0; i < n; ++i) {
    const QString& line = lines[i];
    const double baseline = (i - (n - 1) / 2.0) * px * 1.18 + metrics.capHeight() / 2;
    double x = -metrics.horizontalAdvance(line) * 0.46 + (i - (n - 1) / 2.0) * px * 0.45;
    const QList<uint> letters = line.toUcs4();
    for (int k = 0; k < letters.size(); ++k) {
      const char32_t letter = letters[k];
      const QString glyph = QString::fromUcs4(&letter, 1);
      const double advance = metrics.horizontalAdvance(glyph);
      const uint32_t s = seed + uint32_t(i * 131 + k * 17);
      QPainterPath path;
      path.addText(-advance / 2, 0, font, glyph);
      QTransform place;
      place.translate(x + advance / 2, baseline + Wobble(s) * px * 0.05);
      place.rotate(Wobble(s + 1) * 6);
      place.scale(1 + Wobble(s + 2) * 0.07, 1 + Wobble(s + 3) * 0.07);
      p.setPen(QPen(ink, px * 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(ink);
      p.drawPath(place.map(path));
      x += advance * 0.9;
    }
    lastBaseline = baseline;
    lastEnd = x;
  }

  // The underline swash and a small heart in the actor's colour.
  const double y = lastBaseline + px * 0.50;
  QPainterPath swash;
  swash.moveTo(-0.40 * w, y + 10);
  swash.cubicTo(-0.12 * w, y + 60, 0.14 * w, y - 5, 0.30 * w, y - 48);
  swash.cubicTo(0.40 * w, y - 90, 0.27 * w, y - 112, 0.23 * w, y - 62);
  swash.cubicTo(0.19 * w, y - 12, 0.36 * w, y + 12, 0.46 * w, y - 22);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(swash);

  const double r = px * 0.16;
  const QPointF c(lastEnd + r * 1.8, lastBaseline - metrics.capHeight() * 0.9);
  QPainterPath heart;
  heart.moveTo(c + QPointF(0, r * 0.9));
  heart.cubicTo(c + QPointF(-r * 1.6, -r * 0.2), c + QPointF(-r * 0.6, -r * 1.4),
                c + QPointF(0, -r * 0.45));
  heart.cubicTo(c + QPointF(r * 0.6, -r * 1.4), c + QPointF(r * 1.6, -r * 0.2),
                c + QPointF(0, r * 0.9));
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPath(heart);

  p.resetTransform();
  QString key = QString::fromStdString(actor.key);
  if (!key.isEmpty()) key[0] = key[0].toUpper();
  const QFont latin = Font(kLatinItalic, 46, false, true);
  p.setFont(latin);
  QColor faded = ink;
  faded.setAlpha(190);
  p.setPen(faded);
  const double keyWidth = QFontMetricsF(latin).horizontalAdvance(key);
  p.drawText(QPointF(w * 0.86 - keyWidth, h * 0.86), key);
  p.end();
  return image;
}

}  // namespace payload
