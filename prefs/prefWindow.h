#pragma once
// The preferences dialog: voice actors, voice mode, alarm and its preview. It keeps no
// settings of its own; it reads and writes the main window's clock settings.
#include <cstdint>
#include <string_view>
#include <vector>

#include "clock/mainWindow.h"
#include "framework/core/ClassRegistry.h"
#include "framework/core/Strings.h"
#include "framework/media/Sound.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Window.h"

namespace prefs {

class prefWindow : public fw::Window {
 public:
  // Twelve voice actors and 72 alarm entries are shown, whatever the tables hold beyond.
  static constexpr int32_t kActorCount = clockcore::mainWindow::kActorCount;
  static constexpr int32_t kAlarmCount = 72;

  using ButtonHandler = void (prefWindow::*)(fw::Ref<fw::PushButton>);

  // One control as the creation routines make it.
  struct ControlDesign {
    enum class Kind { PopupMenu, Label, Separator, CheckBox, PushButton, Face, NameCheck };
    // What is set in code before the stream: text size 12 and text unit 0, the unit alone,
    // or neither.
    enum class Look { None, UnitOnly, SizedAndUnit };
    Kind kind;
    fw::String name;
    int32_t index;  // fw::kNoIndex unless an array member
    Look look;
    fw::String stream;     // the layout property stream
    ButtonHandler action;  // push buttons only
  };

  std::string FullClassName() const override { return "prefWindow.prefWindow"; }
  static fw::ClassRecord Record();
  // The window's frame, and its 38 controls in creation order.
  static const fw::String& LayoutStream();
  static const std::vector<ControlDesign>& ControlDesigns();
  static const ControlDesign& DesignOf(std::string_view name, int32_t index = fw::kNoIndex);

  // Creation.
  void Layout() override;
  void CreateControls() override;
  void CreateControls0();
  void CreateControls1();
  // Connects a face's MouseDown to this window's faceImage_MouseDown, holding the window weakly.
  void ConnectFace(const fw::Ref<fw::ImageWell>& face);

  // Controls, looked up afresh at every call.
  fw::Ref<fw::PopupMenu> alarmVoicePopup();
  fw::Ref<fw::Label> StaticText1();
  fw::Ref<fw::Label> StaticText2();
  fw::Ref<fw::PopupMenu> voiceMode();
  fw::Ref<fw::PopupMenu> alarmHourPopup();
  fw::Ref<fw::PopupMenu> alarmMinPopup();
  fw::Ref<fw::Label> StaticText4();
  fw::Ref<fw::Label> StaticText5();
  fw::Ref<fw::ImageWell> faceImage(int32_t index);
  fw::Ref<fw::CheckBox> nameCheck(int32_t index);
  fw::Ref<fw::Label> StaticText6();
  fw::Ref<fw::Separator> Separator1();
  fw::Ref<fw::CheckBox> alarmCheck();
  fw::Ref<fw::PushButton> PushButton1();
  fw::Ref<fw::PushButton> PushButton2();
  fw::Ref<fw::PushButton> PushButton3();

  // Events.
  bool faceImage_MouseDown(fw::Ref<fw::ImageWell> well, int32_t x, int32_t y);
  void PushButton1_Action(fw::Ref<fw::PushButton> button);  // OK
  void PushButton2_Action(fw::Ref<fw::PushButton> button);  // Cancel
  void PushButton3_Action(fw::Ref<fw::PushButton> button);  // preview
  void Event_Open() override;

  // The alarm sound being previewed; kept after it stops, released with the window.
  fw::Ref<fw::Sound> newSound;

 private:
  void StopPreview();
};

}  // namespace prefs

// The shared preferences window, built on first use and anew after each closing.
fw::Ref<prefs::prefWindow> prefWindow();
