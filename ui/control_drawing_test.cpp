#include "ui/control_drawing.h"

#include <gtest/gtest.h>

#include "res/resource.h"

namespace cumulo {

namespace {

TEST(InstallButtonDrawing, FillByStateDisabledWins) {
  const struct {
    bool enabled, hover, pressed;
    uint32_t fill;
  } cases[] = {
      {true, false, false, 0xFF7100},  {true, true, false, 0xF56C00},
      {true, true, true, 0xEB6A00},    {true, false, true, 0xEB6A00},
      {false, false, false, 0xE7E7E7}, {false, true, false, 0xE7E7E7},
      {false, true, true, 0xE7E7E7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallButtonFill(c.enabled, c.hover, c.pressed), c.fill)
        << c.enabled << c.hover << c.pressed;
  }
}

TEST(InstallButtonDrawing, CaptionCentredOnePixelUp) {
  const Point p = InstallCaptionOrigin({80, 429, 264, 477}, 45, 27);
  EXPECT_EQ(p.x, 80 + (184 - 45) / 2);
  EXPECT_EQ(p.y, 429 + (48 - 27) / 2 - 1);
  // A caption wider than the button: the division drops the remainder toward zero.
  EXPECT_EQ(InstallCaptionOrigin({0, 0, 10, 10}, 15, 13).x, -2);
  EXPECT_EQ(InstallCaptionOrigin({0, 0, 10, 10}, 15, 13).y, -2);
}

TEST(InstallButtonDrawing, CornersAndFontsByScale) {
  EXPECT_EQ(InstallButtonCorner(1), 12);
  EXPECT_EQ(InstallButtonCorner(2), 24);
  EXPECT_EQ(RoundPlateCorner(2), 16);
  EXPECT_EQ(ScaledFontHeight(kInstallFontHeight, 2, true), 40);
  EXPECT_EQ(ScaledFontHeight(kInstallFontHeight, 2, false), 20);
  EXPECT_EQ(ScaledFontHeight(44, 1, true), 44);
}

TEST(CloseButtonDrawing, PlateAndGlyph) {
  EXPECT_FALSE(ClosePlateColor(false, false));
  EXPECT_EQ(*ClosePlateColor(true, false), 0xF7F5F5u);
  EXPECT_EQ(*ClosePlateColor(true, true), 0xECE7E5u);
  EXPECT_EQ(*ClosePlateColor(false, true), 0xECE7E5u);
  // The focus cue shows the hover plate; the pointer's plates win over it.
  EXPECT_FALSE(ClosePlateColor(false, false, false));
  EXPECT_EQ(*ClosePlateColor(false, false, true), 0xF7F5F5u);
  EXPECT_EQ(*ClosePlateColor(false, true, true), 0xECE7E5u);
  EXPECT_EQ(*ClosePlateColor(true, false, false), 0xF7F5F5u);
  EXPECT_EQ(CloseGlyphResource(1), IDB_CLOSE_1X);
  EXPECT_EQ(CloseGlyphResource(2), IDB_CLOSE_2X);
}

TEST(ProgressDrawing, FillWidthTruncates) {
  const Box bar{80, 451, 412, 457};
  const struct {
    int32_t position;
    bool track;
    int32_t fillWidth;  // -1: no fill
  } cases[] = {{0, true, -1},     {1, true, 3},     {50, true, 166}, {99, true, 328},
               {100, false, 332}, {150, true, 332}, {-5, true, -1}};
  for (const auto& c : cases) {
    const ProgressPlan plan = PlanProgress(bar, c.position);
    EXPECT_EQ(plan.track, c.track) << c.position;
    ASSERT_EQ(plan.fill.has_value(), c.fillWidth >= 0) << c.position;
    if (plan.fill) {
      EXPECT_EQ(plan.fill->right - plan.fill->left, c.fillWidth) << c.position;
      EXPECT_EQ(plan.fill->top, bar.top);
      EXPECT_EQ(plan.fill->bottom, bar.bottom);
    }
  }
}

TEST(PointerState, LeaveIsRequestedOnceAndClearsBoth) {
  PointerState s;
  EXPECT_TRUE(s.OnMove());
  EXPECT_FALSE(s.OnMove());
  s.OnDown();
  EXPECT_TRUE(s.pressed);
  s.OnLeave();
  EXPECT_FALSE(s.hover);
  EXPECT_FALSE(s.pressed);
  EXPECT_TRUE(s.OnMove());
}

}  // namespace

}  // namespace cumulo
