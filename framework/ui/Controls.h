#pragma once
// The standard controls on the window's content area.
#include <cstdint>
#include <vector>

#include "framework/core/Delegate.h"
#include "framework/media/Picture.h"
#include "framework/ui/Control.h"

class QLabel;
class QComboBox;
class QCheckBox;
class QPushButton;

namespace fw {

class Label : public BindsProperties<Label, RectControl> {
 public:
  std::string FullClassName() const override { return "Label"; }
  const String& Text() const { return text_; }
  void SetText(const String& text);
  static std::span<const PropertyBinding<Label>> PropertyBindings();

 protected:
  QWidget* MakeWidget(QWidget* parent) override;

 private:
  QLabel* label_ = nullptr;
  String text_;
};

class PopupMenu : public BindsProperties<PopupMenu, RectControl> {
 public:
  std::string FullClassName() const override { return "PopupMenu"; }
  int32_t ListCount() const { return static_cast<int32_t>(rows_.size()); }
  String List(int32_t row) const;  // "" outside the rows
  // The selected row, -1 for none. Setting a value outside the rows selects no row.
  int32_t ListIndex() const { return listIndex_; }
  void SetListIndex(int32_t index);
  String Text() const;  // the selected row's text, "" when none
  void AddRow(const String& text);
  void DeleteAllRows();
  // InitialValue gives the rows, split on CR.
  static std::span<const PropertyBinding<PopupMenu>> PropertyBindings();

 protected:
  QWidget* MakeWidget(QWidget* parent) override;

 private:
  void SyncWidget();
  QComboBox* combo_ = nullptr;
  std::vector<String> rows_;
  int32_t listIndex_ = -1;
};

class CheckBox : public BindsProperties<CheckBox, RectControl> {
 public:
  std::string FullClassName() const override { return "CheckBox"; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& caption);
  bool Value() const;
  void SetValue(bool value);
  static std::span<const PropertyBinding<CheckBox>> PropertyBindings();

 protected:
  QWidget* MakeWidget(QWidget* parent) override;

 private:
  QCheckBox* box_ = nullptr;
  String caption_;
  bool value_ = false;
};

class PushButton : public BindsProperties<PushButton, RectControl> {
 public:
  PushButton();
  std::string FullClassName() const override { return "PushButton"; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& caption);
  bool Default() const { return default_; }
  bool Cancel() const { return cancel_; }
  static std::span<const PropertyBinding<PushButton>> PropertyBindings();
  // The user presses the button: raises Action.
  void Push();

  Event<void(Ref<PushButton>)> Action{"( PushButton )"};

 protected:
  QWidget* MakeWidget(QWidget* parent) override;

 private:
  QPushButton* button_ = nullptr;
  String caption_;
  bool default_ = false, cancel_ = false;
};

class ImageWell : public RectControl {
 public:
  ImageWell();
  std::string FullClassName() const override { return "ImageWell"; }
  Ref<Picture> Image() const { return image_; }
  void SetImage(const Ref<Picture>& image);
  // The user clicks the well at (x, y): raises MouseDown and returns its result.
  bool Click(int32_t x, int32_t y);

  Event<bool(Ref<ImageWell>, int32_t, int32_t)> MouseDown{"( ImageWell, Int32, Int32 ) as Boolean"};

 protected:
  QWidget* MakeWidget(QWidget* parent) override;

 private:
  QWidget* well_ = nullptr;
  Ref<Picture> image_;
};

class Separator : public RectControl {
 public:
  std::string FullClassName() const override { return "Separator"; }

 protected:
  QWidget* MakeWidget(QWidget* parent) override;
};

}  // namespace fw
