#include "prefs/prefWindow.h"

#include "framework/ui/PropertyStream.h"

fw::Ref<prefs::prefWindow> prefWindow() {
  // Open asks for the window while it is being built and must get that one.
  if (auto shared = fw::GetImplicitWindow("prefWindow.prefWindow"))
    return fw::CheckedCast<prefs::prefWindow>(shared);
  auto created = fw::New<prefs::prefWindow>();
  created->Constructor();  // the window list keeps it from here on
  return created;
}

namespace prefs {
namespace {

template <class T>
fw::Ref<T> Named(const prefWindow& window, const char* name) {
  return fw::CheckedCast<T>(window.ControlByName(name));
}

template <class T>
fw::Ref<T> Member(const prefWindow& window, const char* name, int32_t index) {
  return fw::CheckedCast<T>(window.ControlByNameIndex(name, index));
}

}  // namespace

fw::ClassRecord prefWindow::Record() {
  std::vector<fw::MemberRecord> members;
  for (const char* name : {"Layout",
                           "CreateControls",
                           "CreateControls0",
                           "CreateControls1",
                           "alarmVoicePopup",
                           "StaticText1",
                           "StaticText2",
                           "voiceMode",
                           "alarmHourPopup",
                           "alarmMinPopup",
                           "StaticText4",
                           "StaticText5",
                           "faceImage",
                           "nameCheck",
                           "StaticText6",
                           "Separator1",
                           "alarmCheck",
                           "PushButton1",
                           "PushButton2",
                           "PushButton3",
                           "faceImage_MouseDown",
                           "PushButton1_Action",
                           "PushButton2_Action",
                           "PushButton3_Action",
                           "Event_Open",
                           "newSound"})
    members.push_back({name, "Public"});
  return {"prefWindow.prefWindow", "Window", members};
}

const fw::String& prefWindow::LayoutStream() {
  // A fixed dialog: no close, minimise or maximise button, not resizable.
  static const fw::String stream = [] {
    const fw::Property frame[] = {
        {"Placement", int32_t{1}},
        {"Width", int32_t{385}},
        {"Height", int32_t{706}},
        {"MinWidth", int32_t{64}},
        {"MinHeight", int32_t{64}},
        {"MaxWidth", int32_t{32000}},
        {"MaxHeight", int32_t{32000}},
        {"Frame", int32_t{1}},
        {"Composite", false},
        {"HasBackColor", false},
        {"BackColor", fw::Colour{255, 255, 255}},
        {"Title", fw::String("環境設定")},
        {"Visible", true},
        {"FullScreen", false},
        {"MenuBarVisible", true},
        {"CloseButton", false},
        {"Resizeable", false},
        {"LiveResize", false},
        {"MaximizeButton", false},
        {"MinimizeButton", false},
        {"MacProcID", int32_t{0}},
    };
    fw::PropertyStreamWriter writer;
    for (const auto& property : frame) writer.Add(property);
    return writer.Bytes();
  }();
  return stream;
}

void prefWindow::Layout() { fw::SetProperties(*this, LayoutStream()); }

void prefWindow::CreateControls() {
  CreateControls0();
  CreateControls1();
}

fw::Ref<fw::PopupMenu> prefWindow::alarmVoicePopup() {
  return Named<fw::PopupMenu>(*this, "alarmVoicePopup");
}
fw::Ref<fw::Label> prefWindow::StaticText1() { return Named<fw::Label>(*this, "StaticText1"); }
fw::Ref<fw::Label> prefWindow::StaticText2() { return Named<fw::Label>(*this, "StaticText2"); }
fw::Ref<fw::PopupMenu> prefWindow::voiceMode() { return Named<fw::PopupMenu>(*this, "voiceMode"); }
fw::Ref<fw::PopupMenu> prefWindow::alarmHourPopup() {
  return Named<fw::PopupMenu>(*this, "alarmHourPopup");
}
fw::Ref<fw::PopupMenu> prefWindow::alarmMinPopup() {
  return Named<fw::PopupMenu>(*this, "alarmMinPopup");
}
fw::Ref<fw::Label> prefWindow::StaticText4() { return Named<fw::Label>(*this, "StaticText4"); }
fw::Ref<fw::Label> prefWindow::StaticText5() { return Named<fw::Label>(*this, "StaticText5"); }
fw::Ref<fw::ImageWell> prefWindow::faceImage(int32_t index) {
  return Member<fw::ImageWell>(*this, "faceImage", index);
}
fw::Ref<fw::CheckBox> prefWindow::nameCheck(int32_t index) {
  return Member<fw::CheckBox>(*this, "nameCheck", index);
}
fw::Ref<fw::Label> prefWindow::StaticText6() { return Named<fw::Label>(*this, "StaticText6"); }
fw::Ref<fw::Separator> prefWindow::Separator1() {
  return Named<fw::Separator>(*this, "Separator1");
}
fw::Ref<fw::CheckBox> prefWindow::alarmCheck() { return Named<fw::CheckBox>(*this, "alarmCheck"); }
fw::Ref<fw::PushButton> prefWindow::PushButton1() {
  return Named<fw::PushButton>(*this, "PushButton1");
}
fw::Ref<fw::PushButton> prefWindow::PushButton2() {
  return Named<fw::PushButton>(*this, "PushButton2");
}
fw::Ref<fw::PushButton> prefWindow::PushButton3() {
  return Named<fw::PushButton>(*this, "PushButton3");
}

}  // namespace prefs
