#include "prefs/nameCheck.h"

#include "framework/ui/PropertyStream.h"
#include "framework/ui/Window.h"
#include "prefs/prefWindow.h"

namespace prefs {

fw::ClassRecord nameCheck::Record() {
  // The check box's interfaces come with it, served by its own operations.
  return {
      "prefWindow.nameCheck", "CheckBox", {{"Constructor", "Public"}, {"Constructor", "Public"}}};
}

void nameCheck::Constructor() {
  SetTextSize(12);
  SetTextUnit(0);
  fw::SetProperties(*this, prefWindow::DesignOf("nameCheck", 0).stream);
  SetIndex(0);
  Window()->AddControl("nameCheck", fw::RefTo(this));
  fw::CheckBox::Constructor();
}

void nameCheck::Constructor(int32_t index) {
  SetIndex(index);
  fw::CheckBox::Constructor();
}

}  // namespace prefs
