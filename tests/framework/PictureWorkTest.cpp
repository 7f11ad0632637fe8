// Pictures are decoded on workers: the main thread opens, asks and paints, and never waits.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "framework/core/BackgroundWork.h"
#include "framework/core/Testing.h"
#include "framework/files/FolderItem.h"
#include "framework/media/Picture.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowImpl.h"
#include "mediagen/MediaGen.h"
#include "support/TempDir.h"

namespace {

using fw::Ref;

constexpr int kSize = 40;

class PictureWorkTest : public ::testing::Test {
 protected:
  void TearDown() override {
    fw::HoldBackgroundWorkForTesting(false);
    fw::RefuseThreadsForTesting(false);
    fw::FinishBackgroundWorkForTesting();
    window_->Close();
  }

  // A picture file of one colour, opened.
  Ref<fw::Picture> Open(Qt::GlobalColor color) {
    QImage image(2 * kSize, 2 * kSize, QImage::Format_RGB32);
    image.fill(color);
    const std::string path = dir_.File(std::to_string(int(color)) + ".jpg").string();
    EXPECT_TRUE(mediagen::WriteJpeg(path, image));
    return fw::FolderItem(path).OpenAsPicture();
  }
  // Drawn whole into a new picture, as the clock draws a backdrop or a thumbnail.
  Ref<fw::Picture> Drawn(Qt::GlobalColor color) {
    auto source = Open(color);
    auto target = fw::New<fw::Picture>(kSize, kSize);
    target->Graphics()->DrawPicture(source, 0, 0, kSize, kSize, 0, 0, 2 * kSize, 2 * kSize);
    return target;
  }
  // The colour at the middle of the backdrop (0) or of the well (1), as painted now.
  QRgb Shown(int where) {
    QWidget* widget = where == 0 ? fw::ImplForTesting(*window_).content.data()
                                 : fw::ImplForTesting(*well_).widget.data();
    const QImage screen = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return screen.pixel(screen.width() / 2, screen.height() / 2) & 0xF0F0F0u;
  }
  void Show(int where, const Ref<fw::Picture>& picture) {
    if (where == 0)
      window_->SetBackdrop(picture);
    else
      well_->SetImage(picture);
  }

  testsupport::TempDir dir_;
  Ref<fw::Window> window_ = [] {
    auto window = fw::New<fw::Window>();
    window->SetWidth(kSize);
    window->SetHeight(kSize);
    window->Constructor();
    return window;
  }();
  Ref<fw::ImageWell> well_ = [this] {
    auto well = window_->NewControl<fw::ImageWell>();
    well->SetProperty(fw::Property{"Width", int32_t(kSize)});
    well->SetProperty(fw::Property{"Height", int32_t(kSize)});
    return well;
  }();
};

constexpr QRgb kRed = 0xF00000, kBlue = 0x0000F0;

TEST_F(PictureWorkTest, TheLastPictureStaysUntilTheNextIsMadeOnAWorker) {
  for (int where : {0, 1}) {
    SCOPED_TRACE(where == 0 ? "backdrop" : "image well");
    Show(where, Drawn(Qt::red));
    fw::FinishBackgroundWorkForTesting();
    ASSERT_EQ(Shown(where), kRed);

    // Held workers: were the picture decoded here, it would show at once.
    fw::HoldBackgroundWorkForTesting(true);
    Show(where, Drawn(Qt::blue));
    fw::ProcessPendingEvents();
    // The backdrop keeps the last picture; a well shows nothing until its picture is made.
    EXPECT_EQ(Shown(where) == kRed, where == 0);
    EXPECT_NE(Shown(where), kBlue);
    fw::HoldBackgroundWorkForTesting(false);
    fw::FinishBackgroundWorkForTesting();
    EXPECT_EQ(Shown(where), kBlue);
  }
}

TEST_F(PictureWorkTest, ANewerPictureSupersedesOneNotYetMade) {
  fw::HoldBackgroundWorkForTesting(true);
  Show(0, Drawn(Qt::red));
  Show(0, Drawn(Qt::blue));  // the red one is let go, and with it its work
  const int before = fw::BackgroundWorkRunForTesting();
  fw::HoldBackgroundWorkForTesting(false);
  fw::FinishBackgroundWorkForTesting();
  EXPECT_EQ(fw::BackgroundWorkRunForTesting() - before, 1);
  EXPECT_EQ(Shown(0), kBlue);
}

TEST_F(PictureWorkTest, WithoutThreadsTheCallerMakesThePicture) {
  fw::RefuseThreadsForTesting(true);
  fw::StopBackgroundWork();  // as though the process had started under a thread limit
  auto picture = Drawn(Qt::blue);
  Show(0, picture);
  fw::FinishBackgroundWorkForTesting();
  EXPECT_EQ(Shown(0), kBlue);
}

}  // namespace
