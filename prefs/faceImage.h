#pragma once
#include <cstdint>

#include "framework/core/ClassRegistry.h"
#include "framework/ui/Controls.h"

namespace prefs {

// A member of the preferences window's array of face thumbnails, all named "faceImage".
class faceImage : public fw::ImageWell {
 public:
  std::string FullClassName() const override { return "prefWindow.faceImage"; }
  static fw::ClassRecord Record();
  // Builds a member with member 0's design, connected and registered with its window.
  void Constructor();
  // The index is set before the base construction runs.
  void Constructor(int32_t index);
};

}  // namespace prefs
