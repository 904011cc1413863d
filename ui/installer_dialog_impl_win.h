#pragma once
// The installer window on Win32: gathers the platform's answers, carries out what the
// window model decides, and draws the art.
#include <windows.h>

#include <array>
#include <memory>

#include "install/auth_handoff.h"
#include "net/metric_sender.h"
#include "ui/art_preload_win.h"
#include "ui/caption_win.h"
#include "ui/close_button_win.h"
#include "ui/install_button_win.h"
#include "ui/progress_bar_win.h"
#include "ui/progress_poster_win.h"
#include "ui/window_model.h"
#include "win/dialog.h"
#include "win/dwm_frame.h"
#include "win/png_image.h"
#include "win/unique_handle.h"

namespace cumulo {

class InstallerDialogImpl : public Dialog, public WindowView {
 public:
  InstallerDialogImpl(std::shared_ptr<MetricSender> metricSender, const AuthHandoff& handoff,
                      Language language, HWND parent);

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // WindowView
  void SendMetric(const std::wstring& name, int32_t value) override;
  void Log(const std::wstring& line, LogLevel level) override;
  void StartTimer(WindowTimer id, uint32_t periodMs) override;
  void StopTimer(WindowTimer id) override;
  void DisableInstallButton() override;
  void ApplyVisibility(const Visibility& visibility) override;
  void ShowProgress(int32_t percent, const std::wstring& label) override;
  void Repaint() override;
  void CloseWindow(WindowEnd end) override;
  void ShowNotice(const std::wstring& text, const std::wstring& caption) override;
  void ShowWarning(const std::wstring& text, const std::wstring& caption) override;
  bool AskYesNo(const std::wstring& text, const std::wstring& caption) override;
  bool RunSetupErrorDialog() override;
  void OpenInShell(const std::wstring& path) override;
  void RemoveFile(const std::wstring& path) override;
  bool IsSameUserAsExplorer() override;
  bool StartWorker() override;

  void SetFrameStyle();
  void LoadArt();
  void SetUpTexts();
  void PlaceControls();
  void MakeFonts();
  void OnPaint();
  void ReleaseTelemetry();
  HICON Icon();
  LRESULT OnCtlColor(HDC dc, HWND control);
  std::array<SubclassedControl*, kControlCount> MakeControlTable();
  SubclassedControl& ControlOf(Control control);
  std::optional<Control> FocusedControl();
  // The control with the keyboard focus when it is shown and enabled.
  std::optional<Control> FocusedUsableControl();

  std::shared_ptr<MetricSender> metricSender_;
  const AuthHandoff handoff_;
  std::shared_ptr<ProgressPoster> progressPoster_;
  const Language language_;
  const bool windows8OrLater_;

  CloseButton closeButton_;
  Caption title_;
  Caption subtitle_;
  InstallButton installButton_;
  ProgressBar progressBar_;
  Caption percentLabel_;
  Caption agreement_;
  Caption termsLink_;
  // The controls above, indexed by Control.
  const std::array<SubclassedControl*, kControlCount> controls_;

  std::unique_ptr<ArtPreload> artPreload_;
  PngImage backgroundArt_;
  PngImage logoArt_;
  HICON icon_ = nullptr;
  int scale_ = -1;
  bool painted_ = false;
  DwmExtendFrameFn dwmExtendFrame_ = nullptr;
  // Each control's text font, and the link's underlined one for its focus cue; made once
  // the scale is known.
  std::array<ScopedGdiObject, kControlCount> fonts_;
  ScopedGdiObject linkFocusFont_;

  WindowModel model_;
};

}  // namespace cumulo
