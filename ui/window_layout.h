#pragma once
// Where the installer window's controls go, how large, in which colours, and which of
// them an outcome shows. Pixels at scale 1; the window multiplies by its scale.
#include <array>
#include <cstdint>
#include <optional>

#include "install/install_outcome.h"
#include "ui/ui_language.h"

namespace cumulo {

// The window's controls in placement order: each placed control goes to the top of the
// z-order, so later ones lie above earlier ones (the terms link above the agreement text).
enum class Control : int {
  CloseButton,
  Title,
  Subtitle,
  InstallButton,
  ProgressBar,
  PercentLabel,
  Agreement,
  TermsLink,
};
constexpr int kControlCount = 8;
constexpr std::array<Control, kControlCount> kControlsInOrder = {
    Control::CloseButton, Control::Title,        Control::Subtitle,  Control::InstallButton,
    Control::ProgressBar, Control::PercentLabel, Control::Agreement, Control::TermsLink};

struct ControlLayout {
  int32_t x, y, width, height;
  uint32_t textColor;  // 0x00BBGGRR
  int32_t lineHeight;  // 0 for controls that draw themselves
};

int ControlResourceId(Control control);
const ControlLayout& LayoutOf(Control control);

struct PixelRect {
  int32_t x, y, width, height;
};
PixelRect ScaledPlacement(Control control, int scale);

constexpr int32_t kWindowWidth = 1080;
constexpr int32_t kWindowHeight = 680;
constexpr int32_t kLogoX = 80, kLogoY = 97, kLogoWidth = 136, kLogoHeight = 68;

// 96..191 dpi give 1, 192 and above 2, and a density below 96 gives 2 as well.
int DisplayScaleFromDpi(int dpi);

// PNG resources for a scale and language.
int BackgroundArtId(int scale);
int LogoArtId(int scale, Language language);

using Visibility = std::array<bool, kControlCount>;  // indexed by Control
// InstallOutcome::Idle and InstallOutcome::Running have a visibility; any other outcome leaves it
// as it is.
std::optional<Visibility> VisibilityFor(InstallOutcome outcome);

// Where the keyboard focus goes when `visibility` hides the focused control: to the
// Install button when it shows, else to the progress bar in its place, so that the system
// does not hand it to the next tab stop (the close button, which Enter would press).
// None when the focus may stay.
std::optional<Control> FocusAfter(const Visibility& visibility, std::optional<Control> focused);

}  // namespace cumulo
