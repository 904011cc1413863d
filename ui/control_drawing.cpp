#include "ui/control_drawing.h"

#include "res/resource.h"

namespace cumulo {

uint32_t InstallButtonFill(bool enabled, bool hover, bool pressed) {
  if (!enabled) return colors::kInstallDisabled;
  if (pressed) return colors::kInstallPressed;
  if (hover) return colors::kInstallHover;
  return colors::kInstallNormal;
}

int32_t ScaledFontHeight(int32_t baseHeight, int scale, bool windows8OrLater) {
  return windows8OrLater ? baseHeight * scale : baseHeight;
}

Point InstallCaptionOrigin(const Box& item, int32_t textWidth, int32_t textHeight) {
  const int32_t width = item.right - item.left;
  const int32_t height = item.bottom - item.top;
  return {item.left + (width - textWidth) / 2, item.top + (height - textHeight) / 2 - 1};
}

int32_t InstallButtonCorner(int scale) { return 12 * scale; }
int32_t RoundPlateCorner(int scale) { return 8 * scale; }

std::optional<uint32_t> ClosePlateColor(bool hover, bool pressed) {
  if (pressed) return colors::kClosePlatePressed;
  if (hover) return colors::kClosePlateHover;
  return std::nullopt;
}

std::optional<uint32_t> ClosePlateColor(bool hover, bool pressed, bool focusCue) {
  if (auto plate = ClosePlateColor(hover, pressed)) return plate;
  if (focusCue) return colors::kClosePlateHover;
  return std::nullopt;
}

int CloseGlyphResource(int scale) { return scale == 1 ? IDB_CLOSE_1X : IDB_CLOSE_2X; }

ProgressPlan PlanProgress(const Box& item, int32_t position) {
  if (position <= 0) return {true, std::nullopt};
  if (position == 100) return {false, item};
  const int32_t capped = position > 100 ? 100 : position;
  Box fill = item;
  fill.right = item.left + (item.right - item.left) * capped / 100;
  return {true, fill};
}

bool PointerState::OnMove() {
  if (hover) return false;
  hover = true;
  return true;
}

}  // namespace cumulo
