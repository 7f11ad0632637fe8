#include "framework/ui/MenuItem.h"

#include "framework/core/EventLoop.h"

namespace fw {

void MenuItem::Append(const Ref<MenuItem>& item) {
  if (!item) throw NilObjectException("appending no menu item");
  children_.push_back(item);
}

Ref<MenuItem> MenuItem::Item(int32_t index) const {
  if (index < 0 || index >= Count()) throw OutOfBoundsException("menu item index");
  return children_[static_cast<size_t>(index)];
}

Ref<MenuItem> MenuItem::Child(const String& name) const {
  for (const auto& c : children_)
    if (c->Name() == name) return c;
  return nullptr;
}

Ref<MenuItem> MenuItem::Lookup(const String& name) const {
  for (const auto& c : children_) {
    if (c->Name() == name) return c;
    if (auto found = c->Lookup(name)) return found;
  }
  return nullptr;
}

bool QuitMenuItem::Action() {
  Quit(0);
  return true;
}

}  // namespace fw
