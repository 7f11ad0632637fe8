#include "framework/core/ClassRegistry.h"

#include <utility>

#include "framework/core/Testing.h"

namespace fw {

ClassRegistry& ClassRegistry::Shared() {
  static ClassRegistry registry;
  return registry;
}

void ClassRegistry::Register(ClassRecord record) {
  if (Find(record.fullName)) return;
  records_.push_back(std::move(record));
}

const ClassRecord* ClassRegistry::Find(const std::string& fullName) const {
  for (const auto& r : records_)
    if (r.fullName == fullName) return &r;
  return nullptr;
}

const std::vector<ClassRecord>& ClassRegistryForTesting::Records() {
  return ClassRegistry::Shared().records_;
}

bool ClassRegistryForTesting::IsA(const std::string& fullName, const std::string& baseName) {
  const ClassRegistry& registry = ClassRegistry::Shared();
  std::string current = fullName;
  // Each step moves one base up; more steps than records means the bases loop.
  for (size_t steps = 0; steps <= registry.records_.size(); ++steps) {
    if (current == baseName) return true;
    const ClassRecord* record = registry.Find(current);
    if (!record || record->baseName.empty()) return false;
    current = record->baseName;
  }
  return false;
}

void ClassRegistry::Clear() { records_.clear(); }

void RegisterFrameworkClasses() {
  static const std::pair<const char*, const char*> kClasses[] = {
      {"Object", ""},
      {"Window", "Object"},
      {"_WindowSupport", "Object"},  // the window bookkeeping, set up right after Window
      {"Control", "Object"},
      {"RectControl", "Control"},
      {"Timer", "Control"},
      {"Label", "RectControl"},
      {"PopupMenu", "RectControl"},
      {"CheckBox", "RectControl"},
      {"PushButton", "RectControl"},
      {"ImageWell", "RectControl"},
      {"Separator", "RectControl"},
      {"MenuItem", "Object"},
      {"MenuBar", "MenuItem"},
      {"PrefsMenuItem", "MenuItem"},
      {"QuitMenuItem", "MenuItem"},
      {"Application", "Object"},
      {"Picture", "Object"},
      {"Graphics", "Object"},
      {"Sound", "Object"},
      {"FolderItem", "Object"},
      {"TextInputStream", "Object"},
      {"TextOutputStream", "Object"},
      {"Date", "Object"},
      {"RuntimeException", "Object"},
      {"NilObjectException", "RuntimeException"},
      {"OutOfBoundsException", "RuntimeException"},
      {"IOException", "RuntimeException"},
      {"IllegalCastException", "RuntimeException"},
      {"PropertyStreamException", "RuntimeException"},
  };
  auto& registry = ClassRegistry::Shared();
  for (const auto& [name, base] : kClasses) registry.Register(ClassRecord{name, base, {}});
}

}  // namespace fw
