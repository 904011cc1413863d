#include "win/dialog.h"

#include "win/subclassed_control.h"

namespace cumulo {

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() = default;

INT_PTR Dialog::DoModal() {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent_,
                         DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
  if (hwnd_ != nullptr) ::EndDialog(hwnd_, result);
}

BOOL Dialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

std::optional<LRESULT> Dialog::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

void Dialog::SetInitialSize(int width, int height) { initialSize_ = SIZE{width, height}; }

bool Dialog::Bind(SubclassedControl& control, int id) {
  if (!control.Attach(GetDlgItem(hwnd_, id))) return false;
  bound_.push_back(&control);
  return true;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->hwnd_ = window;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  const INT_PTR result = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->bound_.clear();
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const BOOL focus = OnInitDialog();
    CenterWindow();
    return focus;
  }
  if (message == WM_DRAWITEM) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    for (SubclassedControl* control : bound_) {
      if (item != nullptr && control->hwnd() == item->hwndItem) {
        control->DrawItem(*item);
        return Answer(message, TRUE);
      }
    }
  }
  if (auto handled = OnMessage(message, wParam, lParam)) return Answer(message, *handled);
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
      (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// A dialog procedure returns some answers directly and the rest through DWLP_MSGRESULT.
INT_PTR Dialog::Answer(UINT message, LRESULT value) {
  const bool direct = (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
                      message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
                      message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
                      message == WM_INITDIALOG;
  if (direct) return static_cast<INT_PTR>(value);
  SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, value);
  return TRUE;
}

// Over the owner when it is visible, otherwise on the work area of the window's monitor.
void Dialog::CenterWindow() {
  RECT window;
  if (!GetWindowRect(hwnd_, &window)) return;
  if (initialSize_) {
    window.right = window.left + initialSize_->cx;
    window.bottom = window.top + initialSize_->cy;
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    // Left where it is, at its size.
    monitor.rcWork = window;
  }
  const RECT work = monitor.rcWork;
  RECT around = work;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  LONG x = around.left + (around.right - around.left - width) / 2;
  LONG y = around.top + (around.bottom - around.top - height) / 2;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace cumulo
