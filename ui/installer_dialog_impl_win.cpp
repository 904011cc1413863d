#include "ui/installer_dialog_impl_win.h"

#include <shellapi.h>

#include "base/journal.h"
#include "install/install_worker.h"
#include "install/process_probe.h"
#include "install/system_environment.h"
#include "net/proxy_credentials.h"
#include "res/resource.h"
#include "ui/bench_counter_win.h"
#include "ui/display_scale_win.h"
#include "ui/installation_setup_error_dialog_win.h"
#include "ui/text_font_win.h"
#include "ui/text_measurer_win.h"
#include "ui/ui_texts.h"
#include "ui/window_art_win.h"
#include "ui/window_messages.h"
#include "win/redraw_in_parent.h"

namespace cumulo {

namespace {

constexpr LONG kFramelessStyle = static_cast<LONG>(WS_POPUP | WS_CAPTION | DS_CENTER);
constexpr LONG kFrameBits =
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr UINT kFrameChangedFlags =
    SWP_FRAMECHANGED | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER;

}  // namespace

InstallerDialogImpl::InstallerDialogImpl(std::shared_ptr<MetricSender> metricSender,
                                         const AuthHandoff& handoff, Language language, HWND parent)
    : Dialog(IDD_INSTALLER, parent),
      metricSender_(std::move(metricSender)),
      handoff_(handoff),
      progressPoster_(std::make_shared<ProgressPoster>()),
      language_(language),
      windows8OrLater_(IsWindows8OrLater()),
      installButton_(windows8OrLater_),
      controls_(MakeControlTable()),
      model_(*this, language_) {
  // Looked up only on Windows 8 and later, where the window draws its own frame.
  if (windows8OrLater_) dwmExtendFrame_ = DwmExtendFrameEntry();
  artPreload_ = std::make_unique<ArtPreload>(DisplayScaleOfScreen(), language_);
}

std::array<SubclassedControl*, kControlCount> InstallerDialogImpl::MakeControlTable() {
  std::array<SubclassedControl*, kControlCount> table{};
  table[static_cast<int>(Control::CloseButton)] = &closeButton_;
  table[static_cast<int>(Control::Title)] = &title_;
  table[static_cast<int>(Control::Subtitle)] = &subtitle_;
  table[static_cast<int>(Control::InstallButton)] = &installButton_;
  table[static_cast<int>(Control::ProgressBar)] = &progressBar_;
  table[static_cast<int>(Control::PercentLabel)] = &percentLabel_;
  table[static_cast<int>(Control::Agreement)] = &agreement_;
  table[static_cast<int>(Control::TermsLink)] = &termsLink_;
  return table;
}

void InstallerDialogImpl::DoDataExchange() {
  for (Control c : kControlsInOrder) (void)Bind(ControlOf(c), ControlResourceId(c));
}

SubclassedControl& InstallerDialogImpl::ControlOf(Control control) {
  return *controls_[static_cast<int>(control)];
}

BOOL InstallerDialogImpl::OnInitDialog() {
  SetFrameStyle();
  Dialog::OnInitDialog();
  scale_ = DisplayScaleOfWindow(hwnd());
  LoadArt();
  SetWindowTextW(hwnd(), WindowTitle());
  SetInitialSize(kWindowWidth * scale_, kWindowHeight * scale_);
  SetUpTexts();
  PlaceControls();
  MakeFonts();
  progressPoster_->Attach(hwnd());
  // The proxy's login prompt, if the download meets one, belongs to this window.
  ProcessProxyCredentials().SetPromptOwner(hwnd());

  SystemFacts facts;
  facts.supportedArchitecture = IsSupportedArchitecture();
  facts.windows7OrLater = IsWindows7OrLater();
  facts.windows7Sp1OrLater = IsWindows7Sp1OrLater();
  model_.OnOpened(facts);
  // The keyboard starts on Install; the placing made the link the first tab stop.
  HWND first = IsWindowEnabled(installButton_.hwnd()) ? installButton_.hwnd() : closeButton_.hwnd();
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  return FALSE;  // the focus is set
}

void InstallerDialogImpl::SetFrameStyle() {
  if (windows8OrLater_ && dwmExtendFrame_ != nullptr) {
    SetWindowLongW(hwnd(), GWL_STYLE, kFramelessStyle);
    const MARGINS margins{0, 0, 0, 1};
    dwmExtendFrame_(hwnd(), &margins);
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, kFrameChangedFlags);
  } else {
    SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~kFrameBits);
  }
}

void InstallerDialogImpl::LoadArt() {
  WindowArt art = artPreload_->Take(scale_);
  backgroundArt_ = std::move(art.background);
  logoArt_ = std::move(art.logo);
}

void InstallerDialogImpl::SetUpTexts() {
  const WindowTexts texts = WindowTextsFor(language_);
  const std::pair<Caption*, const std::wstring*> labels[] = {{&title_, &texts.title},
                                                             {&subtitle_, &texts.subtitle},
                                                             {&percentLabel_, &texts.percent},
                                                             {&agreement_, &texts.agreement},
                                                             {&termsLink_, &texts.linkText}};
  for (const auto& [caption, text] : labels) {
    SetWindowTextW(caption->hwnd(), text->c_str());
    RedrawInParent(caption->hwnd());
  }
  installButton_.caption = texts.installCaption;
  // The owner-drawn buttons carry their captions as window texts for screen readers.
  SetWindowTextW(installButton_.hwnd(), texts.installCaption.c_str());
  SetWindowTextW(closeButton_.hwnd(), texts.closeCaption.c_str());
  progressBar_.position = 0;
  RedrawInParent(progressBar_.hwnd());
  termsLink_.linkAddress = texts.linkAddress;
}

void InstallerDialogImpl::PlaceControls() {
  std::array<HWND, kControlCount> controls{};
  for (Control c : kControlsInOrder) controls[static_cast<int>(c)] = ControlOf(c).hwnd();
  // The texts are measured with the fonts the system really gives for "Segoe UI".
  WindowTextMeasurer measurer(controls, scale_, windows8OrLater_);
  const Placements placements = FitLayout(scale_, measurer);
  for (Control c : kControlsInOrder) {
    const PixelRect& p = placements[static_cast<int>(c)];
    // Placed before the window is first shown, whose first paint draws them all.
    SetWindowPos(ControlOf(c).hwnd(), nullptr, p.x, p.y, p.width, p.height,
                 SWP_NOACTIVATE | SWP_NOREDRAW);
  }
}

void InstallerDialogImpl::MakeFonts() {
  for (Control c : kControlsInOrder) {
    fonts_[static_cast<int>(c)] = CreateTextFont(c, scale_, windows8OrLater_, false);
  }
  linkFocusFont_ = CreateTextFont(Control::TermsLink, scale_, windows8OrLater_, true);
}

std::optional<Control> InstallerDialogImpl::FocusedControl() {
  HWND focus = GetFocus();
  for (Control c : kControlsInOrder) {
    if (focus != nullptr && ControlOf(c).hwnd() == focus) return c;
  }
  return std::nullopt;
}

std::optional<Control> InstallerDialogImpl::FocusedUsableControl() {
  HWND focus = GetFocus();
  if (focus == nullptr || !IsWindowVisible(focus) || !IsWindowEnabled(focus)) return std::nullopt;
  return FocusedControl();
}

std::optional<LRESULT> InstallerDialogImpl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(Icon());
    case WM_NCCALCSIZE:
      if (windows8OrLater_ && wParam == TRUE) return 0;
      return std::nullopt;
    case WM_NCHITTEST:
      return HTCAPTION;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
      const LRESULT brush =
          OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      if (brush == 0) return std::nullopt;
      return brush;
    }
    case WM_TIMER:
      model_.OnTimer(static_cast<WindowTimer>(wParam));
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return std::nullopt;
      if (LOWORD(wParam) == IDC_INSTALL) {
        model_.OnInstallButton();
        return 0;
      }
      if (LOWORD(wParam) == IDC_CLOSE) {
        model_.OnCloseButton();
        return 0;
      }
      // The dialog manager turns Enter into IDOK and Escape (and the system's close) into
      // IDCANCEL; neither may end the window by itself.
      if (LOWORD(wParam) == IDOK) {
        model_.OnEnterKey(FocusedUsableControl());
        return 0;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        model_.OnEscapeKey();
        return 0;
      }
      return std::nullopt;
    case kWmDownloadProgress:
      model_.OnDownloadProgress(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
      return 0;
    case kWmInstallFinished:
      // Anyone may post the message; only the job's own result counts.
      if (auto result = progressPoster_->TakeFinished()) model_.OnInstallFinished(*result);
      return 0;
    case WM_DESTROY: {
      ReleaseTelemetry();
      const std::optional<InstallResult> untaken = progressPoster_->Detach();
      ProcessProxyCredentials().SetPromptOwner(nullptr);
      model_.OnWindowGone(untaken);
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

LRESULT InstallerDialogImpl::OnCtlColor(HDC dc, HWND control) {
  for (Control c : kControlsInOrder) {
    if (ControlOf(c).hwnd() != control || control == nullptr) continue;
    const ControlLayout& layout = LayoutOf(c);
    // The focused link is underlined, once the keyboard's focus cues are on.
    const bool focusCue = c == Control::TermsLink && GetFocus() == control &&
                          (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
    SelectObject(dc, focusCue ? linkFocusFont_.Get() : fonts_[static_cast<int>(c)].Get());
    SetTextColor(dc, layout.textColor);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return 0;
}

void InstallerDialogImpl::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  if (dc == nullptr) return;
  if (IsIconic(hwnd())) {
    SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, Icon());
  } else {
    PaintWindowArt(dc, backgroundArt_, logoArt_, scale_, windows8OrLater_);
  }
  EndPaint(hwnd(), &paint);
  if (!painted_) {
    painted_ = true;
    ReleaseTelemetry();
  }
}

// Drawn only for a minimised or dragged window: loaded then, not before the first paint
// (its frames are PNG and take a decoder).
HICON InstallerDialogImpl::Icon() {
  if (icon_ == nullptr) icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CUMULO));
  return icon_;
}

// Telemetry waits for the first paint, so that the window's start-up has the machine to
// itself; a window that goes before it was painted releases it too.
void InstallerDialogImpl::ReleaseTelemetry() {
  if (metricSender_) metricSender_->ReleaseDelivery();
}

void InstallerDialogImpl::SendMetric(const std::wstring& name, int32_t value) {
  if (metricSender_) metricSender_->SendMetric(name, value);
}

void InstallerDialogImpl::Log(const std::wstring& line, LogLevel level) {
  InstallLog::Instance().Write(line, level);
}

void InstallerDialogImpl::StartTimer(WindowTimer id, uint32_t periodMs) {
  SetTimer(hwnd(), static_cast<UINT_PTR>(id), periodMs, nullptr);
}

void InstallerDialogImpl::StopTimer(WindowTimer id) {
  KillTimer(hwnd(), static_cast<UINT_PTR>(id));
}

void InstallerDialogImpl::DisableInstallButton() { EnableWindow(installButton_.hwnd(), FALSE); }

void InstallerDialogImpl::ApplyVisibility(const Visibility& visibility) {
  for (Control c : kControlsInOrder) {
    if (visibility[static_cast<int>(c)]) ShowWindow(ControlOf(c).hwnd(), SW_SHOW);
  }
  // Moved before the hiding, which would otherwise pass it to the next tab stop.
  if (auto target = FocusAfter(visibility, FocusedControl())) {
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ControlOf(*target).hwnd()), TRUE);
  }
  for (Control c : kControlsInOrder) {
    if (!visibility[static_cast<int>(c)]) ShowWindow(ControlOf(c).hwnd(), SW_HIDE);
  }
}

void InstallerDialogImpl::ShowProgress(int32_t percent, const std::wstring& label) {
  CountProgressRepaint(percent);
  progressBar_.position = percent;
  RedrawInParent(progressBar_.hwnd());
  SetWindowTextW(percentLabel_.hwnd(), label.c_str());
  RedrawInParent(percentLabel_.hwnd());
}

void InstallerDialogImpl::Repaint() {
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
}

void InstallerDialogImpl::CloseWindow(WindowEnd end) { EndDialog(static_cast<INT_PTR>(end)); }

void InstallerDialogImpl::ShowNotice(const std::wstring& text, const std::wstring& caption) {
  MessageBoxW(hwnd(), text.c_str(), caption.c_str(), MB_OK);
}

void InstallerDialogImpl::ShowWarning(const std::wstring& text, const std::wstring& caption) {
  MessageBoxW(hwnd(), text.c_str(), caption.c_str(), MB_ICONWARNING);
}

bool InstallerDialogImpl::AskYesNo(const std::wstring& text, const std::wstring& caption) {
  return MessageBoxW(hwnd(), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

bool InstallerDialogImpl::RunSetupErrorDialog() {
  InstallationSetupErrorDialog dialog(hwnd(), language_);
  return dialog.DoModal() == IDOK;
}

void InstallerDialogImpl::OpenInShell(const std::wstring& path) {
  ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void InstallerDialogImpl::RemoveFile(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

bool InstallerDialogImpl::IsSameUserAsExplorer() {
  return cumulo::IsSameUserAsExplorer([](const std::string&) {});
}

bool InstallerDialogImpl::StartWorker() {
  InstallJob job;
  job.handoff = handoff_;
  job.metricSender = metricSender_;
  job.progress = progressPoster_;
  return StartInstallProcedure(std::move(job));
}

}  // namespace cumulo
