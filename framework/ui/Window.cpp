#include "framework/ui/Window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <map>

#include "framework/core/EventLoop.h"
#include "framework/media/PictureImpl.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Testing.h"
#include "framework/ui/WindowImpl.h"

namespace fw {
namespace {

struct WindowLists {
  std::vector<Ref<Window>> open;              // the window list, oldest first
  std::map<std::string, Ref<Window>> shared;  // shared instances by full class name
};

WindowLists& Lists() {
  static WindowLists lists;
  return lists;
}

void Forget(Window* w) {
  auto& open = Lists().open;
  open.erase(
      std::remove_if(open.begin(), open.end(), [&](const Ref<Window>& r) { return r.get() == w; }),
      open.end());
  for (auto it = Lists().shared.begin(); it != Lists().shared.end();) {
    if (it->second.get() == w)
      it = Lists().shared.erase(it);
    else
      ++it;
  }
}

// "Cmd+Q" is the platform's command key with Q: Ctrl+Q here, Command+Q on a Mac.
QKeySequence ShortcutFromText(const String& text) {
  const std::string prefix = "Cmd+";
  if (text.rfind(prefix, 0) != 0 || text.size() <= prefix.size()) return {};
  return QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(text.substr(prefix.size())));
}

}  // namespace

// ---- widgets ------------------------------------------------------------------------------

ContentWidget::ContentWidget(Window* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  // Every pixel is painted here, so the window need not fill the area first: a pass over
  // all the screen's pixels of it before each backdrop.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ContentWidget::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    QRegion uncovered = event->region();
    if (owner_) {
      QImage& painted = detail::ImplOf(*owner_).painted;
      const auto backdrop = owner_->Backdrop();
      if (!backdrop)
        painted = QImage();
      else if (const QImage* made = detail::ImplOf(*backdrop).PixelsIfMade())
        painted = *made;
      if (!painted.isNull()) {
        PaintPicture(painter, QPoint(0, 0), painted);
        uncovered -= QRect(QPoint(0, 0), painted.deviceIndependentSize().toSize());
      }
    }
    for (const QRect& rect : uncovered) painter.fillRect(rect, palette().window());
  }
  if (owner_ && !detail::ImplOf(*owner_).shown) detail::ImplOf(*owner_).FirstPainted(*owner_);
}

void ContentWidget::mousePressEvent(QMouseEvent* event) {
  // Any button counts: a right or middle press repeats the minute as well as a left one.
  if (!owner_) return;
  const auto pos = event->position().toPoint();
  owner_->Click(pos.x(), pos.y());
}

void ContentWidget::resizeEvent(QResizeEvent*) {
  if (owner_) detail::ImplOf(*owner_).ScheduleResized(*owner_);
}

WindowWidget::WindowWidget(Window* owner, Qt::WindowFlags flags)
    : QWidget(nullptr, flags), owner_(owner) {}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The window system asks to close: only a window with a close button goes.
  if (!owner_ || owner_->IsClosed()) {
    event->accept();
    return;
  }
  if (!owner_->CloseButton()) {
    event->ignore();
    return;
  }
  event->accept();
  Window* w = owner_;
  detail::ImplOf(*w).closingFromWidget = true;
  Dispatch([w] { w->Close(); });
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
  if (!owner_) return QWidget::keyPressEvent(event);
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const bool escape = event->key() == Qt::Key_Escape;
  if (enter || escape) {
    // Enter presses the default button, Esc the cancel button.
    for (int32_t i = 0; i < owner_->ControlCount(); ++i) {
      auto button = std::dynamic_pointer_cast<PushButton>(owner_->ControlAt(i).shared());
      if (!button || !button->Enabled() || !button->Visible()) continue;
      if ((enter && button->Default()) || (escape && button->Cancel())) {
        button->Push();
        return;
      }
    }
  }
  QWidget::keyPressEvent(event);
}

void Window::Impl::BuildWidgets(Window& w) {
  Qt::WindowFlags flags = w.IsModalDialog() ? Qt::Dialog : Qt::Window;
  flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  if (w.closeButton_) flags |= Qt::WindowCloseButtonHint;
  if (w.minimizeButton_) flags |= Qt::WindowMinimizeButtonHint;
  if (w.maximizeButton_) flags |= Qt::WindowMaximizeButtonHint;
  top = new WindowWidget(&w, flags);
  top->setWindowTitle(QString::fromStdString(w.title_));
  auto* layout = new QVBoxLayout(top);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  content = new ContentWidget(&w, top);
  layout->addWidget(content);
  if (w.IsModalDialog()) top->setWindowModality(Qt::ApplicationModal);
  BuildMenuBar(w);
}

void Window::Impl::AttachToWindowBehind(Window& w) {
  // A modal window without an owner gets a taskbar entry and a minimise button of its own:
  // minimised alone, it would leave the window behind it dead with nothing on screen to say
  // why. Owned by the newest other window, it stays above it and goes with it. The window
  // system reads the owner when the window is mapped, so this comes before the first show.
  QWidget* owner = nullptr;
  const auto& open = Lists().open;
  for (auto it = open.rbegin(); it != open.rend() && !owner; ++it)
    if (it->get() != &w && !(*it)->IsClosed() && detail::ImplOf(**it).top &&
        detail::ImplOf(**it).top->isVisible())
      owner = detail::ImplOf(**it).top;
  if (!owner) return;
  // Only the native window is owned: the widget stays a window of its own, so closing
  // either side never deletes the other's widgets.
  top->winId();
  top->windowHandle()->setTransientParent(owner->windowHandle());
  QRect frame(QPoint(), top->frameGeometry().size());
  frame.moveCenter(owner->frameGeometry().center());
  if (const QScreen* screen = owner->screen()) {
    const QRect avail = screen->availableGeometry();
    frame.moveLeft(std::clamp(frame.left(), avail.left(),
                              std::max(avail.left(), avail.right() - frame.width())));
    frame.moveTop(std::clamp(frame.top(), avail.top(),
                             std::max(avail.top(), avail.bottom() - frame.height())));
  }
  top->move(frame.topLeft());
}

void Window::Impl::BuildMenuBar(Window& w) {
  if (!top || !w.menuBar_) return;
  if (menuBar) delete menuBar;
  menuBar = new QMenuBar(top);
  std::weak_ptr<Window> weak = std::static_pointer_cast<Window>(w.shared_from_this());
  for (int32_t i = 0; i < w.menuBar_->Count(); ++i) {
    auto menuItem = w.menuBar_->Item(i);
    QMenu* menu = menuBar->addMenu(QString::fromStdString(menuItem->Text()));
    for (int32_t j = 0; j < menuItem->Count(); ++j) {
      auto item = menuItem->Item(j);
      QAction* action = menu->addAction(QString::fromStdString(item->Text()));
      action->setShortcut(ShortcutFromText(item->KeyboardShortcut()));
      action->setShortcutContext(Qt::WindowShortcut);
      if (std::dynamic_pointer_cast<PrefsMenuItem>(item.shared()))
        action->setMenuRole(QAction::PreferencesRole);
      else if (std::dynamic_pointer_cast<QuitMenuItem>(item.shared()))
        action->setMenuRole(QAction::QuitRole);
      else
        action->setMenuRole(QAction::NoRole);
      const String name = item->Name();
      QObject::connect(action, &QAction::triggered, top, [weak, name] {
        if (auto window = weak.lock()) Dispatch([&] { window->HandleMenuCommand(name); });
      });
    }
  }
  static_cast<QVBoxLayout*>(top->layout())->setMenuBar(menuBar);
}

void Window::Impl::FirstPainted(Window& w) {
  shown = true;
  std::weak_ptr<Window> weak = std::static_pointer_cast<Window>(w.shared_from_this());
  QTimer::singleShot(0, content, [weak] {
    auto window = weak.lock();
    if (!window || window->IsClosed()) return;
    for (auto& c : window->controls_) c->WindowShown();
  });
}

bool Window::Impl::Exposed() const {
  return content && content->isVisible() && top->windowHandle() && top->windowHandle()->isExposed();
}

void Window::Impl::ScheduleResized(Window& w) {
  if (!content) return;
  const QSize actual = content->size();
  if (w.opened_ && !w.closed_ && (actual.width() != w.width_ || actual.height() != w.height_)) {
    // The window system changed the size: the content area's size is the truth.
    w.width_ = actual.width();
    w.height_ = actual.height();
  }
  if (resizePending || !w.opened_ || w.closed_) return;
  resizePending = true;
  std::weak_ptr<Window> weak = std::static_pointer_cast<Window>(w.shared_from_this());
  // One Resized for a burst of size changes, after the handler that made them.
  QTimer::singleShot(0, content, [weak] {
    auto window = weak.lock();
    if (!window) return;
    detail::ImplOf(*window).resizePending = false;
    if (window->IsClosed()) return;
    Dispatch([&] { window->Event_Resized(); });
  });
}

// ---- Window -------------------------------------------------------------------------------

Window::Window() : impl_(std::make_unique<Impl>()) {}

Window::~Window() {
  if (impl_->content) impl_->content->Detach();
  if (impl_->top) {
    impl_->top->Detach();
    impl_->top->hide();
    impl_->top->deleteLater();
  }
}

void Window::Constructor() {
  Ref<Window> self = RefTo(this);
  building_ = true;
  Lists().open.push_back(self);
  Lists().shared[FullClassName()] = self;
  impl_->BuildWidgets(*this);
  ResizeContent();

  Layout();
  CreateControls();
  // Tab order follows TabIndex, whatever the creation order.
  std::vector<RectControl*> tabbed;
  for (auto& c : controls_)
    if (auto* rc = dynamic_cast<RectControl*>(c.get()); rc && detail::ImplOf(*rc).widget)
      tabbed.push_back(rc);
  std::stable_sort(tabbed.begin(), tabbed.end(),
                   [](RectControl* a, RectControl* b) { return a->TabIndex() < b->TabIndex(); });
  for (size_t i = 1; i < tabbed.size(); ++i)
    QWidget::setTabOrder(detail::ImplOf(*tabbed[i - 1]).widget, detail::ImplOf(*tabbed[i]).widget);
  AddMenuHandlers(self);
  Event_Open();
  FinishBuild();
}

void Window::FinishBuild() {
  building_ = false;
  if (closed_) return;
  opened_ = true;
  for (auto& c : controls_) c->WindowOpened();
  // A window finishing its build while the application quits would only flash up.
  if (visible_ && impl_->top && !QuitRequested()) {
    if (IsModalDialog()) impl_->AttachToWindowBehind(*this);  // shown now and made modal after
    impl_->top->show();
  }
}

void Window::SetTitle(const String& title) {
  if (title == title_) return;  // the tick writes the same second twice
  title_ = title;
  if (impl_->top) impl_->top->setWindowTitle(QString::fromStdString(title_));
}

void Window::ResizeContent() {
  if (!impl_->content) return;
  if (!resizeable_) {
    impl_->content->setFixedSize(width_, height_);
    impl_->top->layout()->setSizeConstraint(QLayout::SetFixedSize);
  } else {
    impl_->content->setMinimumSize(minWidth_, minHeight_);
    impl_->content->setMaximumSize(std::min(maxWidth_, QWIDGETSIZE_MAX),
                                   std::min(maxHeight_, QWIDGETSIZE_MAX));
    impl_->content->resize(width_, height_);
    impl_->top->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  }
  impl_->top->adjustSize();
}

static int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
  if (lo <= hi) return std::clamp(v, lo, hi);
  return v;
}

void Window::SetWidth(int32_t width) {
  width = Clamp(std::max(width, 1), minWidth_, maxWidth_);
  if (width == width_) return;
  width_ = width;
  ResizeContent();
  impl_->ScheduleResized(*this);
}

void Window::SetHeight(int32_t height) {
  height = Clamp(std::max(height, 1), minHeight_, maxHeight_);
  if (height == height_) return;
  height_ = height;
  ResizeContent();
  impl_->ScheduleResized(*this);
}

void Window::SetMinWidth(int32_t v) {
  minWidth_ = v;
  ApplySizeLimits();
}
void Window::SetMinHeight(int32_t v) {
  minHeight_ = v;
  ApplySizeLimits();
}
void Window::SetMaxWidth(int32_t v) {
  maxWidth_ = v;
  ApplySizeLimits();
}
void Window::SetMaxHeight(int32_t v) {
  maxHeight_ = v;
  ApplySizeLimits();
}

void Window::ApplySizeLimits() {
  // The current size always lies within the limits.
  const int32_t w = Clamp(width_, minWidth_, maxWidth_);
  const int32_t h = Clamp(height_, minHeight_, maxHeight_);
  if (w != width_ || h != height_) {
    width_ = w;
    height_ = h;
    ResizeContent();
    impl_->ScheduleResized(*this);
  } else if (resizeable_) {
    ResizeContent();
  }
}

void Window::SetVisible(bool visible) {
  visible_ = visible;
  if (!impl_->top || building_ || closed_) return;  // shown when the build ends
  impl_->top->setVisible(visible);
}

void Window::SetMenuBar(const Ref<fw::MenuBar>& bar) {
  menuBar_ = bar;
  impl_->BuildMenuBar(*this);
}

void Window::SetBackdrop(const Ref<Picture>& picture) {
  backdrop_ = picture;
  // A picture still being made on a worker is painted when it is made, if it is still the
  // backdrop then; until then the last one stays.
  if (picture) {
    std::weak_ptr<Window> self = std::static_pointer_cast<Window>(shared_from_this());
    std::weak_ptr<Picture> shown = picture.shared();
    const bool later = detail::ImplOf(*picture).WhenMade([self, shown] {
      auto window = self.lock();
      auto backdrop = shown.lock();
      if (window && backdrop && window->Backdrop().shared() == backdrop)
        detail::ImplOf(*window).Refresh();
    });
    if (later) return;
  }
  impl_->Refresh();
}

void Window::Impl::Refresh() {
  // On screen now, before the handler goes on to slower work (a voice to open).
  if (Exposed())
    content->repaint();
  else if (content)
    content->update();
}

std::span<const PropertyBinding<Window>> Window::PropertyBindings() {
  static constexpr PropertyBinding<Window> kBindings[] = {
      {"Width", [](Window& w, int32_t v) { w.SetWidth(v); }},
      {"Height", [](Window& w, int32_t v) { w.SetHeight(v); }},
      {"MinWidth", [](Window& w, int32_t v) { w.SetMinWidth(v); }},
      {"MinHeight", [](Window& w, int32_t v) { w.SetMinHeight(v); }},
      {"MaxWidth", [](Window& w, int32_t v) { w.SetMaxWidth(v); }},
      {"MaxHeight", [](Window& w, int32_t v) { w.SetMaxHeight(v); }},
      {"Title", [](Window& w, const String& v) { w.SetTitle(v); }},
      {"Visible", [](Window& w, bool v) { w.SetVisible(v); }},
      {"Frame",
       [](Window& w, int32_t frame) {
         w.frame_ = static_cast<WindowFrame>(frame);
         if (!w.impl_->top) return;
         w.impl_->top->setWindowFlag(Qt::Dialog, w.IsModalDialog());
         w.impl_->top->setWindowModality(w.IsModalDialog() ? Qt::ApplicationModal : Qt::NonModal);
       }},
      {"CloseButton",
       [](Window& w, bool on) {
         w.closeButton_ = on;
         if (w.impl_->top) w.impl_->top->setWindowFlag(Qt::WindowCloseButtonHint, on);
       }},
      {"Resizeable",
       [](Window& w, bool on) {
         w.resizeable_ = on;
         w.ResizeContent();
       }},
      {"MinimizeButton",
       [](Window& w, bool on) {
         w.minimizeButton_ = on;
         if (w.impl_->top) w.impl_->top->setWindowFlag(Qt::WindowMinimizeButtonHint, on);
       }},
      {"MaximizeButton",
       [](Window& w, bool on) {
         w.maximizeButton_ = on;
         if (w.impl_->top) w.impl_->top->setWindowFlag(Qt::WindowMaximizeButtonHint, on);
       }},
  };
  return kBindings;
}

void Window::Close() {
  if (closed_) return;
  Ref<Window> keep = RefTo(this);  // the window outlives its own Close
  closed_ = true;
  // A failing Close handler still leaves the window closed; its exception goes on after.
  std::exception_ptr failure;
  try {
    // A window whose build failed never opened, so it does not see Close either: its
    // handler must not act on half-loaded state (such as writing settings it never read).
    if (opened_) Event_Close();
  } catch (...) {
    failure = std::current_exception();
  }
  for (auto& c : controls_) c->WindowClosing();
  if (impl_->top && !impl_->closingFromWidget) impl_->top->hide();
  Forget(this);
  if (impl_->modalLoop) impl_->modalLoop->exit(0);
  if (failure) std::rethrow_exception(failure);
}

void Window::ShowModal() {
  if (closed_ || !impl_->top) return;
  Ref<Window> keep = RefTo(this);
  impl_->top->setWindowModality(Qt::ApplicationModal);
  if (!impl_->top->isVisible()) impl_->AttachToWindowBehind(*this);
  impl_->top->show();
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    impl_->top->raise();
    impl_->top->activateWindow();
  }
  QEventLoop loop;
  impl_->modalLoop = &loop;
  ++modalDepth_;
  loop.exec(QEventLoop::DialogExec);
  --modalDepth_;
  impl_->modalLoop = nullptr;
}

void Window::AdoptControl(const Ref<Control>& control) {
  control->SetWindow(RefTo(this));
  if (auto* rect = dynamic_cast<RectControl*>(control.get()))
    detail::ImplOf(*rect).Create(*rect, impl_->content);
}

void Window::AddControl(const String& name, const Ref<Control>& control) {
  if (!control) throw NilObjectException("adding no control");
  control->SetName(name);
  if (control->Window().get() != this) AdoptControl(control);
  controls_.push_back(control);
}

Ref<Control> Window::ControlByName(const String& name) const {
  for (const auto& c : controls_)
    if (c->Name() == name && c->Index() == kNoIndex) return c;
  return nullptr;
}

Ref<Control> Window::ControlByNameIndex(const String& name, int32_t index) const {
  for (const auto& c : controls_)
    if (c->Name() == name && c->Index() == index) return c;
  return nullptr;
}

void Window::AddMenuHandler(const String& itemName, Delegate<bool()> handler) {
  if (handler.Signature() != "(  ) as Boolean")
    throw RuntimeException("menu handler for \"" + itemName + "\" has the signature \"" +
                           handler.Signature() + "\"");
  menuHandlers_[itemName] = std::move(handler);
}

bool Window::HandleMenuCommand(const String& itemName) {
  Ref<Window> keep = RefTo(this);
  if (auto it = menuHandlers_.find(itemName); it != menuHandlers_.end()) {
    auto handler = it->second;  // the handler may replace the registry entry
    if (handler()) return true;
  }
  if (menuBar_)
    if (auto item = menuBar_->Lookup(itemName)) return item->Action();
  return false;
}

bool Window::Click(int32_t x, int32_t y) {
  bool result = false;
  Ref<Window> keep = RefTo(this);
  Dispatch([&] { result = Event_MouseDown(x, y); });
  return result;
}

Ref<Window> GetImplicitWindow(const std::string& fullClassName) {
  auto it = Lists().shared.find(fullClassName);
  return it == Lists().shared.end() ? nullptr : it->second;
}

std::vector<Ref<Window>> OpenWindowsForTesting() { return Lists().open; }

bool WindowForTesting::Opened(const Window& window) { return window.opened_; }

bool WindowForTesting::ShowingModally(const Window& window) { return window.modalDepth_ > 0; }

bool WindowForTesting::HasMenuHandler(const Window& window, const String& itemName) {
  return window.menuHandlers_.count(itemName) > 0;
}

void CloseAllWindows() {
  // Newest first: a modal dialog closes before the window behind it.
  auto windows = Lists().open;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    Ref<Window> w = *it;
    Dispatch([&] { w->Close(); });
  }
  Lists().open.clear();
  Lists().shared.clear();
}

}  // namespace fw
