#pragma once
// Reference-counted objects: every framework and system object lives behind a Ref.
// A nil Ref is "no object"; touching it raises NilObjectException instead of crashing.
#include <memory>
#include <string>
#include <utility>

#include "framework/core/Exceptions.h"

namespace fw {

class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;
  // Full class name as registered in the class registry, e.g. "mainWindow.mainWindow".
  virtual std::string FullClassName() const { return "Object"; }
};

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  Ref(std::shared_ptr<T> p) : p_(std::move(p)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& other) : p_(other.shared()) {}

  T* operator->() const {
    if (!p_) throw NilObjectException();
    return p_.get();
  }
  T& operator*() const {
    if (!p_) throw NilObjectException();
    return *p_;
  }
  explicit operator bool() const { return static_cast<bool>(p_); }
  bool IsNil() const { return !p_; }
  T* get() const { return p_.get(); }
  const std::shared_ptr<T>& shared() const { return p_; }
  void reset() { p_.reset(); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) { return !a.p_; }

 private:
  std::shared_ptr<T> p_;
};

// A new object of class T (the runtime's "new object").
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  return Ref<T>(std::make_shared<T>(std::forward<Args>(args)...));
}

// The Ref that owns `self` (an object always lives in a Ref).
template <class T>
Ref<T> RefTo(T* self) {
  if (!self) return nullptr;
  return Ref<T>(std::static_pointer_cast<T>(
      std::const_pointer_cast<Object>(static_cast<const Object*>(self)->shared_from_this())));
}

// Checked cast: nil stays nil; an object of another class raises IllegalCastException.
template <class T, class U>
Ref<T> CheckedCast(const Ref<U>& from) {
  if (!from) return nullptr;
  auto to = std::dynamic_pointer_cast<T>(from.shared());
  if (!to) throw IllegalCastException(from->FullClassName());
  return Ref<T>(std::move(to));
}

}  // namespace fw
