#include "framework/ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

#include "framework/core/EventLoop.h"
#include "framework/media/PictureImpl.h"
#include "framework/ui/ControlImpl.h"
#include "framework/ui/Testing.h"

namespace fw {
namespace {

QString ToQString(const String& s) { return QString::fromStdString(s); }

// The widget a control made, as the kind it made; null before.
template <class W>
W* WidgetOf(const RectControl& control) {
  return detail::ImplOf(control).As<W>();
}

template <class T>
std::weak_ptr<T> WeakSelf(T* self) {
  return std::static_pointer_cast<T>(static_cast<Object*>(self)->shared_from_this());
}

// The well shows its picture centred and reports clicks with their position.
class WellWidget : public QFrame {
 public:
  WellWidget(std::weak_ptr<ImageWell> owner, QWidget* parent)
      : QFrame(parent), owner_(std::move(owner)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    auto owner = owner_.lock();
    if (!owner || !owner->Image()) return;
    // A thumbnail still being made leaves the well empty; it is painted when made.
    const QImage* made = detail::ImplOf(*owner->Image()).PixelsIfMade();
    if (!made) return;
    const QImage& image = *made;
    const QSize size = image.deviceIndependentSize().toSize();
    QPainter painter(this);
    PaintPicture(painter, QPoint((width() - size.width()) / 2, (height() - size.height()) / 2),
                 image);
  }
  void mousePressEvent(QMouseEvent* event) override {
    auto owner = owner_.lock();
    if (!owner || event->button() != Qt::LeftButton) return;
    const auto pos = event->position().toPoint();
    owner->Click(pos.x(), pos.y());
  }

 private:
  std::weak_ptr<ImageWell> owner_;
};

}  // namespace

// ---- Label --------------------------------------------------------------------------------

namespace {

void ShowAlign(QLabel& label, int32_t align) {
  label.setAlignment(align == 2   ? Qt::AlignHCenter | Qt::AlignVCenter
                     : align == 3 ? Qt::AlignRight | Qt::AlignVCenter
                                  : Qt::AlignLeft | Qt::AlignVCenter);
}

void ShowColour(QLabel& label, const Colour& colour) {
  QPalette palette = label.palette();
  palette.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
  label.setPalette(palette);
}

}  // namespace

void Label::MakeWidget(Impl& impl) {
  auto* label = impl.Make<QLabel>(ToQString(text_));
  label->setFocusPolicy(Qt::NoFocus);
  ShowAlign(*label, textAlign_);
  if (textColor_) ShowColour(*label, *textColor_);
}

void Label::SetText(const String& text) {
  text_ = text;
  if (auto* label = WidgetOf<QLabel>(*this)) label->setText(ToQString(text_));
}

void Label::SetTextAlign(int32_t align) {
  textAlign_ = align;
  if (auto* label = WidgetOf<QLabel>(*this)) ShowAlign(*label, align);
}

void Label::SetTextColor(const Colour& colour) {
  textColor_ = colour;
  if (auto* label = WidgetOf<QLabel>(*this)) ShowColour(*label, colour);
}

std::span<const PropertyBinding<Label>> Label::PropertyBindings() {
  static constexpr PropertyBinding<Label> kBindings[] = {
      {"Text", [](Label& l, const String& v) { l.SetText(v); }},
      {"TextAlign", [](Label& l, int32_t v) { l.SetTextAlign(v); }},
      {"TextColor", [](Label& l, const Colour& v) { l.SetTextColor(v); }},
  };
  return kBindings;
}

// ---- PopupMenu ----------------------------------------------------------------------------

void PopupMenu::MakeWidget(Impl& impl) {
  auto* combo = impl.Make<QComboBox>();
  auto weak = WeakSelf(this);
  QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [weak](int index) {
    if (auto self = weak.lock()) self->listIndex_ = index;  // the user chose a row
  });
  SyncWidget();
}

void PopupMenu::SyncWidget() {
  auto* combo = WidgetOf<QComboBox>(*this);
  if (!combo) return;
  QSignalBlocker block(combo);
  if (combo->count() != ListCount()) {
    combo->clear();
    for (const auto& row : rows_) combo->addItem(ToQString(row));
  }
  combo->setCurrentIndex(listIndex_);
}

String PopupMenu::List(int32_t row) const {
  if (row < 0 || row >= ListCount()) return "";
  return rows_[static_cast<size_t>(row)];
}

void PopupMenu::SetListIndex(int32_t index) {
  listIndex_ = (index >= 0 && index < ListCount()) ? index : -1;
  SyncWidget();
}

String PopupMenu::Text() const { return List(listIndex_); }

void PopupMenu::AddRow(const String& text) {
  rows_.push_back(text);
  if (auto* combo = WidgetOf<QComboBox>(*this)) {
    QSignalBlocker block(combo);
    combo->addItem(ToQString(text));
    combo->setCurrentIndex(listIndex_);  // adding a row selects nothing by itself
  }
}

void PopupMenu::DeleteAllRows() {
  rows_.clear();
  listIndex_ = -1;
  SyncWidget();
}

std::span<const PropertyBinding<PopupMenu>> PopupMenu::PropertyBindings() {
  static constexpr PropertyBinding<PopupMenu> kBindings[] = {
      {"InitialValue",
       [](PopupMenu& m, const String& text) {
         m.rows_.clear();
         if (!text.empty()) {
           auto parts = Split(text, "\r");
           for (int32_t i = 0; i <= parts.Ubound(); ++i) m.rows_.push_back(parts(i));
         }
         m.listIndex_ = -1;
         m.SyncWidget();
       }},
      {"ListIndex", [](PopupMenu& m, int32_t v) { m.SetListIndex(v); }},
  };
  return kBindings;
}

// ---- CheckBox -----------------------------------------------------------------------------

void CheckBox::MakeWidget(Impl& impl) {
  auto* box = impl.Make<QCheckBox>(ToQString(caption_));
  box->setChecked(value_);
  auto weak = WeakSelf(this);
  QObject::connect(box, &QCheckBox::toggled, box, [weak](bool on) {
    if (auto self = weak.lock()) self->value_ = on;
  });
}

void CheckBox::SetCaption(const String& caption) {
  caption_ = caption;
  if (auto* box = WidgetOf<QCheckBox>(*this)) box->setText(ToQString(caption_));
}

bool CheckBox::Value() const { return value_; }

void CheckBox::SetValue(bool value) {
  value_ = value;
  if (auto* box = WidgetOf<QCheckBox>(*this)) {
    QSignalBlocker block(box);
    box->setChecked(value);
  }
}

void ClickForTesting(CheckBox& box) {
  if (auto* widget = WidgetOf<QCheckBox>(box))
    widget->click();
  else
    box.SetValue(!box.Value());
}

std::span<const PropertyBinding<CheckBox>> CheckBox::PropertyBindings() {
  static constexpr PropertyBinding<CheckBox> kBindings[] = {
      {"Caption", [](CheckBox& c, const String& v) { c.SetCaption(v); }},
      {"Value", [](CheckBox& c, bool v) { c.SetValue(v); }},
  };
  return kBindings;
}

// ---- PushButton ---------------------------------------------------------------------------

PushButton::PushButton() = default;

void PushButton::MakeWidget(Impl& impl) {
  auto* button = impl.Make<QPushButton>(ToQString(caption_));
  button->setAutoDefault(false);
  button->setDefault(default_);
  auto weak = WeakSelf(this);
  QObject::connect(button, &QPushButton::clicked, button, [weak] {
    if (auto self = weak.lock()) self->Push();
  });
}

void PushButton::SetCaption(const String& caption) {
  caption_ = caption;
  if (auto* button = WidgetOf<QPushButton>(*this)) button->setText(ToQString(caption_));
}

void PushButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  if (auto* button = WidgetOf<QPushButton>(*this)) button->setDefault(isDefault);
}

void PushButton::Push() {
  Ref<PushButton> self = RefTo(this);
  Dispatch([&] { Action.Raise(self); });
}

std::span<const PropertyBinding<PushButton>> PushButton::PropertyBindings() {
  static constexpr PropertyBinding<PushButton> kBindings[] = {
      {"Caption", [](PushButton& b, const String& v) { b.SetCaption(v); }},
      {"Default", [](PushButton& b, bool v) { b.SetDefault(v); }},
      {"Cancel", [](PushButton& b, bool v) { b.cancel_ = v; }},
  };
  return kBindings;
}

// ---- ImageWell ----------------------------------------------------------------------------

ImageWell::ImageWell() = default;

void ImageWell::MakeWidget(Impl& impl) { impl.Make<WellWidget>(WeakSelf(this)); }

void ImageWell::SetImage(const Ref<Picture>& image) {
  image_ = image;
  if (image) {
    std::weak_ptr<ImageWell> self = WeakSelf(this);
    std::weak_ptr<Picture> shown = image.shared();
    detail::ImplOf(*image).WhenMade([self, shown] {
      auto well = self.lock();
      auto picture = shown.lock();
      if (!well || !picture || well->Image().shared() != picture) return;
      if (QWidget* widget = detail::ImplOf(*well).widget) widget->update();
    });
  }
  if (QWidget* widget = detail::ImplOf(*this).widget) widget->update();
}

bool ImageWell::Click(int32_t x, int32_t y) {
  Ref<ImageWell> self = RefTo(this);
  bool result = false;
  Dispatch([&] { result = MouseDown.Raise(self, x, y); });
  return result;
}

// ---- Separator ----------------------------------------------------------------------------

void Separator::MakeWidget(Impl& impl) {
  auto* line = impl.Make<QFrame>();
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
}

}  // namespace fw
