#pragma once
// What tests, benchmarks and fuzzing harnesses may set or read inside the framework. The
// program itself includes none of this; the build refuses it in the clock's own code.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Object.h"
#include "PropertyStream.h"
#include "Strings.h"

namespace fw {

class CheckBox;
class Window;

// The framework's clock: the current time as the Date constructor sees it (nullptr restores
// the system clock).
using ClockSource = std::function<std::chrono::system_clock::time_point()>;
void SetClockForTesting(ClockSource source);

// Stands the executable somewhere else (empty restores the real one); the application
// folder, two levels above it, moves with it.
void SetExecutableFileForTesting(const String& path);

// Replaces the message box with a function that receives the message (nullptr restores it).
void SetMsgBoxHandlerForTesting(std::function<void(const String&)> handler);

// Learns which file each started playback comes from (nullptr: nobody listens).
void SetPlayObserverForTesting(std::function<void(const std::string& file)> observer);
// How long the audio device stays open without a playback (the previous setting is returned).
int SetAudioRestForTesting(int milliseconds);
bool AudioOpenForTesting();
// The audio library to load in place of SDL_mixer; before the first sound only.
void SetMixerLibraryForTesting(const char* soname);
// Decoded sounds still in memory; whether the end-of-playback check is running.
int LiveSoundsForTesting();
bool SoundPollingForTesting();

// Processes pending events until `done` holds or `timeoutMs` passes.
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs);
void ProcessPendingEvents();
// Forgets a finished quit so that another start-up can run in the same process.
void ResetQuitStateForTesting();

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

// The value kind a property value has.
PropertyKind KindOfValue(const PropertyValue& value);

}  // namespace fw
