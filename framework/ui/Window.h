#pragma once
// Top-level windows. A window class has one shared instance, registered under the class's
// full name from the start of its building and dropped when the window closes.
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "framework/core/Delegate.h"
#include "framework/core/ImplAccess.h"
#include "framework/core/Object.h"
#include "framework/core/Strings.h"
#include "framework/media/Picture.h"
#include "framework/ui/Control.h"
#include "framework/ui/MenuItem.h"
#include "framework/ui/PropertyBinding.h"

namespace fw {

// The kinds of frame a window's "Frame" property names; any other value frames a document
// window.
enum class WindowFrame : int32_t { kDocument = 0, kModalDialog = 1 };

class Window : public Object, public BindsProperties<Window, PropertyTarget> {
 public:
  Window();
  ~Window() override;
  std::string FullClassName() const override { return "Window"; }

  // Builds the window: registers it as its class's shared instance, then raises Layout,
  // CreateControls, AddMenuHandlers and Open, once each and in this order, before anything
  // else reaches the window.
  void Constructor();

  // Creation and window events. A subclass handles an event by overriding it.
  virtual void Layout() {}
  virtual void CreateControls() {}
  virtual void AddMenuHandlers(Ref<Window> /*window*/) {}
  virtual void Event_Open() {}
  virtual void Event_Close() {}
  virtual bool Event_MouseDown(int32_t /*x*/, int32_t /*y*/) { return false; }
  virtual void Event_Resized() {}

  // Properties. Width and Height are the content area (below the menu bar).
  const String& Title() const { return title_; }
  void SetTitle(const String& title);
  int32_t Width() const { return width_; }
  void SetWidth(int32_t width);
  int32_t Height() const { return height_; }
  void SetHeight(int32_t height);
  int32_t MinWidth() const { return minWidth_; }
  void SetMinWidth(int32_t v);
  int32_t MinHeight() const { return minHeight_; }
  void SetMinHeight(int32_t v);
  int32_t MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int32_t v);
  int32_t MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int32_t v);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool CloseButton() const { return closeButton_; }
  bool Resizeable() const { return resizeable_; }
  Ref<fw::MenuBar> MenuBar() const { return menuBar_; }
  void SetMenuBar(const Ref<fw::MenuBar>& bar);
  Ref<Picture> Backdrop() const { return backdrop_; }
  void SetBackdrop(const Ref<Picture>& picture);
  // The stream properties a window takes; any other name is ignored.
  static std::span<const PropertyBinding<Window>> PropertyBindings();

  // Closes the window: raises Close, closes its controls, takes it out of the window list
  // and the shared-window list, and ends a modal showing.
  void Close();
  bool IsClosed() const { return closed_; }
  // Shows the window modally; returns when it closes. Other windows' timers keep running.
  void ShowModal();

  // Controls. NewControl makes a control object belonging to this window ("__New").
  template <class T, class... Args>
  Ref<T> NewControl(Args&&... args) {
    auto control = New<T>(std::forward<Args>(args)...);
    AdoptControl(control);
    return control;
  }
  void AddControl(const String& name, const Ref<Control>& control);
  Ref<Control> ControlByName(const String& name) const;  // not an array member
  Ref<Control> ControlByNameIndex(const String& name, int32_t index) const;
  int32_t ControlCount() const { return static_cast<int32_t>(controls_.size()); }
  Ref<Control> ControlAt(int32_t i) const { return controls_.at(static_cast<size_t>(i)); }

  // Menu handlers: item name to handler, offered the command when the user chooses the item.
  void AddMenuHandler(const String& itemName, Delegate<bool()> handler);
  // Runs a menu command as the user's choice would (menu, shortcut or tests).
  bool HandleMenuCommand(const String& itemName);

  // Raises MouseDown at (x, y) of the content area, as a click there does.
  bool Click(int32_t x, int32_t y);

  // The Qt widgets behind the window (WindowImpl.h).
  struct Impl;

 private:
  void AdoptControl(const Ref<Control>& control);
  void ApplySizeLimits();
  void ResizeContent();
  void FinishBuild();
  bool IsModalDialog() const { return frame_ == WindowFrame::kModalDialog; }
  friend struct Impl;
  friend struct WindowForTesting;
  friend struct detail::ImplAccess<Impl>;

  std::unique_ptr<Impl> impl_;
  String title_;
  int32_t width_ = 100, height_ = 100;
  int32_t minWidth_ = 64, minHeight_ = 64, maxWidth_ = 32000, maxHeight_ = 32000;
  WindowFrame frame_ = WindowFrame::kDocument;
  bool visible_ = false, closeButton_ = true, resizeable_ = true;
  bool minimizeButton_ = false, maximizeButton_ = false;
  bool closed_ = false, opened_ = false, building_ = false;
  int modalDepth_ = 0;
  Ref<fw::MenuBar> menuBar_;
  Ref<Picture> backdrop_;
  std::vector<Ref<Control>> controls_;
  std::map<String, Delegate<bool()>> menuHandlers_;
};

// The shared instance of the window class of that full name, or nil.
Ref<Window> GetImplicitWindow(const std::string& fullClassName);
// Closes every window, newest first, each through its Close handler (quit, shutdown).
void CloseAllWindows();

}  // namespace fw
