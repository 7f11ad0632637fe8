#include "MsgBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace fw {
namespace {
std::function<void(const String&)>& TestHandler() {
  static std::function<void(const String&)> handler;
  return handler;
}
}  // namespace

void MsgBox(const String& message) {
  if (TestHandler()) {
    TestHandler()(message);
    return;
  }
  QMessageBox box;
  box.setWindowTitle(QStringLiteral("vantoViewer3"));
  box.setText(QString::fromStdString(message));
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);  // Enter dismisses it
  box.exec();
}

void SetMsgBoxHandlerForTesting(std::function<void(const String&)> handler) {
  TestHandler() = std::move(handler);
}

}  // namespace fw
