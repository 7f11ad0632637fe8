#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>
#include <type_traits>
#include <vector>

#include "framework/ui/Controls.h"
#include "framework/ui/PropertyBinding.h"
#include "framework/ui/Timer.h"
#include "framework/ui/Window.h"

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

}  // namespace
