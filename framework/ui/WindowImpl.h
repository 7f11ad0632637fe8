#pragma once
// Inside of a Window: the Qt widgets behind it. Framework-only.
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include "framework/ui/Window.h"

namespace fw {

// The content area: paints the backdrop at its top left and reports clicks.
class ContentWidget : public QWidget {
 public:
  ContentWidget(Window* owner, QWidget* parent);
  void Detach() { owner_ = nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  Window* owner_;
};

// The top-level window: menu bar above, content area below.
class WindowWidget : public QWidget {
 public:
  WindowWidget(Window* owner, Qt::WindowFlags flags);
  void Detach() { owner_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Window* owner_;
};

struct Window::Impl {
  QPointer<WindowWidget> top;
  QPointer<ContentWidget> content;
  QPointer<QMenuBar> menuBar;
  QEventLoop* modalLoop = nullptr;
  bool resizePending = false;
  bool closingFromWidget = false;
  bool shown = false;  // the content has been painted once
  // The backdrop's pixels as last painted: shown on until a new backdrop's are made, so a
  // new minute's picture replaces the last one without an empty window between them.
  QImage painted;

  void BuildWidgets(Window& w);
  void BuildMenuBar(Window& w);
  // Makes the modal window an owned dialog of the window behind it, centred on it.
  void AttachToWindowBehind(Window& w);
  void ScheduleResized(Window& w);
  // After the first paint: tells the controls, once the paint is over.
  void FirstPainted(Window& w);
  // Whether a paint now would reach the screen.
  bool Exposed() const;
  // Paints the content now where that reaches the screen, else when it next can.
  void Refresh();
};

}  // namespace fw

template <>
struct fw::detail::ImplAccess<fw::Window::Impl> {
  static fw::Window::Impl& Of(const fw::Window& window) { return *window.impl_; }
};
