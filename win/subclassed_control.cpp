#include "win/subclassed_control.h"

#include <commctrl.h>

namespace cumulo {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND control) {
  if (control == nullptr || hwnd_ != nullptr) return false;
  hwnd_ = control;
  PreSubclassWindow();
  if (!SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    hwnd_ = nullptr;
    return false;
  }
  return true;
}

void SubclassedControl::Detach() {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

void SubclassedControl::DrawItem(const DRAWITEMSTRUCT&) {}

std::optional<LRESULT> SubclassedControl::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT SubclassedControl::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK SubclassedControl::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* control = reinterpret_cast<SubclassedControl*>(self);
  if (message == WM_NCDESTROY) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    control->Detach();
    return result;
  }
  if (auto handled = control->OnMessage(message, wParam, lParam)) return *handled;
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace cumulo
