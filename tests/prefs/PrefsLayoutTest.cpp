// The preferences window as built: its frame, its 38 controls and their design-time values,
// and how the menu command opens it.
#include <gtest/gtest.h>

#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <map>
#include <set>

#include "PrefsTestSupport.h"
#include "framework/Testing.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/PropertyStream.h"
#include "framework/ui/WindowImpl.h"
#include "prefs/faceImage.h"
#include "prefs/nameCheck.h"

using prefstest::PrefsFixture;
using Kind = prefs::prefWindow::ControlDesign::Kind;

namespace {

std::vector<std::string> Names(const std::vector<fw::Property>& pairs) {
  std::vector<std::string> names;
  for (const auto& p : pairs) names.push_back(p.name);
  return names;
}

QWidget* WidgetOf(const fw::RectControl& control) { return fw::ImplForTesting(control).widget; }

template <class T>
T ValueOf(const std::vector<fw::Property>& pairs, const std::string& name) {
  for (const auto& p : pairs)
    if (p.name == name) return std::get<T>(p.value);
  ADD_FAILURE() << "no " << name;
  return T{};
}

}  // namespace

TEST(PrefsWindowStreams, FrameIs279BytesWithTheMainWindowsNames) {
  const auto& stream = prefs::prefWindow::LayoutStream();
  ASSERT_EQ(stream.size(), 279u);
  EXPECT_EQ(stream.substr(0, 14), std::string("Placement \0\0\0\1", 14));
  const auto pairs = fw::DecodePropertyStream(stream);
  EXPECT_EQ(Names(pairs), Names(fw::DecodePropertyStream(clockcore::mainWindow::LayoutStream())));
  EXPECT_EQ(ValueOf<fw::Colour>(pairs, "BackColor"), (fw::Colour{255, 255, 255}));
}

// Every control's stream carries exactly its class's pairs, in order.
TEST(PrefsWindowStreams, EachControlCarriesItsClassPairsInOrder) {
  const std::vector<std::string> head = {"Name",      "Index",      "Left",          "Top",
                                         "Width",     "Height",     "LockLeft",      "LockTop",
                                         "LockRight", "LockBottom", "TabPanelIndex", "TabIndex"};
  const std::vector<std::string> font = {"TextFont", "Bold", "Italic", "Underline"};
  const std::vector<std::string> data = {"DataSource", "DataField", "InitialParent"};
  auto join = [](std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const auto popup = join(
      {head,
       {"TabStop", "Enabled", "InitialValue", "ListIndex", "Visible", "HelpTag", "AutoDeactivate"},
       font,
       data});
  const auto label = join({head,
                           {"Text", "TextAlign", "TextColor", "Multiline", "Enabled", "Visible",
                            "Selectable", "Transparent", "HelpTag", "AutoDeactivate"},
                           font,
                           data});
  const auto plain =
      join({head, {"TabStop", "InitialParent", "Visible", "HelpTag", "AutoDeactivate", "Enabled"}});
  const auto check =
      join({head,
            {"TabStop", "Caption", "Enabled", "Visible", "HelpTag", "AutoDeactivate"},
            font,
            {"State", "Value"},
            data});
  const auto button = join({head,
                            {"TabStop", "Caption", "Default", "Cancel", "Enabled", "Visible",
                             "HelpTag", "AutoDeactivate", "ButtonStyle"},
                            font,
                            {"InitialParent"}});
  const std::map<Kind, std::vector<std::string>> expected = {
      {Kind::PopupMenu, popup},  {Kind::Label, label},    {Kind::Separator, plain},
      {Kind::Face, plain},       {Kind::CheckBox, check}, {Kind::NameCheck, check},
      {Kind::PushButton, button}};

  const auto& designs = prefs::prefWindow::ControlDesigns();
  ASSERT_EQ(designs.size(), 38u);
  std::set<int32_t> tabs;
  std::string defaults, cancels;
  for (const auto& d : designs) {
    const auto pairs = fw::DecodePropertyStream(d.stream);
    EXPECT_EQ(Names(pairs), expected.at(d.kind)) << d.name;
    EXPECT_EQ(ValueOf<fw::String>(pairs, "Name"), d.name);
    EXPECT_EQ(ValueOf<int32_t>(pairs, "Index"), d.index) << d.name;
    tabs.insert(ValueOf<int32_t>(pairs, "TabIndex"));
    if (d.kind == Kind::PushButton) {
      if (ValueOf<bool>(pairs, "Default")) defaults += d.name;
      if (ValueOf<bool>(pairs, "Cancel")) cancels += d.name;
    }
  }
  EXPECT_EQ(tabs.size(), 38u);
  EXPECT_EQ(tabs.count(5), 0u);
  EXPECT_EQ(*tabs.rbegin(), 38);
  EXPECT_EQ(defaults, "PushButton1");  // OK
  EXPECT_EQ(cancels, "PushButton2");   // キャンセル
  // A non-member's Index is the lowest Int32, right after its name.
  const auto& label1 = prefs::prefWindow::DesignOf("StaticText1").stream;
  EXPECT_EQ(label1.substr(label1.find("Index ") + 6, 4), std::string("\x80\0\0\0", 4));
  auto rows = [](const char* name) {
    return ValueOf<fw::String>(fw::DecodePropertyStream(prefs::prefWindow::DesignOf(name).stream),
                               "InitialValue");
  };
  EXPECT_EQ(rows("alarmVoicePopup"), "");
  EXPECT_EQ(rows("voiceMode").size(), 57u);
  EXPECT_EQ(rows("alarmHourPopup").size(), 74u);
  EXPECT_EQ(rows("alarmMinPopup").size(), 179u);
}

// The controls as the creation routines leave them, before Open fills anything.
TEST(PrefsWindowControls, DesignTimeStateBeforeOpen) {
  auto bare = fw::New<prefs::prefWindow>();
  bare->CreateControls();
  EXPECT_EQ(bare->ControlCount(), 38);
  EXPECT_EQ(bare->alarmVoicePopup()->ListCount(), 0);
  EXPECT_EQ(bare->voiceMode()->Text(), "セリフ+毎分");
  EXPECT_EQ(bare->alarmHourPopup()->Text(), "00");
  EXPECT_EQ(bare->alarmMinPopup()->Text(), "00");
  EXPECT_EQ(bare->PushButton3()->Caption(), "試聴");
  EXPECT_EQ(bare->alarmCheck()->Caption(), "アラーム");
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(bare->nameCheck(i)->Caption(), "");
    EXPECT_FALSE(bare->nameCheck(i)->Value());
    EXPECT_FALSE(bare->faceImage(i)->Image());
  }
}

class PrefsWindowBuild : public PrefsFixture {};

TEST_F(PrefsWindowBuild, FrameAndThirtyEightControlsByNameAndIndex) {
  auto w = OpenPrefs();
  EXPECT_EQ(w->Title(), "環境設定");
  EXPECT_EQ(w->Width(), 385);
  EXPECT_EQ(w->Height(), 706);
  EXPECT_FALSE(w->CloseButton() || w->Resizeable() || w->MenuBar());
  ASSERT_EQ(w->ControlCount(), 38);
  for (const char* name :
       {"alarmVoicePopup", "StaticText1", "StaticText2", "voiceMode", "alarmHourPopup",
        "alarmMinPopup", "StaticText4", "StaticText5", "StaticText6", "Separator1", "alarmCheck",
        "PushButton1", "PushButton2", "PushButton3"})
    EXPECT_TRUE(w->ControlByName(name)) << name;
  std::set<fw::Control*> members;
  for (int i = 0; i < 12; ++i) {
    auto face = w->faceImage(i);
    auto box = w->nameCheck(i);
    ASSERT_TRUE(face && box);
    EXPECT_EQ(face->Index(), i);
    EXPECT_EQ(box->Index(), i);
    EXPECT_EQ(face->FullClassName(), "prefWindow.faceImage");
    EXPECT_EQ(box->FullClassName(), "prefWindow.nameCheck");
    // Each box sits beside its face, centred on it.
    EXPECT_GT(box->Left(), face->Left() + face->Width());
    EXPECT_LT(box->Left(), face->Left() + face->Width() + 10);
    EXPECT_EQ(box->Top(), face->Top() + 26);
    EXPECT_EQ(box->TabIndex(), 21 + i);
    members.insert(face.get());
    members.insert(box.get());
  }
  EXPECT_EQ(members.size(), 24u);
  EXPECT_FALSE(w->faceImage(12));
  // Member 7 is created last and still found beside face 7.
  EXPECT_EQ(w->ControlAt(31).get(), w->nameCheck(7).get());
  EXPECT_EQ(w->nameCheck(7)->Left(), 275);
  EXPECT_EQ(w->nameCheck(7)->Top(), 265);
}

TEST_F(PrefsWindowBuild, TabOrderSkipsFive) {
  auto w = OpenPrefs();
  QWidget* hour = WidgetOf(*w->alarmHourPopup());
  EXPECT_EQ(hour->nextInFocusChain(), WidgetOf(*w->alarmMinPopup()));
  EXPECT_EQ(WidgetOf(*w->nameCheck(6))->nextInFocusChain(), WidgetOf(*w->nameCheck(7)));
  EXPECT_EQ(WidgetOf(*w->nameCheck(7))->nextInFocusChain(), WidgetOf(*w->nameCheck(8)));
}

TEST_F(PrefsWindowBuild, PopupRowsAndTextSizes) {
  auto w = OpenPrefs();
  auto hour = w->alarmHourPopup();
  ASSERT_EQ(hour->ListCount(), 25);
  EXPECT_EQ(hour->List(7), "07");
  EXPECT_EQ(hour->List(24), "24");
  auto minute = w->alarmMinPopup();
  ASSERT_EQ(minute->ListCount(), 60);
  EXPECT_EQ(minute->List(59), "59");
  auto mode = w->voiceMode();
  ASSERT_EQ(mode->ListCount(), 4);
  EXPECT_EQ(mode->List(1), "セリフ（10分おき）");
  EXPECT_EQ(mode->List(3), "なし");

  for (auto c :
       {fw::Ref<fw::RectControl>(w->StaticText1()), fw::Ref<fw::RectControl>(w->voiceMode()),
        fw::Ref<fw::RectControl>(w->nameCheck(7)), fw::Ref<fw::RectControl>(w->alarmCheck())})
    EXPECT_EQ(c->TextSize(), 12) << c->Name();
  for (auto c :
       {fw::Ref<fw::RectControl>(w->StaticText4()), fw::Ref<fw::RectControl>(w->StaticText5()),
        fw::Ref<fw::RectControl>(w->PushButton1()), fw::Ref<fw::RectControl>(w->PushButton3())})
    EXPECT_EQ(c->TextSize(), 0) << c->Name();
  EXPECT_EQ(w->PushButton2()->Caption(), "キャンセル");
  EXPECT_EQ(w->Separator1()->Width(), 363);
  EXPECT_EQ(w->StaticText6()->Text(), "声優");
}

// The constructors without an index make a member 0 on their own, faces connected.
TEST_F(PrefsWindowBuild, ConstructorsWithoutIndexBuildMemberZero) {
  auto w = OpenPrefs();
  auto face = w->NewControl<prefs::faceImage>();
  face->Constructor();
  auto box = w->NewControl<prefs::nameCheck>();
  box->Constructor();
  EXPECT_EQ(w->ControlCount(), 40);
  EXPECT_EQ(face->Index(), 0);
  EXPECT_EQ(face->Top(), 155);
  EXPECT_EQ(box->Left(), 99);
  EXPECT_EQ(box->TextSize(), 12);
  WritePicture("sign_kotoha.jpg", 8, 8, 0xff0000);
  EXPECT_FALSE(face->Click(1, 1));
  EXPECT_TRUE(window_->readPicture);
}

TEST_F(PrefsWindowBuild, ClosingForgetsTheWindowAndTheNextOpeningIsNew) {
  auto first = OpenPrefs();
  EXPECT_EQ(prefWindow().get(), first.get());
  EXPECT_EQ(fw::OpenWindowsForTesting().size(), 2u);
  first->PushButton3()->SetCaption("停止");
  first->alarmCheck()->SetValue(true);
  first->PushButton2()->Push();
  EXPECT_TRUE(first->IsClosed());
  EXPECT_FALSE(fw::GetImplicitWindow("prefWindow.prefWindow"));
  auto second = prefWindow();
  EXPECT_NE(second.get(), first.get());
  EXPECT_EQ(second->PushButton3()->Caption(), "試聴");
  EXPECT_FALSE(second->alarmCheck()->Value());
}

// The menu command shows the window modally and returns once it closes.
TEST_F(PrefsWindowBuild, MenuCommandShowsItModallyUntilCancel) {
  auto main = Start();
  main->largeMenu_Action();  // wider than the dialog: centred without meeting the screen's edge
  bool wasModal = false;
  const QWindow* owner = nullptr;
  QRect dialog;
  QTimer::singleShot(0, [&] {
    auto w = fw::CheckedCast<prefs::prefWindow>(fw::GetImplicitWindow("prefWindow.prefWindow"));
    wasModal = w && fw::WindowForTesting::ShowingModally(*w);
    if (!w) return;
    owner = fw::ImplForTesting(*w).top->windowHandle()->transientParent();
    dialog = fw::ImplForTesting(*w).top->frameGeometry();
    w->PushButton2()->Push();
  });
  EXPECT_TRUE(main->HandleMenuCommand("prefMenu"));
  EXPECT_TRUE(wasModal);
  // An owned dialog of the main window, centred on it as far as the screen allows.
  QWidget* mainTop = fw::ImplForTesting(*main).top;
  EXPECT_EQ(owner, mainTop->windowHandle());
  EXPECT_NEAR(dialog.center().x(), mainTop->frameGeometry().center().x(), 1);
  EXPECT_TRUE(mainTop->screen()->availableGeometry().contains(dialog));
  EXPECT_FALSE(fw::GetImplicitWindow("prefWindow.prefWindow"));
  EXPECT_TRUE(Messages().empty());
}
