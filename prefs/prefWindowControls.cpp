// The preferences window's 38 controls: their design-time properties and their creation.
#include <algorithm>
#include <type_traits>

#include "framework/ui/PropertyStream.h"
#include "prefs/faceImage.h"
#include "prefs/nameCheck.h"
#include "prefs/prefWindow.h"

namespace prefs {
namespace {

using Design = prefWindow::ControlDesign;
using Kind = Design::Kind;
using Look = Design::Look;
using Writer = fw::PropertyStreamWriter;

// Controls 1 to 30 are made by the first creation routine, the rest by the second.
constexpr size_t kFirstRoutineCount = 30;

// Where a control sits, in window units, and its place in the tab order.
struct Place {
  const char* name;
  int32_t left, top, width, height, tabIndex;
  int32_t index = fw::kNoIndex;
};

// Every stream opens with these twelve pairs.
Writer Head(const Place& p) {
  Writer w;
  w.Text("Name", p.name)
      .Int("Index", p.index)
      .Int("Left", p.left)
      .Int("Top", p.top)
      .Int("Width", p.width);
  w.Int("Height", p.height).Bool("LockLeft", true).Bool("LockTop", true).Bool("LockRight", false);
  w.Bool("LockBottom", false).Int("TabPanelIndex", 0).Int("TabIndex", p.tabIndex);
  return w;
}

Writer& Font(Writer& w) {
  return w.Text("TextFont", "Lucida Grande")
      .Bool("Bold", false)
      .Bool("Italic", false)
      .Bool("Underline", false);
}

Writer& Binding(Writer& w) {
  return w.Text("DataSource", "").Text("DataField", "").Text("InitialParent", "");
}

Design Make(Kind kind, const Place& p, Look look, const Writer& w,
            prefWindow::ButtonHandler action = nullptr) {
  return Design{kind, p.name, p.index, look, w.Bytes(), action};
}

Design Popup(const Place& p, const fw::String& rows) {
  auto w = Head(p);
  w.Bool("TabStop", true).Bool("Enabled", true).Text("InitialValue", rows).Int("ListIndex", 0);
  w.Bool("Visible", true).Text("HelpTag", "").Bool("AutoDeactivate", true);
  return Make(Kind::PopupMenu, p, Look::SizedAndUnit, Binding(Font(w)));
}

Design Label(const Place& p, const char* text, Look look) {
  auto w = Head(p);
  w.Text("Text", text).Int("TextAlign", 0).Rgb("TextColor", 0, 0, 0).Bool("Multiline", false);
  w.Bool("Enabled", true)
      .Bool("Visible", true)
      .Bool("Selectable", false)
      .Bool("Transparent", false);
  w.Text("HelpTag", "").Bool("AutoDeactivate", true);
  return Make(Kind::Label, p, look, Binding(Font(w)));
}

// The faces and the separator carry the same pairs.
Design Plain(Kind kind, const Place& p) {
  auto w = Head(p);
  w.Bool("TabStop", true).Text("InitialParent", "").Bool("Visible", true).Text("HelpTag", "");
  w.Bool("AutoDeactivate", true).Bool("Enabled", true);
  return Make(kind, p, Look::None, w);
}

Design Check(Kind kind, const Place& p, const char* caption) {
  auto w = Head(p);
  w.Bool("TabStop", true).Text("Caption", caption).Bool("Enabled", true).Bool("Visible", true);
  w.Text("HelpTag", "").Bool("AutoDeactivate", true);
  Font(w).Int("State", 0).Bool("Value", false);
  return Make(kind, p, Look::SizedAndUnit, Binding(w));
}

Design Button(const Place& p, const char* caption, bool isDefault, bool isCancel,
              prefWindow::ButtonHandler action) {
  auto w = Head(p);
  w.Bool("TabStop", true)
      .Text("Caption", caption)
      .Bool("Default", isDefault)
      .Bool("Cancel", isCancel);
  w.Bool("Enabled", true).Bool("Visible", true).Text("HelpTag", "").Bool("AutoDeactivate", true);
  w.Int("ButtonStyle", 0);
  Font(w).Text("InitialParent", "");
  return Make(Kind::PushButton, p, Look::UnitOnly, w, action);
}

// Array member i: actors 0 to 5 in the left column, 6 to 11 in the right, 84 units a row;
// each check box sits beside its face, centred on it.
Design Face(int32_t i) {
  return Plain(Kind::Face, {"faceImage", i < 6 ? 20 : 194, 155 + 84 * (i % 6), 72, 72, 9 + i, i});
}

Design NameCheck(int32_t i) {
  return Check(Kind::NameCheck,
               {"nameCheck", i < 6 ? 99 : 275, 181 + 84 * (i % 6), 90, 20, 21 + i, i}, "");
}

// Row n reads n in two digits; rows are separated by CR.
fw::String TwoDigitRows(int32_t count) {
  fw::String rows;
  for (int32_t n = 0; n < count; ++n) {
    if (n > 0) rows += '\r';
    rows += char('0' + n / 10);
    rows += char('0' + n % 10);
  }
  return rows;
}

std::vector<Design> AllDesigns() {
  // Row i of the voice-mode pop-up is voice mode i.
  const fw::String voiceModes = "セリフ+毎分\rセリフ（10分おき）\r毎分\rなし";
  std::vector<Design> designs = {
      Popup({"alarmVoicePopup", 105, 47, 185, 20, 0}, ""),
      Label({"StaticText1", 20, 46, 72, 20, 1}, "アラーム音", Look::SizedAndUnit),
      Label({"StaticText2", 20, 78, 72, 20, 2}, "時報", Look::SizedAndUnit),
      Popup({"voiceMode", 105, 78, 185, 20, 3}, voiceModes),
      Popup({"alarmHourPopup", 105, 16, 71, 20, 4}, TwoDigitRows(25)),
      Popup({"alarmMinPopup", 219, 16, 71, 20, 6}, TwoDigitRows(60)),
      Label({"StaticText4", 186, 15, 17, 20, 7}, "時", Look::UnitOnly),
      Label({"StaticText5", 297, 16, 17, 20, 8}, "分", Look::UnitOnly),
  };
  for (int32_t i = 0; i < prefWindow::kActorCount; ++i) designs.push_back(Face(i));
  // Member 7 comes last; lookups go by index, so it still sits and tabs as the eighth.
  for (int32_t i : {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 7}) designs.push_back(NameCheck(i));
  designs.push_back(Label({"StaticText6", 20, 123, 100, 20, 33}, "声優", Look::SizedAndUnit));
  designs.push_back(Plain(Kind::Separator, {"Separator1", 20, 110, 363, 1, 34}));
  designs.push_back(Check(Kind::CheckBox, {"alarmCheck", 19, 15, 73, 20, 35}, "アラーム"));
  designs.push_back(Button({"PushButton1", 285, 666, 80, 20, 36}, "OK", true, false,
                           &prefWindow::PushButton1_Action));
  designs.push_back(Button({"PushButton2", 176, 666, 96, 20, 37}, "キャンセル", false, true,
                           &prefWindow::PushButton2_Action));
  designs.push_back(Button({"PushButton3", 302, 47, 63, 20, 38}, "試聴", false, false,
                           &prefWindow::PushButton3_Action));
  return designs;
}

template <class T>
fw::Ref<T> Fetch(const prefWindow& window, const Design& d) {
  return fw::CheckedCast<T>(d.index == fw::kNoIndex ? window.ControlByName(d.name)
                                                    : window.ControlByNameIndex(d.name, d.index));
}

// The object, its constructor and its registration; then text look and stream, each step on
// the control fetched afresh from the window, which alone holds it in between.
template <class T, class Base = T>
void Create(prefWindow& window, const Design& d) {
  {
    auto control = window.NewControl<T>();
    if constexpr (std::is_same_v<T, Base>)
      control->Constructor();
    else
      control->Constructor(d.index);
    window.AddControl(d.name, control);
  }
  if (d.look == Look::SizedAndUnit) Fetch<Base>(window, d)->SetTextSize(12);
  if (d.look != Look::None) Fetch<Base>(window, d)->SetTextUnit(0);
  fw::SetProperties(*Fetch<Base>(window, d), d.stream);
}

void CreateFrom(prefWindow& window, const Design& d) {
  switch (d.kind) {
    case Kind::PopupMenu:
      Create<fw::PopupMenu>(window, d);
      break;
    case Kind::Label:
      Create<fw::Label>(window, d);
      break;
    case Kind::Separator:
      Create<fw::Separator>(window, d);
      break;
    case Kind::CheckBox:
      Create<fw::CheckBox>(window, d);
      break;
    case Kind::NameCheck:
      Create<nameCheck, fw::CheckBox>(window, d);
      break;
    case Kind::Face:
      Create<faceImage, fw::ImageWell>(window, d);
      window.ConnectFace(Fetch<fw::ImageWell>(window, d));
      break;
    case Kind::PushButton:
      Create<fw::PushButton>(window, d);
      Fetch<fw::PushButton>(window, d)->Action.AddHandler(
          fw::Delegate<void(fw::Ref<fw::PushButton>)>::Weak(fw::RefTo(&window), d.action,
                                                            "( PushButton )"));
      break;
  }
}

}  // namespace

const std::vector<prefWindow::ControlDesign>& prefWindow::ControlDesigns() {
  static const std::vector<ControlDesign> designs = AllDesigns();
  return designs;
}

const prefWindow::ControlDesign& prefWindow::DesignOf(std::string_view name, int32_t index) {
  const auto& designs = ControlDesigns();
  auto it = std::find_if(designs.begin(), designs.end(), [&](const ControlDesign& d) {
    return d.name == name && d.index == index;
  });
  if (it == designs.end())
    throw fw::OutOfBoundsException("no control \"" + fw::String(name) + "\" in the design");
  return *it;
}

void prefWindow::CreateControls0() {
  const auto& designs = ControlDesigns();
  for (size_t i = 0; i < kFirstRoutineCount; ++i) CreateFrom(*this, designs[i]);
}

void prefWindow::CreateControls1() {
  const auto& designs = ControlDesigns();
  for (size_t i = kFirstRoutineCount; i < designs.size(); ++i) CreateFrom(*this, designs[i]);
}

void prefWindow::ConnectFace(const fw::Ref<fw::ImageWell>& face) {
  using Handler = fw::Delegate<bool(fw::Ref<fw::ImageWell>, int32_t, int32_t)>;
  face->MouseDown.AddHandler(Handler::Weak(fw::RefTo(this), &prefWindow::faceImage_MouseDown,
                                           "( ImageWell, Int32, Int32 ) as Boolean"));
}

}  // namespace prefs
