#pragma once
// What tests, benchmarks and fuzzing may set or read in the windows and their controls.
#include <chrono>
#include <functional>
#include <vector>

#include "framework/core/Object.h"
#include "framework/core/Strings.h"
#include "framework/ui/PropertyStream.h"

namespace fw {

class CheckBox;
class Timer;
class Window;

// Replaces the message box with a function that receives the message (nullptr restores it).
void SetMsgBoxHandlerForTesting(std::function<void(const String&)> handler);

// Open windows, oldest first.
std::vector<Ref<Window>> OpenWindowsForTesting();
// What a window keeps to itself: whether its build (Constructor) has finished, whether it is
// showing modally, whether a handler for that menu item is registered.
struct WindowForTesting {
  static bool Opened(const Window& window);
  static bool ShowingModally(const Window& window);
  static bool HasMenuHandler(const Window& window, const String& itemName);
};
// The user clicks the box.
void ClickForTesting(CheckBox& box);

// Fires the timer once now, as a tick of the event loop would; the next firing stays where
// it was.
void FireTimerForTesting(Timer& timer);
// The wall-clock time the next firing of a running repeating timer is armed for
// (time_point::min() while one is due at once).
std::chrono::system_clock::time_point NextTimerFiringForTesting(const Timer& timer);

// The value kind a property value has.
PropertyKind KindOfValue(const PropertyValue& value);

}  // namespace fw
