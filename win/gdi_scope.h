#pragma once
// Scoped GDI operations: selecting an object into a device context restores the previous
// one at the end of the scope; device contexts are released by their owners.
#include <windows.h>

#include "win/unique_handle.h"

namespace cumulo {

class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
// A memory device context (CreateCompatibleDC).
using ScopedMemoryDc = UniqueHandle<MemoryDcTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Solid brush and pen of width 1 in one colour, selected for the scope.
class ScopedSolidFill {
 public:
  ScopedSolidFill(HDC dc, COLORREF color)
      : brush_(CreateSolidBrush(color)),
        pen_(CreatePen(PS_SOLID, 1, color)),
        selectBrush_(dc, brush_.Get()),
        selectPen_(dc, pen_.Get()) {}

 private:
  ScopedGdiObject brush_;
  ScopedGdiObject pen_;
  ScopedSelectObject selectBrush_;
  ScopedSelectObject selectPen_;
};

}  // namespace cumulo
