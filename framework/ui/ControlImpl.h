#pragma once
// Inside of a RectControl: the Qt widget behind it. Framework-only.
#include <QPointer>
#include <QWidget>
#include <utility>

#include "framework/ui/Control.h"

struct fw::RectControl::Impl {
  // The window's content area, which owns the widget; set when the window adopts the control.
  QWidget* parent = nullptr;
  QPointer<QWidget> widget;
  // The focus the widget was made to take, which TabStop turns off and back on.
  Qt::FocusPolicy madeFocus = Qt::NoFocus;

  // Makes the control's widget on `content` and gives it every property the control holds.
  void Create(RectControl& control, QWidget* content);
  // A subclass's widget, made on the content area by MakeWidget: W's constructor takes `args`
  // and then its parent.
  template <class W, class... Args>
  W* Make(Args&&... args) {
    auto* made = new W(std::forward<Args>(args)..., parent);
    widget = made;
    return made;
  }
  // The widget as the subclass made it; null before it is made.
  template <class W>
  W* As() const {
    return static_cast<W*>(widget.data());
  }
};

template <>
struct fw::detail::ImplAccess<fw::RectControl::Impl> {
  static fw::RectControl::Impl& Of(const fw::RectControl& control) { return *control.impl_; }
};
