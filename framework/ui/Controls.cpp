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
#include "framework/ui/Testing.h"

namespace fw {
namespace {

QString ToQString(const String& s) { return QString::fromStdString(s); }

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
    const QImage* made = owner->Image()->impl().PixelsIfMade();
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

QWidget* Label::MakeWidget(QWidget* parent) {
  label_ = new QLabel(ToQString(text_), parent);
  label_->setFocusPolicy(Qt::NoFocus);
  return label_;
}

void Label::SetText(const String& text) {
  text_ = text;
  if (label_) label_->setText(ToQString(text_));
}

std::span<const PropertyBinding<Label>> Label::PropertyBindings() {
  static constexpr PropertyBinding<Label> kBindings[] = {
      {"Text", [](Label& l, const String& v) { l.SetText(v); }},
      {"TextAlign",
       [](Label& l, int32_t align) {
         if (!l.label_) return;
         l.label_->setAlignment(align == 2   ? Qt::AlignHCenter | Qt::AlignVCenter
                                : align == 3 ? Qt::AlignRight | Qt::AlignVCenter
                                             : Qt::AlignLeft | Qt::AlignVCenter);
       }},
      {"TextColor",
       [](Label& l, const Colour& colour) {
         if (!l.label_) return;
         QPalette palette = l.label_->palette();
         palette.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
         l.label_->setPalette(palette);
       }},
  };
  return kBindings;
}

// ---- PopupMenu ----------------------------------------------------------------------------

QWidget* PopupMenu::MakeWidget(QWidget* parent) {
  combo_ = new QComboBox(parent);
  auto weak = WeakSelf(this);
  QObject::connect(combo_, &QComboBox::currentIndexChanged, combo_, [weak](int index) {
    if (auto self = weak.lock()) self->listIndex_ = index;  // the user chose a row
  });
  SyncWidget();
  return combo_;
}

void PopupMenu::SyncWidget() {
  if (!combo_) return;
  QSignalBlocker block(combo_);
  if (combo_->count() != ListCount()) {
    combo_->clear();
    for (const auto& row : rows_) combo_->addItem(ToQString(row));
  }
  combo_->setCurrentIndex(listIndex_);
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
  if (combo_) {
    QSignalBlocker block(combo_);
    combo_->addItem(ToQString(text));
    combo_->setCurrentIndex(listIndex_);  // adding a row selects nothing by itself
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

QWidget* CheckBox::MakeWidget(QWidget* parent) {
  box_ = new QCheckBox(ToQString(caption_), parent);
  box_->setChecked(value_);
  auto weak = WeakSelf(this);
  QObject::connect(box_, &QCheckBox::toggled, box_, [weak](bool on) {
    if (auto self = weak.lock()) self->value_ = on;
  });
  return box_;
}

void CheckBox::SetCaption(const String& caption) {
  caption_ = caption;
  if (box_) box_->setText(ToQString(caption_));
}

bool CheckBox::Value() const { return value_; }

void CheckBox::SetValue(bool value) {
  value_ = value;
  if (box_) {
    QSignalBlocker block(box_);
    box_->setChecked(value);
  }
}

void ClickForTesting(CheckBox& box) {
  if (auto* widget = qobject_cast<QCheckBox*>(box.Widget()))
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

QWidget* PushButton::MakeWidget(QWidget* parent) {
  button_ = new QPushButton(ToQString(caption_), parent);
  button_->setAutoDefault(false);
  auto weak = WeakSelf(this);
  QObject::connect(button_, &QPushButton::clicked, button_, [weak] {
    if (auto self = weak.lock()) self->Push();
  });
  return button_;
}

void PushButton::SetCaption(const String& caption) {
  caption_ = caption;
  if (button_) button_->setText(ToQString(caption_));
}

void PushButton::Push() {
  Ref<PushButton> self = RefTo(this);
  Dispatch([&] { Action.Raise(self); });
}

std::span<const PropertyBinding<PushButton>> PushButton::PropertyBindings() {
  static constexpr PropertyBinding<PushButton> kBindings[] = {
      {"Caption", [](PushButton& b, const String& v) { b.SetCaption(v); }},
      {"Default",
       [](PushButton& b, bool v) {
         b.default_ = v;
         if (b.button_) b.button_->setDefault(v);
       }},
      {"Cancel", [](PushButton& b, bool v) { b.cancel_ = v; }},
  };
  return kBindings;
}

// ---- ImageWell ----------------------------------------------------------------------------

ImageWell::ImageWell() = default;

QWidget* ImageWell::MakeWidget(QWidget* parent) {
  well_ = new WellWidget(WeakSelf(this), parent);
  return well_;
}

void ImageWell::SetImage(const Ref<Picture>& image) {
  image_ = image;
  if (image) {
    std::weak_ptr<ImageWell> self = WeakSelf(this);
    std::weak_ptr<Picture> shown = image.shared();
    image->impl().WhenMade([self, shown] {
      auto well = self.lock();
      auto picture = shown.lock();
      if (well && picture && well->Image().shared() == picture && well->well_) well->well_->update();
    });
  }
  if (well_) well_->update();
}

bool ImageWell::Click(int32_t x, int32_t y) {
  Ref<ImageWell> self = RefTo(this);
  bool result = false;
  Dispatch([&] { result = MouseDown.Raise(self, x, y); });
  return result;
}

// ---- Separator ----------------------------------------------------------------------------

QWidget* Separator::MakeWidget(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

}  // namespace fw
