#include "framework/ui/Control.h"

#include <QFont>
#include <QWidget>

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

RectControl::~RectControl() = default;  // the widget belongs to the window's content area

void RectControl::CreateWidget(QWidget* parent) {
  if (widget_ || !parent) return;
  widget_ = MakeWidget(parent);
  ApplyGeometry();
  ApplyFont();
  widget_->setVisible(visible_);
}

void RectControl::ApplyGeometry() {
  if (widget_) widget_->setGeometry(left_, top_, std::max(width_, 0), std::max(height_, 0));
}

void RectControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (widget_) widget_->setEnabled(enabled);
}

void RectControl::SetVisible(bool visible) {
  visible_ = visible;
  if (widget_) widget_->setVisible(visible);
}

void RectControl::SetTextSize(double size) {
  textSize_ = size;
  ApplyFont();
}

void RectControl::ApplyFont() {
  if (!widget_) return;
  QFont font = widget_->font();
  if (!textFont_.empty()) font.setFamily(QString::fromStdString(textFont_));
  // Sizes are in window units, like the positions: one unit, one pixel.
  font.setPixelSize(textSize_ > 0 ? static_cast<int>(textSize_ + 0.5) : 13);
  font.setBold(bold_);
  font.setItalic(italic_);
  font.setUnderline(underline_);
  widget_->setFont(font);
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
      {"TabStop",
       [](RectControl& c, bool v) {
         if (c.widget_ && !v) c.widget_->setFocusPolicy(Qt::NoFocus);
       }},
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
      {"HelpTag",
       [](RectControl& c, const String& v) {
         if (c.widget_) c.widget_->setToolTip(QString::fromStdString(v));
       }},
  };
  return kBindings;
}

}  // namespace fw
