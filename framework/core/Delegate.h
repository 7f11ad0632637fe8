#pragma once
// Delegates and events. An event connection calls a method of a window with the control
// that fired. The connection holds the window weakly: once the window is gone a firing
// raises NilObjectException instead of calling anything. Every delegate carries the
// signature text of its method, checked against the event's own when it is connected.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Object.h"

namespace fw {

template <class Sig>
class Delegate;

template <class R, class... Args>
class Delegate<R(Args...)> {
 public:
  Delegate() = default;
  Delegate(std::function<R(Args...)> fn, std::string signature)
      : fn_(std::move(fn)), signature_(std::move(signature)) {}

  // A method of `target` held weakly.
  template <class W, class M>
  static Delegate Weak(const Ref<W>& target, M method, std::string signature) {
    std::weak_ptr<W> weak = target.shared();
    return Delegate(
        [weak, method](Args... args) -> R {
          auto strong = weak.lock();
          if (!strong) throw NilObjectException("the handler's window no longer exists");
          return ((*strong).*method)(std::forward<Args>(args)...);
        },
        std::move(signature));
  }

  R operator()(Args... args) const {
    if (!fn_) throw NilObjectException("empty delegate");
    return fn_(std::forward<Args>(args)...);
  }
  explicit operator bool() const { return static_cast<bool>(fn_); }
  const std::string& Signature() const { return signature_; }

 private:
  std::function<R(Args...)> fn_;
  std::string signature_;
};

// An event of a control: handlers are connected with a delegate whose signature text must
// equal the event's.
template <class Sig>
class Event;

template <class R, class... Args>
class Event<R(Args...)> {
 public:
  explicit Event(std::string signature) : signature_(std::move(signature)) {}

  void AddHandler(Delegate<R(Args...)> handler) {
    if (handler.Signature() != signature_)
      throw RuntimeException("handler signature \"" + handler.Signature() +
                             "\" does not match event signature \"" + signature_ + "\"");
    handlers_.push_back(std::move(handler));
  }
  const std::string& Signature() const { return signature_; }

  // Calls every handler in order; returns the last handler's result (R() when none).
  R Raise(Args... args) const {
    if constexpr (std::is_void_v<R>) {
      for (const auto& h : handlers_) h(args...);
    } else {
      R result{};
      for (const auto& h : handlers_) result = h(args...);
      return result;
    }
  }

 private:
  std::string signature_;
  std::vector<Delegate<R(Args...)>> handlers_;
};

}  // namespace fw
