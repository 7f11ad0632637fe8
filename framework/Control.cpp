#include "Control.h"

#include <QFont>
#include <QWidget>

#include "Window.h"

namespace fw {

Ref<fw::Window> Control::Window() const { return Ref<fw::Window>(window_.lock()); }

void Control::SetWindow(const Ref<fw::Window>& window) { window_ = window.shared(); }

void Control::SetProperty(const Property& p) {
  Store(p);
  if (p.name == "Name") {
    if (auto* s = std::get_if<String>(&p.value)) name_ = *s;
  } else if (p.name == "Index") {
    if (auto* i = std::get_if<int32_t>(&p.value)) index_ = *i;
  }
}

RectControl::~RectControl() = default;  // the widget belongs to the window's content area

void RectControl::CreateWidget(QWidget* parent) {
  if (widget_ || !parent) return;
  widget_ = MakeWidget(parent);
  ApplyGeometry();
  ApplyFont();
  widget_->setVisible(visible_);
}

void RectControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  ApplyGeometry();
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

void RectControl::SetProperty(const Property& p) {
  Control::SetProperty(p);
  const auto* i = std::get_if<int32_t>(&p.value);
  const auto* b = std::get_if<bool>(&p.value);
  const auto* s = std::get_if<String>(&p.value);
  if (p.name == "Left" && i) { left_ = *i; ApplyGeometry(); }
  else if (p.name == "Top" && i) { top_ = *i; ApplyGeometry(); }
  else if (p.name == "Width" && i) { width_ = *i; ApplyGeometry(); }
  else if (p.name == "Height" && i) { height_ = *i; ApplyGeometry(); }
  else if (p.name == "Enabled" && b) SetEnabled(*b);
  else if (p.name == "Visible" && b) SetVisible(*b);
  else if (p.name == "TabIndex" && i) tabIndex_ = *i;
  else if (p.name == "TabStop" && b) {
    tabStop_ = *b;
    if (widget_ && !tabStop_) widget_->setFocusPolicy(Qt::NoFocus);
  } else if (p.name == "TextFont" && s) { textFont_ = *s; ApplyFont(); }
  else if (p.name == "Bold" && b) { bold_ = *b; ApplyFont(); }
  else if (p.name == "Italic" && b) { italic_ = *b; ApplyFont(); }
  else if (p.name == "Underline" && b) { underline_ = *b; ApplyFont(); }
  else if (p.name == "HelpTag" && s) {
    if (widget_) widget_->setToolTip(QString::fromStdString(*s));
  }
}

}  // namespace fw
