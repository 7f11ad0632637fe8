#pragma once
#include "framework/core/Strings.h"

namespace fw {

// A modal message box with one OK button (Enter dismisses it); returns when dismissed.
void MsgBox(const String& message);
// Dismisses the message boxes on screen, as OK would: a quit signal must not wait for a click.
void CloseMessageBoxes();

}  // namespace fw
