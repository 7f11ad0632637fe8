#include "TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <random>

namespace testsupport {

QImage Noise(int width, int height, unsigned seed) {
  QImage image(width, height, QImage::Format_RGB32);
  std::mt19937 rng(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, rng() | 0xFF000000u);
  return image;
}

std::string JpegBytes(const QImage& image, bool progressive) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(progressive);
  writer.write(image);
  return bytes.toStdString();
}

}  // namespace testsupport
