#pragma once
// The standard controls on the window's content area.
#include <cstdint>
#include <optional>
#include <vector>

#include "framework/core/Delegate.h"
#include "framework/media/Picture.h"
#include "framework/ui/Control.h"

namespace fw {

class Label : public BindsProperties<Label, RectControl> {
 public:
  std::string FullClassName() const override { return "Label"; }
  const String& Text() const { return text_; }
  void SetText(const String& text);
  // 0 or 1 left, 2 centred, 3 right.
  int32_t TextAlign() const { return textAlign_; }
  void SetTextAlign(int32_t align);
  // The text's colour; none: the platform's.
  std::optional<Colour> TextColor() const { return textColor_; }
  void SetTextColor(const Colour& colour);
  static std::span<const PropertyBinding<Label>> PropertyBindings();

 protected:
  void MakeWidget(Impl& impl) override;

 private:
  String text_;
  int32_t textAlign_ = 0;
  std::optional<Colour> textColor_;
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
  void MakeWidget(Impl& impl) override;

 private:
  void SyncWidget();
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
  void MakeWidget(Impl& impl) override;

 private:
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
  void SetDefault(bool isDefault);
  bool Cancel() const { return cancel_; }
  static std::span<const PropertyBinding<PushButton>> PropertyBindings();
  // The user presses the button: raises Action.
  void Push();

  Event<void(Ref<PushButton>)> Action{"( PushButton )"};

 protected:
  void MakeWidget(Impl& impl) override;

 private:
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
  void MakeWidget(Impl& impl) override;

 private:
  Ref<Picture> image_;
};

class Separator : public RectControl {
 public:
  std::string FullClassName() const override { return "Separator"; }

 protected:
  void MakeWidget(Impl& impl) override;
};

}  // namespace fw
