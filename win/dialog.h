#pragma once
// A modal dialog from a resource template. Derived classes bind the template's controls
// in DoDataExchange, set themselves up in OnInitDialog and handle messages in OnMessage;
// what they leave unhandled gets the dialog manager's default processing, and the OK and
// Cancel commands (Enter, Escape, the close box) end the dialog with their id.
#include <windows.h>

#include <optional>
#include <vector>

namespace cumulo {

class SubclassedControl;

class Dialog {
 public:
  Dialog(int templateId, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog; the value given to EndDialog, or -1 when it could not be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);
  HWND hwnd() const { return hwnd_; }

 protected:
  // Binds the controls (called by the base OnInitDialog).
  virtual void DoDataExchange() {}
  // TRUE lets the dialog manager set the focus. Call the base version to bind controls.
  virtual BOOL OnInitDialog();
  // The one dispatch point; no value means default processing.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Subclasses the template's control `id` with `control`; WM_DRAWITEM for it is passed on.
  bool Bind(SubclassedControl& control, int id);
  // From OnInitDialog: the window's outer size, applied together with the centring that
  // follows OnInitDialog, in one move.
  void SetInitialSize(int width, int height);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Answer(UINT message, LRESULT value);
  void CenterWindow();

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  std::optional<SIZE> initialSize_;
  std::vector<SubclassedControl*> bound_;
};

}  // namespace cumulo
