#include "prefs/ClassRecords.h"

#include "prefs/faceImage.h"
#include "prefs/nameCheck.h"
#include "prefs/prefWindow.h"

namespace prefs {
std::vector<fw::ClassRecord> ClassRecords() {
  return {prefWindow::Record(), faceImage::Record(), nameCheck::Record()};
}
}  // namespace prefs
