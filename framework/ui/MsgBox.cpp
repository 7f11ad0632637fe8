#include "framework/ui/MsgBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "framework/core/ProgramName.h"
#include "framework/ui/Testing.h"

namespace fw {
namespace {
std::function<void(const String&)>& TestHandler() {
  static std::function<void(const String&)> handler;
  return handler;
}

std::vector<QMessageBox*>& OpenBoxes() {
  static std::vector<QMessageBox*> boxes;
  return boxes;
}
}  // namespace

void MsgBox(const String& message) {
  if (TestHandler()) {
    TestHandler()(message);
    return;
  }
  QMessageBox box;
  box.setWindowTitle(QString::fromStdString(ProgramName()));
  box.setText(QString::fromStdString(message));
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);  // Enter dismisses it
  OpenBoxes().push_back(&box);
  box.exec();
  OpenBoxes().erase(std::find(OpenBoxes().begin(), OpenBoxes().end(), &box));
}

void CloseMessageBoxes() {
  for (QMessageBox* box : OpenBoxes()) box->done(QMessageBox::Ok);
}

void SetMsgBoxHandlerForTesting(std::function<void(const String&)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace fw
