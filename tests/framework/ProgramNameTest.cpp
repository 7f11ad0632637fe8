// The program's name comes from the application: the framework writes it before every line on
// stderr and on its message boxes, and names no program of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <string>

#include "framework/Testing.h"
#include "framework/core/EventLoop.h"
#include "framework/core/ProgramName.h"
#include "framework/ui/MsgBox.h"

namespace {

class ProgramName : public ::testing::Test {
 protected:
  void SetUp() override { fw::SetProgramName("someclock"); }
  void TearDown() override {
    fw::SetProgramName(saved_);
    fw::SetMsgBoxHandlerForTesting(nullptr);
  }

 private:
  const std::string saved_ = fw::ProgramName();
};

TEST_F(ProgramName, StartsTheFailureLineAndTheFailureIsShownWithoutIt) {
  std::string shown;
  fw::SetMsgBoxHandlerForTesting([&](const fw::String& message) { shown = message; });
  ::testing::internal::CaptureStderr();
  fw::ReportFailure("the payload is missing");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "someclock: the payload is missing\n");
  EXPECT_EQ(shown, "the payload is missing");
}

TEST_F(ProgramName, TitlesTheMessageBox) {
  QString title;
  // Read once the box is up; dismissing it lets MsgBox return.
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
        title = box->windowTitle();
    fw::CloseMessageBoxes();
  });
  fw::MsgBox("the payload is missing");
  EXPECT_EQ(title.toStdString(), "someclock");
}

}  // namespace
