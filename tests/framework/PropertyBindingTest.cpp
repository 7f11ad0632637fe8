#include "framework/PropertyBinding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "framework/Controls.h"
#include "framework/Timer.h"
#include "framework/Window.h"

namespace {

// The names one SetProperty call can reach: the class's own bindings and its bases'.
template <class... Classes>
std::vector<std::string_view> BoundNames() {
  std::vector<std::string_view> names;
  auto add = [&](auto bindings) {
    for (const auto& binding : bindings) names.push_back(binding.Name());
  };
  (add(Classes::PropertyBindings()), ...);
  return names;
}

TEST(PropertyBindings, EveryStreamNameIsBoundAndNoClassBindsOneTwice) {
  const std::vector<std::pair<const char*, std::vector<std::string_view>>> classes = {
      {"Window", BoundNames<fw::Window>()},
      {"Timer", BoundNames<fw::Control, fw::Timer>()},
      {"Label", BoundNames<fw::Control, fw::RectControl, fw::Label>()},
      {"PopupMenu", BoundNames<fw::Control, fw::RectControl, fw::PopupMenu>()},
      {"CheckBox", BoundNames<fw::Control, fw::RectControl, fw::CheckBox>()},
      {"PushButton", BoundNames<fw::Control, fw::RectControl, fw::PushButton>()},
  };
  std::set<std::string_view> bound;
  for (const auto& [cls, names] : classes) {
    for (const auto name : names)
      EXPECT_EQ(std::count(names.begin(), names.end(), name), 1) << cls << " binds " << name;
    bound.insert(names.begin(), names.end());
  }
  for (const auto& property : fw::kPropertyNames)
    EXPECT_TRUE(bound.count(property.name)) << property.name << " is bound by no class";
}

TEST(PropertyBindings, AValueOfAnotherKindIsStoredButSetsNothing) {
  auto window = fw::New<fw::Window>();
  window->SetProperty(fw::Property{"Width", fw::String("wide")});
  EXPECT_EQ(window->Width(), 100);
  EXPECT_EQ(window->StoredProperty("Width"), fw::PropertyValue(fw::String("wide")));
}

}  // namespace
