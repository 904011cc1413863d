#include "ui/window_layout.h"

#include <gtest/gtest.h>

#include "install/install_outcome.h"
#include "res/resource.h"

namespace cumulo {

namespace {

TEST(DisplayScale, FromDensity) {
  const struct {
    int dpi, scale;
  } cases[] = {{72, 2},  {95, 2},  {96, 1},  {120, 1}, {144, 1}, {191, 1},
               {192, 2}, {288, 2}, {384, 2}, {0, 2},   {-96, 2}};
  for (const auto& c : cases) EXPECT_EQ(DisplayScaleFromDpi(c.dpi), c.scale) << c.dpi;
}

TEST(Layout, PlacementIsScaledAndInMemberOrder) {
  const PixelRect install = ScaledPlacement(Control::InstallButton, 2);
  EXPECT_EQ(install.x, 160);
  EXPECT_EQ(install.y, 858);
  EXPECT_EQ(install.width, 368);
  EXPECT_EQ(install.height, 96);
  EXPECT_EQ(ControlResourceId(kControlsInOrder.front()), IDC_CLOSE);
  // The link is placed last, so it lies above the agreement text that contains it.
  EXPECT_EQ(ControlResourceId(kControlsInOrder.back()), IDC_TERMS_LINK);
  EXPECT_EQ(LayoutOf(Control::TermsLink).textColor, 0xFF7100u);
  EXPECT_EQ(LayoutOf(Control::PercentLabel).textColor, 0xF95F00u);
  EXPECT_EQ(LayoutOf(Control::Title).lineHeight, 44);
}

TEST(Layout, ArtByScaleAndLanguage) {
  EXPECT_EQ(BackgroundArtId(1), IDB_BACKGROUND_1X);
  EXPECT_EQ(BackgroundArtId(2), IDB_BACKGROUND_2X);
  EXPECT_EQ(LogoArtId(1, Language::Russian), IDB_LOGO_RU_1X);
  EXPECT_EQ(LogoArtId(2, Language::Russian), IDB_LOGO_RU_2X);
  EXPECT_EQ(LogoArtId(1, Language::English), IDB_LOGO_EN_1X);
  EXPECT_EQ(LogoArtId(2, Language::English), IDB_LOGO_EN_2X);
}

TEST(Layout, VisibilityByOutcome) {
  const auto idle = VisibilityFor(InstallOutcome::Idle);
  const auto running = VisibilityFor(InstallOutcome::Running);
  ASSERT_TRUE(idle && running);
  const bool expectIdle[] = {true, true, true, true, false, false, true, true};
  const bool expectRunning[] = {true, true, true, false, true, true, false, false};
  for (int i = 0; i < kControlCount; ++i) {
    EXPECT_EQ((*idle)[i], expectIdle[i]) << i;
    EXPECT_EQ((*running)[i], expectRunning[i]) << i;
  }
  for (int32_t other : {2, 3, 7, 8, -1, 99}) {
    EXPECT_FALSE(VisibilityFor(static_cast<InstallOutcome>(other))) << other;
  }
}

TEST(Layout, FocusMovesOffAControlTheStateHides) {
  const Visibility idle = *VisibilityFor(InstallOutcome::Idle);
  const Visibility running = *VisibilityFor(InstallOutcome::Running);
  // Starting: Install and the link go, the bar takes the focus.
  EXPECT_EQ(FocusAfter(running, Control::InstallButton), Control::ProgressBar);
  EXPECT_EQ(FocusAfter(running, Control::TermsLink), Control::ProgressBar);
  // Back to ready: the bar goes, Install takes the focus.
  EXPECT_EQ(FocusAfter(idle, Control::ProgressBar), Control::InstallButton);
  // A control that stays keeps it, and no focus stays none.
  EXPECT_FALSE(FocusAfter(running, Control::CloseButton));
  EXPECT_FALSE(FocusAfter(idle, Control::TermsLink));
  EXPECT_FALSE(FocusAfter(idle, Control::InstallButton));
  EXPECT_FALSE(FocusAfter(running, std::nullopt));
}

}  // namespace

}  // namespace cumulo
