#pragma once
#include <cstdint>

#include "framework/core/ClassRegistry.h"
#include "framework/ui/Controls.h"

namespace prefs {

// A member of the preferences window's array of voice-actor check boxes, all named "nameCheck".
class nameCheck : public fw::CheckBox {
 public:
  std::string FullClassName() const override { return "prefWindow.nameCheck"; }
  static fw::ClassRecord Record();
  // Builds a member with member 0's design, registered with its window.
  void Constructor();
  // The index is set before the base construction runs.
  void Constructor(int32_t index);
};

}  // namespace prefs
