#pragma once
// Controls: registered with their window by name, or by name and Index for a member of a
// control array. A control reaches its window weakly: the window owns its controls.
#include <cstdint>
#include <limits>
#include <memory>

#include "framework/core/ImplAccess.h"
#include "framework/core/Object.h"
#include "framework/core/Strings.h"
#include "framework/ui/PropertyBinding.h"

namespace fw {

class Window;

inline constexpr int32_t kNoIndex = std::numeric_limits<int32_t>::min();

class Control : public Object, public BindsProperties<Control, PropertyTarget> {
 public:
  std::string FullClassName() const override { return "Control"; }
  Ref<fw::Window> Window() const;
  void SetWindow(const Ref<fw::Window>& window);
  const String& Name() const { return name_; }
  void SetName(const String& name) { name_ = name; }
  int32_t Index() const { return index_; }
  void SetIndex(int32_t index) { index_ = index; }
  // The stream properties every control takes; a subclass adds its own to these.
  static std::span<const PropertyBinding<Control>> PropertyBindings();

  // The window finished building (creation handlers done).
  virtual void WindowOpened() {}
  // The window is on screen: its first picture has been painted.
  virtual void WindowShown() {}
  // The window closes: the control stops everything it runs.
  virtual void WindowClosing() {}

 private:
  std::weak_ptr<fw::Window> window_;
  String name_;
  int32_t index_ = kNoIndex;
};

// A control with a rectangle on the window's content area, in window units from its top left.
// Its widget is made when its window adopts it; every property set before then is kept and
// the widget takes it when made.
class RectControl : public BindsProperties<RectControl, Control> {
 public:
  RectControl();
  ~RectControl() override;
  std::string FullClassName() const override { return "RectControl"; }
  void Constructor() {}

  int32_t Left() const { return left_; }
  int32_t Top() const { return top_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int32_t TabIndex() const { return tabIndex_; }
  // Whether Tab stops at the control; turned back on, the widget takes the focus it was made
  // to take.
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool on);
  const String& HelpTag() const { return helpTag_; }
  void SetHelpTag(const String& tag);

  // Text look, for the controls that show text.
  double TextSize() const { return textSize_; }  // 0: the framework's default size
  void SetTextSize(double size);
  // Text sizes are in window units, like positions, whatever unit a design names.
  void SetTextUnit(uint8_t /*unit*/) {}
  const String& TextFont() const { return textFont_; }

  static std::span<const PropertyBinding<RectControl>> PropertyBindings();

  // The widget behind the control (ControlImpl.h).
  struct Impl;

 protected:
  // Subclasses make their widget through Impl::Make, showing what they hold;
  // RectControl places and styles it.
  virtual void MakeWidget(Impl& impl) = 0;

 private:
  friend struct detail::ImplAccess<Impl>;
  void ApplyFont();
  void ApplyGeometry();

  std::unique_ptr<Impl> impl_;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool enabled_ = true, visible_ = true, tabStop_ = true;
  int32_t tabIndex_ = 0;
  String helpTag_;
  double textSize_ = 0;
  String textFont_;
  bool bold_ = false, italic_ = false, underline_ = false;
};

}  // namespace fw
