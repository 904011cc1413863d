#pragma once
// A child control of a dialog template taken over by an object: its messages pass
// through OnMessage first; what that leaves unhandled gets the control's own behaviour.
#include <windows.h>

#include <optional>

namespace cumulo {

class SubclassedControl {
 public:
  SubclassedControl() = default;
  virtual ~SubclassedControl();
  SubclassedControl(const SubclassedControl&) = delete;
  SubclassedControl& operator=(const SubclassedControl&) = delete;

  // Takes over an existing control window; false when it is none or subclassing fails.
  [[nodiscard]] bool Attach(HWND control);
  HWND hwnd() const { return hwnd_; }

  // Owner-drawn controls draw themselves here; the dialog passes WM_DRAWITEM on.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

 protected:
  // Before the messages are routed here; the control's style can still be adjusted.
  virtual void PreSubclassWindow() {}
  // The one dispatch point; no value means the control's default processing.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The control's own processing of a message, for handlers that add to it.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Detach();

  HWND hwnd_ = nullptr;
};

}  // namespace cumulo
