#pragma once
// The drawing rules of the window's own controls as plain geometry and colours; the
// Win32 controls only carry them out.
#include <cstdint>
#include <optional>

namespace cumulo {

constexpr uint32_t RgbColor(uint32_t r, uint32_t g, uint32_t b) {
  return r | (g << 8) | (b << 16);  // 0x00BBGGRR
}

namespace colors {
constexpr uint32_t kInstallDisabled = RgbColor(231, 231, 231);
constexpr uint32_t kInstallNormal = RgbColor(0, 113, 255);
constexpr uint32_t kInstallHover = RgbColor(0, 108, 245);
constexpr uint32_t kInstallPressed = RgbColor(0, 106, 235);
constexpr uint32_t kInstallCaption = RgbColor(255, 255, 255);
constexpr uint32_t kClosePlateHover = RgbColor(245, 245, 247);
constexpr uint32_t kClosePlatePressed = RgbColor(229, 231, 236);
constexpr uint32_t kProgressTrack = RgbColor(224, 224, 224);
constexpr uint32_t kProgressFill = RgbColor(0, 113, 255);
constexpr uint32_t kWindowBorder = RgbColor(0, 113, 255);
constexpr uint32_t kFocusOutline = RgbColor(0, 113, 255);
}  // namespace colors

// Disabled wins over pressed, pressed over hover.
uint32_t InstallButtonFill(bool enabled, bool hover, bool pressed);

// Text sizes grow with the display only on Windows 8 and later.
int32_t ScaledFontHeight(int32_t baseHeight, int scale, bool windows8OrLater);
constexpr int32_t kInstallFontHeight = 20;

struct Point {
  int32_t x, y;
};
struct Box {
  int32_t left, top, right, bottom;
};
// Centred, one pixel above the middle; divisions drop the remainder toward zero.
Point InstallCaptionOrigin(const Box& item, int32_t textWidth, int32_t textHeight);

int32_t InstallButtonCorner(int scale);  // 12 * scale
int32_t RoundPlateCorner(int scale);     // 8 * scale: close plate and progress bar

// The close button's hover plate, none in the normal state.
std::optional<uint32_t> ClosePlateColor(bool hover, bool pressed);
// With the keyboard's focus cue the plate shows as under the pointer, outlined in the
// window's blue (colors::kFocusOutline).
std::optional<uint32_t> ClosePlateColor(bool hover, bool pressed, bool focusCue);
int CloseGlyphResource(int scale);
constexpr int32_t kCloseGlyphSize = 48;

struct ProgressPlan {
  bool track;               // the whole rectangle in the track colours
  std::optional<Box> fill;  // the fill rectangle, in the fill colours
};
ProgressPlan PlanProgress(const Box& item, int32_t position);

// The hover and pressed flags every interactive control keeps from mouse messages.
struct PointerState {
  bool hover = false;
  bool pressed = false;
  // Returns true when a leave notification must be requested (hover just began).
  bool OnMove();
  void OnDown() { pressed = true; }
  void OnUp() { pressed = false; }
  void OnLeave() { hover = pressed = false; }
};

}  // namespace cumulo
