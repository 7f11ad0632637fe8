// Pictures: decoding real JPEG files (and refusing everything else), new pictures, and the
// scaled drawing that makes every backdrop.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <map>
#include <random>

#include "framework/core/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Picture.h"
#include "framework/media/PictureImpl.h"
#include "framework/media/detail/JpegDecoder.h"
#include "framework/media/detail/JpegStream.h"
#include "mediagen/Drawings.h"
#include "mediagen/MediaGen.h"
#include "mediagen/PictureQuality.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

namespace {

using fw::FolderItem;
using fw::Picture;
using fw::Ref;

Ref<Picture> Open(const std::filesystem::path& path) {
  return FolderItem(path.string()).OpenAsPicture();
}

// Colour of a pixel, for messages.
QColor At(const Ref<Picture>& p, int x, int y) {
  return fw::ImplForTesting(*p).Pixels().pixelColor(x, y);
}

// JPEG is lossy: a colour is "the same" within a small distance per channel.
::testing::AssertionResult Near(QColor got, QColor want, int tolerance = 24) {
  if (std::abs(got.red() - want.red()) <= tolerance &&
      std::abs(got.green() - want.green()) <= tolerance &&
      std::abs(got.blue() - want.blue()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "got " << got.name().toStdString() << ", want " << want.name().toStdString();
}

// Four quadrants: red top-left, green top-right, blue bottom-left, yellow bottom-right.
QImage Quadrants(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, w / 2, h / 2, Qt::red);
  p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
  p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
  p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
  return image;
}

QImage Noise(int w, int h) { return testsupport::Noise(w, h, 7); }

TEST(PictureTest, NewPictureIsWhiteAtItsSize) {
  Picture one(1, 1);
  EXPECT_EQ(one.Width(), 1);
  EXPECT_EQ(one.Height(), 1);
  auto p = fw::New<Picture>(320, 480, 32);
  EXPECT_EQ(p->Width(), 320);
  EXPECT_EQ(p->Height(), 480);
  EXPECT_EQ(p->Depth(), 32);
  EXPECT_EQ(At(p, 0, 0), QColor(Qt::white));
  EXPECT_EQ(At(p, 319, 479), QColor(Qt::white));
  EXPECT_EQ(fw::ImplForTesting(*p).Pixels().format(), QImage::Format_RGB32);

  EXPECT_THROW(Picture(0, 10), fw::OutOfBoundsException);
  EXPECT_THROW(Picture(10, -1), fw::OutOfBoundsException);
  EXPECT_THROW(Picture(65536, 1025), fw::OutOfBoundsException);  // one row over the limit
}

TEST(PictureTest, OpensJpegAtItsOwnSizeWhateverItsName) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteSolidJpeg(dir.File("t1200.jpg").string(), 37, 23, 0xCC2020));
  ASSERT_TRUE(mediagen::WriteSolidJpeg(dir.File("picture.dat").string(), 5, 7, 0x2020CC));
  auto p = Open(dir.File("t1200.jpg"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 37);
  EXPECT_EQ(p->Height(), 23);
  EXPECT_EQ(fw::ImplForTesting(*p).Pixels().format(), QImage::Format_RGB32);
  EXPECT_TRUE(Near(At(p, 18, 11), QColor(0xCC, 0x20, 0x20)));
  auto q = Open(dir.File("picture.dat"));
  ASSERT_TRUE(q);
  EXPECT_EQ(q->Width(), 5);
}

TEST(PictureTest, LargePictureWithinTheBoundOpens) {
  // 24 megapixels, a camera's photo.
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteSolidJpeg(dir.File("big.jpg").string(), 6000, 4000, 0x336699, 50));
  auto p = Open(dir.File("big.jpg"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 6000);
  EXPECT_TRUE(Near(At(p, 5999, 3999), QColor(0x33, 0x66, 0x99)));
}

TEST(PictureTest, ProgressiveJpegDecodes) {
  testsupport::TempDir dir;
  QImageWriter writer(QString::fromStdString(dir.File("p.jpg").string()), "jpeg");
  writer.setProgressiveScanWrite(true);
  ASSERT_TRUE(writer.write(Quadrants(64, 48)));
  auto p = Open(dir.File("p.jpg"));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Width(), 64);
  EXPECT_TRUE(Near(At(p, 48, 36), Qt::yellow));
}

TEST(PictureTest, ProgressiveJpegOfMoreScansThanAnyEncoderWritesIsNoPicture) {
  // A progressive JPEG with its last scan repeated: libjpeg decodes each repeat (with a
  // warning), a pass over the whole picture every time.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  ASSERT_TRUE(writer.write(Quadrants(64, 48)));
  const std::string jpeg = bytes.toStdString();
  const std::string sos("\xFF\xDA", 2);  // in the data, 0xFF is followed by 0x00 or a restart
  int written = 0;
  for (size_t at = jpeg.find(sos); at != std::string::npos; at = jpeg.find(sos, at + 2)) ++written;
  const size_t last = jpeg.rfind(sos);
  const std::string lastScan = jpeg.substr(last, jpeg.size() - 2 - last);
  ASSERT_GT(written, 1);

  testsupport::TempDir dir;
  const struct {
    int scans;
    bool opens;
  } cases[] = {{fw::kMaxJpegScans, true}, {fw::kMaxJpegScans + 1, false}, {10000, false}};
  for (const auto& c : cases) {
    std::string file = jpeg.substr(0, jpeg.size() - 2);
    for (int i = written; i < c.scans; ++i) file += lastScan;
    auto p = Open(dir.Write(std::to_string(c.scans) + ".jpg", file + "\xFF\xD9"));
    EXPECT_EQ(bool(p), c.opens) << c.scans << " scans";
    if (p) {
      EXPECT_TRUE(Near(At(p, 48, 36), Qt::yellow));
    }
  }
}

TEST(PictureTest, HostileFilesOpenAsNoPicture) {
  testsupport::TempDir dir;
  const auto good = dir.File("good.jpg");
  ASSERT_TRUE(mediagen::WriteJpeg(good.string(), Noise(64, 64)));
  const std::string jpeg = testsupport::ReadFile(good);
  ASSERT_TRUE(Open(good));

  // The same JPEG with its frame header claiming 60000 x 60000.
  std::string bomb = jpeg;
  const auto sof = bomb.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  bomb.replace(sof + 5, 4, "\xEA\x60\xEA\x60");
  std::string randomBytes(4096, '\0');
  std::mt19937 rng(1);
  for (char& c : randomBytes) c = static_cast<char>(rng());

  const std::map<std::string, std::string> files = {
      {"empty.jpg", ""},
      {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2)},
      {"no-end-marker.jpg", jpeg.substr(0, jpeg.size() - 2)},
      {"random.jpg", randomBytes},
      {"bomb.jpg", bomb},
      {"text.jpg", "not a picture\n"},
  };
  // Refused before the decoder sees them, so the decoder has nothing to complain about.
  ::testing::internal::CaptureStderr();
  for (const auto& [name, bytes] : files) {
    EXPECT_FALSE(Open(dir.Write(name, bytes))) << name;
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  std::filesystem::create_directory(dir.File("folder.jpg"));
  EXPECT_FALSE(Open(dir.File("folder.jpg")));
  EXPECT_FALSE(Open(dir.File("missing.jpg")));
  EXPECT_FALSE(FolderItem("").OpenAsPicture());
  // A FIFO would block an ordinary open for ever.
  ASSERT_EQ(mkfifo(dir.File("fifo.jpg").c_str(), 0600), 0);
  EXPECT_FALSE(Open(dir.File("fifo.jpg")));

  const auto locked = dir.Write("locked.jpg", jpeg);
  chmod(locked.c_str(), 0);
  if (geteuid() != 0) {  // root reads it anyway
    EXPECT_FALSE(Open(locked));
  }
}

TEST(GraphicsTest, WholePictureStretchesOverWholeTarget) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteJpeg(dir.File("q.jpg").string(), Quadrants(80, 40)));
  auto source = Open(dir.File("q.jpg"));
  ASSERT_TRUE(source);
  // Wider source into a taller target: the aspect ratio is not kept and nothing is cropped.
  auto target = fw::New<Picture>(90, 300);
  target->Graphics()->DrawPicture(source, 0, 0, 90, 300, 0, 0, 80, 40);
  EXPECT_EQ(target->Width(), 90);
  EXPECT_EQ(target->Height(), 300);
  EXPECT_EQ(fw::ImplForTesting(*target).Pixels().format(), QImage::Format_RGB32);
  EXPECT_TRUE(Near(At(target, 2, 2), Qt::red));
  EXPECT_TRUE(Near(At(target, 87, 2), Qt::green));
  EXPECT_TRUE(Near(At(target, 2, 297), Qt::blue));
  EXPECT_TRUE(Near(At(target, 87, 297), Qt::yellow));
  EXPECT_TRUE(Near(At(target, 40, 140), Qt::red));
  EXPECT_TRUE(Near(At(target, 50, 160), Qt::yellow));
}

TEST(GraphicsTest, ShrinkingAveragesEveryPixelAndKeepsOnlyTheFile) {
  // Held to the box filter over the same file decoded whole. Sampling two pixels of every
  // four or eight, thin lines and hatches come out as moiré, 15 to 20 dB from it.
  testsupport::TempDir dir;
  const QImage art = mediagen::LineArt(640, 960);
  ASSERT_TRUE(mediagen::WriteJpeg(dir.File("art.jpg").string(), art, 90));
  ASSERT_TRUE(art.save(QString::fromStdString(dir.File("art.png").string()), "PNG"));
  for (const char* name : {"art.jpg", "art.png"}) {
    const QImage whole(QString::fromStdString(dir.File(name).string()));
    auto source = Open(dir.File(name));
    ASSERT_TRUE(source);
    for (int factor : {2, 4, 8}) {
      SCOPED_TRACE(std::string(name) + " at 1/" + std::to_string(factor));
      auto target = fw::New<Picture>(640 / factor, 960 / factor);
      target->Graphics()->DrawPicture(source, 0, 0, 640 / factor, 960 / factor, 0, 0, 640, 960);
      EXPECT_GE(
          mediagen::Psnr(fw::ImplForTesting(*target).Pixels(), mediagen::BoxShrink(whole, factor)),
          35.0);
      EXPECT_TRUE(fw::ImplForTesting(*source).image.isNull()) << "the picture's pixels were kept";
    }
  }
}

TEST(GraphicsTest, SourceRectangleIntoDestinationRectangle) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteJpeg(dir.File("q.jpg").string(), Quadrants(80, 40)));
  auto source = Open(dir.File("q.jpg"));
  ASSERT_TRUE(source);
  auto target = fw::New<Picture>(100, 100);
  // The right half of the source (green over yellow) into the bottom-right 50 x 50.
  target->Graphics()->DrawPicture(source, 50, 50, 50, 50, 40, 0, 40, 40);
  EXPECT_EQ(At(target, 25, 25), QColor(Qt::white));
  EXPECT_EQ(At(target, 75, 25), QColor(Qt::white));
  EXPECT_EQ(At(target, 25, 75), QColor(Qt::white));
  EXPECT_TRUE(Near(At(target, 75, 55), Qt::green));
  EXPECT_TRUE(Near(At(target, 75, 95), Qt::yellow));
}

TEST(GraphicsTest, SameSizeBackdropStaysIndependentOfItsSource) {
  auto source = fw::New<Picture>(40, 40);
  fw::ImplForTesting(*source).image = Quadrants(40, 40);
  auto target = fw::New<Picture>(40, 40);
  target->Graphics()->DrawPicture(source, 0, 0, 40, 40, 0, 0, 40, 40);
  EXPECT_EQ(fw::ImplForTesting(*target).image, fw::ImplForTesting(*source).image);
  // Drawing into either afterwards leaves the other as it was.
  auto blue = fw::New<Picture>(4, 4);
  fw::ImplForTesting(*blue).Surface().fill(Qt::blue);
  target->Graphics()->DrawPicture(blue, 0, 0, 20, 20, 0, 0, 4, 4);
  source->Graphics()->DrawPicture(blue, 20, 20, 20, 20, 0, 0, 4, 4);
  EXPECT_EQ(At(source, 5, 5), QColor(Qt::red));
  EXPECT_EQ(At(target, 5, 5), QColor(Qt::blue));
  EXPECT_EQ(At(target, 30, 30), QColor(Qt::yellow));
}

TEST(GraphicsTest, PictureDrawnIntoItself) {
  auto p = fw::New<Picture>(40, 40);
  fw::ImplForTesting(*p).image = Quadrants(40, 40);
  // Its red quadrant over the whole of itself.
  p->Graphics()->DrawPicture(p, 0, 0, 40, 40, 0, 0, 20, 20);
  EXPECT_TRUE(Near(At(p, 39, 39), Qt::red));
  EXPECT_TRUE(Near(At(p, 0, 0), Qt::red));
}

TEST(GraphicsTest, NilPicturesRaise) {
  auto target = fw::New<Picture>(10, 10);
  EXPECT_THROW(target->Graphics()->DrawPicture(nullptr, 0, 0, 10, 10, 0, 0, 1, 1),
               fw::NilObjectException);
  // A drawing surface kept after its picture went draws nowhere.
  auto graphics = target->Graphics();
  auto source = fw::New<Picture>(4, 4);
  target.reset();
  EXPECT_THROW(graphics->DrawPicture(source, 0, 0, 10, 10, 0, 0, 4, 4), fw::NilObjectException);
}

TEST(GraphicsTest, RedrawAtTheSameSizeDecodesNothing) {
  testsupport::TempDir dir;
  ASSERT_TRUE(mediagen::WriteJpeg(dir.File("q.jpg").string(), Quadrants(80, 40)));
  auto source = Open(dir.File("q.jpg"));
  ASSERT_TRUE(source);
  // The pixels drawn, identified by Qt's key of their data: the same data is no new decode.
  auto draw = [&](int w, int h) {
    auto target = fw::New<Picture>(w, h);
    target->Graphics()->DrawPicture(source, 0, 0, w, h, 0, 0, 80, 40);
    return fw::ImplForTesting(*target).Pixels().cacheKey();
  };
  for (QSize size : {QSize(40, 20), QSize(160, 90)}) {  // shrinking, enlarging
    const auto first = draw(size.width(), size.height());
    EXPECT_EQ(draw(size.width(), size.height()), first) << size.width();
    EXPECT_NE(draw(size.width() + 1, size.height()), first) << size.width();
  }
}

TEST(JpegStreamTest, SegmentLengthShorterThanItsOwnFieldIsNoStream) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && Quadrants(16, 16).save(&buffer, "JPEG"));
  const std::string jpeg = bytes.toStdString();
  ASSERT_TRUE(fw::OutlineJpeg(jpeg));
  for (const std::string& length : {std::string(2, '\0'), std::string("\x00\x01", 2)}) {
    EXPECT_FALSE(fw::OutlineJpeg("\xFF\xD8\xFF\xE1" + length + jpeg.substr(2))) << int(length[1]);
  }
}

// A progressive picture decoded at 1/8 from its stream without the AC scans that 1/8 does not
// read is the same picture, pixel for pixel, as from every scan, for less work: the luma's and,
// at full resolution, the colour's AC scans are dropped; subsampled colour keeps its own.
TEST(JpegDecoderTest, DcOnlyEighthIsTheWholeStreamsEighth) {
  using testsupport::JpegSpec;
  for (JpegSpec::Colour colour : {JpegSpec::k444, JpegSpec::k420, JpegSpec::kGrey}) {
    SCOPED_TRACE(colour);
    JpegSpec spec;
    spec.width = 1000, spec.height = 750, spec.colour = colour, spec.progressive = true;
    spec.noise = 60;
    const std::string jpeg = testsupport::LibJpegBytes(spec);
    int64_t dcWork = 0, fullWork = 0;
    fw::JpegDecoder::Options dcOnly, every;
    dcOnly.work = &dcWork;
    every.dcOnly = false, every.work = &fullWork;
    const QImage reduced = fw::JpegDecoder::Decode(jpeg, 1, dcOnly);
    const QImage whole = fw::JpegDecoder::Decode(jpeg, 1, every);
    ASSERT_EQ(whole.size(), QSize(125, 94));
    EXPECT_EQ(reduced, whole);
    EXPECT_LT(dcWork, fullWork / 2);
  }
}

}  // namespace
