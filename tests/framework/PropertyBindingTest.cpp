#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <set>
#include <string_view>
#include <type_traits>
#include <vector>

#include "framework/Testing.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/Controls.h"
#include "framework/ui/PropertyBinding.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowImpl.h"

namespace {

// The names one SetProperty call hands to a setter: the bases' bindings, then the class's own,
// walked as BindsProperties walks them.
template <class C>
void AddBoundNames(std::vector<std::string_view>& names) {
  if constexpr (!std::is_same_v<typename C::PropertyBase, fw::PropertyTarget>)
    AddBoundNames<typename C::PropertyBase>(names);
  for (const auto& binding : C::PropertyBindings()) names.push_back(binding.Name());
}

template <class C>
std::vector<std::string_view> BoundNames() {
  std::vector<std::string_view> names;
  AddBoundNames<C>(names);
  return names;
}

// The names no class sets anything from: a stream's value only passes through. By the
// classes that carry them in their layouts:
constexpr std::string_view kKeptOnly[] = {
    // Window
    "Placement",
    "Composite",
    "HasBackColor",
    "BackColor",
    "FullScreen",
    "MenuBarVisible",
    "LiveResize",
    "MacProcID",
    // RectControl
    "LockLeft",
    "LockTop",
    "LockRight",
    "LockBottom",
    "TabPanelIndex",
    "AutoDeactivate",
    "DataSource",
    "DataField",
    "InitialParent",
    // Label, CheckBox, PushButton
    "Multiline",
    "Selectable",
    "Transparent",
    "State",
    "ButtonStyle",
};

TEST(PropertyBindings, EveryStreamNameIsBoundOrKeptOnlyAndNoClassBindsOneTwice) {
  const std::vector<std::pair<const char*, std::vector<std::string_view>>> classes = {
      {"Window", BoundNames<fw::Window>()},       {"Timer", BoundNames<fw::Timer>()},
      {"Label", BoundNames<fw::Label>()},         {"PopupMenu", BoundNames<fw::PopupMenu>()},
      {"CheckBox", BoundNames<fw::CheckBox>()},   {"PushButton", BoundNames<fw::PushButton>()},
      {"ImageWell", BoundNames<fw::ImageWell>()}, {"Separator", BoundNames<fw::Separator>()},
  };
  std::set<std::string_view> bound;
  for (const auto& [cls, names] : classes) {
    for (const auto name : names)
      EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << cls << " binds " << name;
    bound.insert(names.begin(), names.end());
  }
  // Every control takes Name and Index through its bases.
  for (const auto& [cls, names] : classes) {
    if (std::string_view(cls) == "Window") continue;
    for (const auto name : {"Name", "Index"})
      EXPECT_TRUE(std::count(names.begin(), names.end(), name)) << cls << " misses " << name;
  }
  const std::set<std::string_view> keptOnly(std::begin(kKeptOnly), std::end(kKeptOnly));
  for (const auto& property : fw::kPropertyNames)
    EXPECT_NE(bound.count(property.name), keptOnly.count(property.name))
        << property.name << " must be bound by some class or kept only, not both";
  for (const auto name : keptOnly) EXPECT_TRUE(fw::KindOfProperty(name)) << name;
}

TEST(PropertyBindings, AValueOfAnotherKindSetsNothing) {
  auto window = fw::New<fw::Window>();
  window->SetProperty(fw::Property{"Width", fw::String("wide")});
  EXPECT_EQ(window->Width(), 100);
  window->SetProperty(fw::Property{"Width", int32_t{300}});
  EXPECT_EQ(window->Width(), 300);
}

// Properties set on a window or control, in this order, and whether its widget shows them.
struct Shown {
  std::vector<fw::Property> set;
  std::function<bool(const QWidget&)> shows;
};

void Set(fw::PropertyTarget& target, const std::vector<fw::Property>& properties) {
  fw::PropertyStreamWriter stream;
  for (const auto& p : properties) stream.Add(p);
  fw::SetProperties(target, stream.Bytes());
}

QWidget& WidgetOf(const fw::RectControl& control) { return *fw::ImplForTesting(control).widget; }

template <class W>
const W& As(const QWidget& widget) {
  return static_cast<const W&>(widget);
}

TEST(PropertyBindings, AWidgetShowsEveryValueSetBeforeOrAfterItIsMade) {
  using fw::Property;
  using fw::String;
  const std::vector<Shown> everyControl = {
      {{{"Left", int32_t{7}}}, [](const QWidget& w) { return w.x() == 7; }},
      {{{"Top", int32_t{9}}}, [](const QWidget& w) { return w.y() == 9; }},
      {{{"Width", int32_t{55}}}, [](const QWidget& w) { return w.width() == 55; }},
      {{{"Height", int32_t{21}}}, [](const QWidget& w) { return w.height() == 21; }},
      {{{"Enabled", false}}, [](const QWidget& w) { return !w.isEnabled(); }},
      {{{"Visible", false}}, [](const QWidget& w) { return w.isHidden(); }},
      {{{"TabStop", false}}, [](const QWidget& w) { return w.focusPolicy() == Qt::NoFocus; }},
      {{{"HelpTag", String("tip")}}, [](const QWidget& w) { return w.toolTip() == "tip"; }},
      {{{"TextFont", String("Serif")}},
       [](const QWidget& w) { return w.font().family() == "Serif"; }},
      {{{"Bold", true}}, [](const QWidget& w) { return w.font().bold(); }},
      {{{"Italic", true}}, [](const QWidget& w) { return w.font().italic(); }},
      {{{"Underline", true}}, [](const QWidget& w) { return w.font().underline(); }},
  };
  struct Kind {
    const char* name;
    fw::Ref<fw::RectControl> (*make)();
    std::vector<Shown> own;
  };
  const Kind kinds[] = {
      {"Label",
       [] { return fw::Ref<fw::RectControl>(fw::New<fw::Label>()); },
       {{{{"Text", String("Ten")}}, [](const QWidget& w) { return As<QLabel>(w).text() == "Ten"; }},
        {{{"TextAlign", int32_t{3}}},
         [](const QWidget& w) { return (As<QLabel>(w).alignment() & Qt::AlignRight) != 0; }},
        {{{"TextColor", fw::Colour{1, 2, 3}}},
         [](const QWidget& w) {
           return w.palette().color(QPalette::WindowText) == QColor(1, 2, 3);
         }}}},
      {"PopupMenu",
       [] { return fw::Ref<fw::RectControl>(fw::New<fw::PopupMenu>()); },
       {{{{"InitialValue", String("a\rb")}, {"ListIndex", int32_t{1}}},
         [](const QWidget& w) {
           const auto& combo = As<QComboBox>(w);
           return combo.count() == 2 && combo.currentIndex() == 1;
         }}}},
      {"CheckBox",
       [] { return fw::Ref<fw::RectControl>(fw::New<fw::CheckBox>()); },
       {{{{"Caption", String("On")}},
         [](const QWidget& w) { return As<QCheckBox>(w).text() == "On"; }},
        {{{"Value", true}}, [](const QWidget& w) { return As<QCheckBox>(w).isChecked(); }}}},
      {"PushButton",
       [] { return fw::Ref<fw::RectControl>(fw::New<fw::PushButton>()); },
       {{{{"Caption", String("Go")}},
         [](const QWidget& w) { return As<QPushButton>(w).text() == "Go"; }},
        {{{"Default", true}}, [](const QWidget& w) { return As<QPushButton>(w).isDefault(); }}}},
      {"ImageWell", [] { return fw::Ref<fw::RectControl>(fw::New<fw::ImageWell>()); }, {}},
      {"Separator", [] { return fw::Ref<fw::RectControl>(fw::New<fw::Separator>()); }, {}},
  };

  auto window = fw::New<fw::Window>();
  window->Constructor();
  for (const auto& kind : kinds) {
    std::vector<Shown> cases = everyControl;
    cases.insert(cases.end(), kind.own.begin(), kind.own.end());
    for (const auto& shown : cases) {
      for (const bool before : {true, false}) {
        auto control = kind.make();
        if (before) {
          Set(*control, shown.set);
          window->AddControl("control", control);
        } else {
          window->AddControl("control", control);
          Set(*control, shown.set);
        }
        EXPECT_TRUE(shown.shows(WidgetOf(*control)))
            << kind.name << "." << shown.set.back().name << " set " << (before ? "before" : "after")
            << " the widget is made";
      }
    }
    // Tab stops again: the widget takes the focus it was made to take.
    auto untouched = kind.make();
    window->AddControl("untouched", untouched);
    auto control = kind.make();
    window->AddControl("control", control);
    Set(*control, {{"TabStop", false}, {"TabStop", true}});
    EXPECT_EQ(WidgetOf(*control).focusPolicy(), WidgetOf(*untouched).focusPolicy()) << kind.name;
  }
  window->Close();

  const std::vector<Shown> windowCases = {
      {{{"Title", String("Tea")}}, [](const QWidget& w) { return w.windowTitle() == "Tea"; }},
      {{{"Frame", int32_t{1}}}, [](const QWidget& w) { return w.windowType() == Qt::Dialog; }},
      {{{"CloseButton", false}},
       [](const QWidget& w) { return !(w.windowFlags() & Qt::WindowCloseButtonHint); }},
      {{{"MinimizeButton", true}},
       [](const QWidget& w) { return bool(w.windowFlags() & Qt::WindowMinimizeButtonHint); }},
      {{{"MaximizeButton", true}},
       [](const QWidget& w) { return bool(w.windowFlags() & Qt::WindowMaximizeButtonHint); }},
  };
  for (const auto& shown : windowCases) {
    for (const bool before : {true, false}) {
      auto w = fw::New<fw::Window>();
      if (before) Set(*w, shown.set);
      w->Constructor();
      if (!before) Set(*w, shown.set);
      EXPECT_TRUE(shown.shows(*fw::ImplForTesting(*w).top))
          << "Window." << shown.set.back().name << " set " << (before ? "before" : "after")
          << " the widget is made";
      w->Close();
    }
  }
}

}  // namespace
