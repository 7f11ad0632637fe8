#include "framework/ui/Control.h"

#include <QFont>

#include "framework/ui/ControlImpl.h"

namespace fw {

Ref<fw::Window> Control::Window() const { return Ref<fw::Window>(window_.lock()); }

void Control::SetWindow(const Ref<fw::Window>& window) { window_ = window.shared(); }

std::span<const PropertyBinding<Control>> Control::PropertyBindings() {
  static constexpr PropertyBinding<Control> kBindings[] = {
      {"Name", [](Control& c, const String& v) { c.SetName(v); }},
      {"Index", [](Control& c, int32_t v) { c.SetIndex(v); }},
  };
  return kBindings;
}

RectControl::RectControl() : impl_(std::make_unique<Impl>()) {}

RectControl::~RectControl() = default;  // the widget belongs to the window's content area

void RectControl::Impl::Create(RectControl& control, QWidget* content) {
  if (widget || !content) return;
  parent = content;
  control.MakeWidget(*this);
  if (!widget) return;
  madeFocus = widget->focusPolicy();
  control.ApplyGeometry();
  control.ApplyFont();
  widget->setEnabled(control.enabled_);
  if (!control.tabStop_) widget->setFocusPolicy(Qt::NoFocus);
  if (!control.helpTag_.empty()) widget->setToolTip(QString::fromStdString(control.helpTag_));
  widget->setVisible(control.visible_);
}

void RectControl::ApplyGeometry() {
  if (QWidget* widget = impl_->widget)
    widget->setGeometry(left_, top_, std::max(width_, 0), std::max(height_, 0));
}

void RectControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (QWidget* widget = impl_->widget) widget->setEnabled(enabled);
}

void RectControl::SetVisible(bool visible) {
  visible_ = visible;
  if (QWidget* widget = impl_->widget) widget->setVisible(visible);
}

void RectControl::SetTabStop(bool on) {
  tabStop_ = on;
  if (QWidget* widget = impl_->widget) widget->setFocusPolicy(on ? impl_->madeFocus : Qt::NoFocus);
}

void RectControl::SetHelpTag(const String& tag) {
  helpTag_ = tag;
  if (QWidget* widget = impl_->widget) widget->setToolTip(QString::fromStdString(tag));
}

void RectControl::SetTextSize(double size) {
  textSize_ = size;
  ApplyFont();
}

void RectControl::ApplyFont() {
  QWidget* widget = impl_->widget;
  if (!widget) return;
  QFont font = widget->font();
  if (!textFont_.empty()) font.setFamily(QString::fromStdString(textFont_));
  // Sizes are in window units, like the positions: one unit, one pixel.
  font.setPixelSize(textSize_ > 0 ? static_cast<int>(textSize_ + 0.5) : 13);
  font.setBold(bold_);
  font.setItalic(italic_);
  font.setUnderline(underline_);
  widget->setFont(font);
}

std::span<const PropertyBinding<RectControl>> RectControl::PropertyBindings() {
  static constexpr PropertyBinding<RectControl> kBindings[] = {
      {"Left",
       [](RectControl& c, int32_t v) {
         c.left_ = v;
         c.ApplyGeometry();
       }},
      {"Top",
       [](RectControl& c, int32_t v) {
         c.top_ = v;
         c.ApplyGeometry();
       }},
      {"Width",
       [](RectControl& c, int32_t v) {
         c.width_ = v;
         c.ApplyGeometry();
       }},
      {"Height",
       [](RectControl& c, int32_t v) {
         c.height_ = v;
         c.ApplyGeometry();
       }},
      {"Enabled", [](RectControl& c, bool v) { c.SetEnabled(v); }},
      {"Visible", [](RectControl& c, bool v) { c.SetVisible(v); }},
      {"TabIndex", [](RectControl& c, int32_t v) { c.tabIndex_ = v; }},
      {"TabStop", [](RectControl& c, bool v) { c.SetTabStop(v); }},
      {"TextFont",
       [](RectControl& c, const String& v) {
         c.textFont_ = v;
         c.ApplyFont();
       }},
      {"Bold",
       [](RectControl& c, bool v) {
         c.bold_ = v;
         c.ApplyFont();
       }},
      {"Italic",
       [](RectControl& c, bool v) {
         c.italic_ = v;
         c.ApplyFont();
       }},
      {"Underline",
       [](RectControl& c, bool v) {
         c.underline_ = v;
         c.ApplyFont();
       }},
      {"HelpTag", [](RectControl& c, const String& v) { c.SetHelpTag(v); }},
  };
  return kBindings;
}

}  // namespace fw
