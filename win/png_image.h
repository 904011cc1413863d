#pragma once
// A PNG decoded into a 32-bit top-down DIB section with premultiplied alpha, ready for
// AlphaBlend with per-pixel alpha (and for BitBlt when opaque).
#include <windows.h>

#include <cstddef>

#include "win/unique_handle.h"

namespace cumulo {

class PngImage {
 public:
  // From a resource of type "PNG".
  [[nodiscard]] bool LoadFromResource(HMODULE module, int id);
  [[nodiscard]] bool LoadFromMemory(const void* data, size_t size);
  void Release();

  bool IsLoaded() const { return bitmap_.IsValid(); }
  HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.Get()); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  ScopedGdiObject bitmap_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace cumulo
