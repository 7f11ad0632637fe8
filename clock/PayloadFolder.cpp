// The first part of the main window's Open: the data payload folder, which fixes the largest
// window, and the window's sizes from that.
#include "clock/mainWindow.h"
#include "framework/core/EventLoop.h"
#include "framework/ui/MsgBox.h"

namespace clockcore {
namespace {

fw::Ref<fw::FolderItem> PayloadCandidate(const char* bundleName) {
  return fw::GetFolderItem("vanto-rimal", 0)->Child("Payload")->Child(bundleName);
}

}  // namespace

// True when a payload was found. The HD payload wins when both are there; only a folder
// counts, so a stray file of a bundle's name does not hide a good payload beside it.
bool mainWindow::ChoosePayloadFolder() {
  dataPath = PayloadCandidate("Vanto-Rimal3 HD.app");
  if (dataPath->Directory()) {
    SetMaxWidth(768);
    SetMaxHeight(1024);
    return true;
  }
  dataPath = PayloadCandidate("Vanto-Rimal3.app");
  if (dataPath->Directory()) {
    SetMaxWidth(640);
    SetMaxHeight(960);
    return true;
  }
  fw::MsgBox("データが正しく配置されていません");
  fw::Quit(0);
  return false;
}

// Minimum a quarter, starting size a half of the maximum, in this order.
void mainWindow::SetSizeSet() {
  auto self = ::mainWindow();
  self->SetMinWidth(fw::DoubleToInt32(double(self->MaxWidth()) / 4.0));
  self->SetMinHeight(fw::DoubleToInt32(double(self->MaxHeight()) / 4.0));
  self->SetWidth(fw::DoubleToInt32(double(self->MaxWidth()) / 2.0));
  self->SetHeight(fw::DoubleToInt32(double(self->MaxHeight()) / 2.0));
}

}  // namespace clockcore
