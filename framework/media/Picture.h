#pragma once
// Pictures in memory and drawing one into another.
#include <cstdint>
#include <memory>

#include "framework/core/ImplAccess.h"
#include "framework/core/Object.h"

namespace fw {

class Graphics;

class Picture : public Object {
 public:
  // A new picture, width x height, depth 32, filled white.
  Picture(int32_t width, int32_t height, int32_t depth = 32);
  ~Picture() override;
  std::string FullClassName() const override { return "Picture"; }
  int32_t Width() const;
  int32_t Height() const;
  int32_t Depth() const { return 32; }
  Ref<fw::Graphics> Graphics();

  // The pixels and the file behind the picture (PictureImpl.h).
  struct Impl;
  explicit Picture(std::unique_ptr<Impl> impl);

 private:
  friend struct detail::ImplAccess<Impl>;
  std::unique_ptr<Impl> impl_;
  Ref<fw::Graphics> graphics_;
};

class Graphics : public Object {
 public:
  explicit Graphics(Picture* owner) : owner_(owner) {}
  std::string FullClassName() const override { return "Graphics"; }
  // The source rectangle of `source` drawn scaled into the destination rectangle with smooth
  // (bilinear or better) filtering; the aspect ratio is not kept.
  void DrawPicture(const Ref<Picture>& source, int32_t x, int32_t y, int32_t width, int32_t height,
                   int32_t sourceX, int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight);

 private:
  friend class Picture;  // clears owner_ when the picture goes
  Picture* owner_;       // the picture owns its Graphics
};

}  // namespace fw
