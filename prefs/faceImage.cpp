#include "prefs/faceImage.h"

#include "framework/ui/PropertyStream.h"
#include "prefs/prefWindow.h"

namespace prefs {

fw::ClassRecord faceImage::Record() {
  return {
      "prefWindow.faceImage", "ImageWell", {{"Constructor", "Public"}, {"Constructor", "Public"}}};
}

void faceImage::Constructor() {
  fw::SetProperties(*this, prefWindow::DesignOf("faceImage", 0).stream);
  auto window = fw::CheckedCast<prefWindow>(Window());
  window->ConnectFace(fw::RefTo(this));
  SetIndex(0);
  window->AddControl("faceImage", fw::RefTo(this));
  fw::ImageWell::Constructor();
}

void faceImage::Constructor(int32_t index) {
  SetIndex(index);
  fw::ImageWell::Constructor();
}

}  // namespace prefs
