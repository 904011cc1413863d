#include "ui/window_layout.h"

#include "install/install_outcome.h"
#include "res/resource.h"

namespace cumulo {

namespace {
constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

constexpr uint32_t kDarkText = Rgb(51, 51, 51);
constexpr std::array<ControlLayout, kControlCount> kLayout = {{
    {1024, 8, 48, 48, 0, 0},                   // close button
    {80, 197, 488, 100, kDarkText, 44},        // title
    {80, 305, 400, 52, kDarkText, 26},         // subtitle
    {80, 429, 184, 48, 0, 0},                  // Install button
    {80, 451, 332, 6, 0, 0},                   // progress bar
    {226, 468, 40, 20, Rgb(0, 95, 249), 20},   // percent label
    {80, 604, 408, 52, kDarkText, 17},         // agreement text
    {80, 623, 168, 20, Rgb(0, 113, 255), 17},  // terms link
}};
constexpr std::array<int, kControlCount> kResourceIds = {IDC_CLOSE,     IDC_TITLE,     IDC_SUBTITLE,
                                                         IDC_INSTALL,   IDC_PROGRESS,  IDC_PERCENT,
                                                         IDC_AGREEMENT, IDC_TERMS_LINK};
}  // namespace

int ControlResourceId(Control control) { return kResourceIds[static_cast<int>(control)]; }

const ControlLayout& LayoutOf(Control control) { return kLayout[static_cast<int>(control)]; }

PixelRect ScaledPlacement(Control control, int scale) {
  const ControlLayout& l = LayoutOf(control);
  return {l.x * scale, l.y * scale, l.width * scale, l.height * scale};
}

int DisplayScaleFromDpi(int dpi) {
  const int quotient = dpi / 96;
  return quotient == 1 || quotient == 2 ? quotient : 2;
}

int BackgroundArtId(int scale) { return scale == 1 ? IDB_BACKGROUND_1X : IDB_BACKGROUND_2X; }

int LogoArtId(int scale, Language language) {
  if (language == Language::Russian) return scale == 1 ? IDB_LOGO_RU_1X : IDB_LOGO_RU_2X;
  return scale == 1 ? IDB_LOGO_EN_1X : IDB_LOGO_EN_2X;
}

std::optional<Visibility> VisibilityFor(InstallOutcome outcome) {
  if (outcome != InstallOutcome::Idle && outcome != InstallOutcome::Running) return std::nullopt;
  const bool idle = outcome == InstallOutcome::Idle;
  Visibility v{};
  v[static_cast<int>(Control::CloseButton)] = true;
  v[static_cast<int>(Control::Title)] = true;
  v[static_cast<int>(Control::Subtitle)] = true;
  v[static_cast<int>(Control::InstallButton)] = idle;
  v[static_cast<int>(Control::ProgressBar)] = !idle;
  v[static_cast<int>(Control::PercentLabel)] = !idle;
  v[static_cast<int>(Control::Agreement)] = idle;
  v[static_cast<int>(Control::TermsLink)] = idle;
  return v;
}

std::optional<Control> FocusAfter(const Visibility& visibility, std::optional<Control> focused) {
  if (!focused || visibility[static_cast<int>(*focused)]) return std::nullopt;
  if (visibility[static_cast<int>(Control::InstallButton)]) return Control::InstallButton;
  return Control::ProgressBar;
}

}  // namespace cumulo
