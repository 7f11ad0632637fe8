// Pictures on screen at the screen's own pixels. Runs with the other framework tests at a
// device pixel ratio of 1, and on its own at 2 (QT_SCALE_FACTOR=2, a CTest entry of its own).
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include "framework/core/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/PictureImpl.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowImpl.h"
#include "mediagen/PictureQuality.h"
#include "support/TempDir.h"

namespace {

TEST(ScreenPixelsTest, BackdropAndWellShowPicturesAtTheScreensPixels) {
  const qreal ratio = qGuiApp->devicePixelRatio();
  if (const QByteArray factor = qgetenv("QT_SCALE_FACTOR"); !factor.isEmpty()) {
    ASSERT_EQ(ratio, factor.toDouble());
  }
  ASSERT_TRUE(ratio == 1 || ratio == 2) << ratio;

  // A checkerboard of single pixels at twice the size the picture is shown at: at a ratio of
  // 2 every square is a pixel of the screen; at 1 the squares average to grey. Enlarged from
  // fewer pixels, it turns grey in blocks of 2 x 2.
  constexpr int kWidth = 60, kHeight = 40;
  QImage board(2 * kWidth, 2 * kHeight, QImage::Format_RGB32);
  for (int y = 0; y < board.height(); ++y)
    for (int x = 0; x < board.width(); ++x)
      board.setPixel(x, y, (x + y) % 2 ? 0xFF000000u : 0xFFFFFFFFu);
  testsupport::TempDir dir;
  ASSERT_TRUE(board.save(QString::fromStdString(dir.File("board.png").string()), "PNG"));
  auto source = fw::FolderItem(dir.File("board.png").string()).OpenAsPicture();
  ASSERT_TRUE(source);
  auto picture = fw::New<fw::Picture>(kWidth, kHeight);
  picture->Graphics()->DrawPicture(source, 0, 0, kWidth, kHeight, 0, 0, 2 * kWidth, 2 * kHeight);
  EXPECT_EQ(picture->Width(), kWidth);
  const QImage expected = ratio == 2 ? board : mediagen::BoxShrink(board, 2);

  // The well beside the backdrop's picture, its frame a margin away from its own.
  constexpr int kMargin = 10;
  auto window = fw::New<fw::Window>();
  window->SetWidth(2 * kWidth + 4 * kMargin);
  window->SetHeight(kHeight + 2 * kMargin);
  window->Constructor();
  window->SetBackdrop(picture);
  auto well = window->NewControl<fw::ImageWell>();
  for (const auto& [name, value] : {std::pair{"Left", kWidth + kMargin},
                                    {"Width", kWidth + 2 * kMargin},
                                    {"Height", kHeight + 2 * kMargin}})
    well->SetProperty(fw::Property{name, int32_t(value)});
  well->SetImage(picture);
  fw::FinishBackgroundWorkForTesting();

  const struct {
    const char* what;
    QWidget* widget;
    QPoint at;  // where the picture's top left is, in units
  } shown[] = {{"backdrop", fw::ImplForTesting(*window).content, QPoint(0, 0)},
               {"image well", fw::ImplForTesting(*well).widget, QPoint(kMargin, kMargin)}};
  for (const auto& s : shown) {
    SCOPED_TRACE(s.what);
    const QImage screen = s.widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(screen.size(), s.widget->size() * ratio);
    const QImage painted = screen.copy(QRect(s.at * ratio, expected.size()));
    EXPECT_GE(mediagen::Psnr(painted, expected), 40.0);
  }
  window->Close();
}

}  // namespace
