#include "ui/text_measurer_win.h"

#include <vector>

#include "ui/progress_percent.h"
#include "ui/text_font_win.h"
#include "win/gdi_scope.h"

namespace cumulo {

namespace {
// The static control's own formats: SS_LEFT wraps at words, SS_LEFTNOWORDWRAP does not.
constexpr UINT kWrappedFormat = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_CALCRECT;
constexpr UINT kOneLineFormat = DT_LEFT | DT_EXPANDTABS | DT_SINGLELINE | DT_CALCRECT;
}  // namespace

WindowTextMeasurer::WindowTextMeasurer(const std::array<HWND, kControlCount>& controls, int scale,
                                       bool windows8OrLater)
    : controls_(controls), scale_(scale), windows8OrLater_(windows8OrLater) {}

TextSize WindowTextMeasurer::Wrapped(Control control, int32_t width) {
  // The percent label never wraps.
  const UINT format = control == Control::PercentLabel ? kOneLineFormat : kWrappedFormat;
  return Measure(control, width, format);
}

TextSize WindowTextMeasurer::OneLine(Control control) {
  return Measure(control, 0, kOneLineFormat);
}

std::wstring WindowTextMeasurer::TextOf(Control control) const {
  if (control == Control::PercentLabel) return PercentLabel(100);
  HWND window = controls_[static_cast<int>(control)];
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

TextSize WindowTextMeasurer::Measure(Control control, int32_t width, UINT format) {
  const std::wstring text = TextOf(control);
  HWND window = controls_[static_cast<int>(control)];
  ScopedWindowDc dc(window);
  if (dc.Get() == nullptr || text.empty()) return {0, 0};
  ScopedGdiObject font = CreateTextFont(control, scale_, windows8OrLater_);
  ScopedSelectObject select(dc.Get(), font.Get());
  RECT r{0, 0, width, 0};
  if (DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, format) == 0) {
    return {0, 0};
  }
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace cumulo
