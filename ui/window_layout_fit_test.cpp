#include "ui/window_layout_fit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace cumulo {

namespace {

// Every character `charWidth` wide and every line `lineHeight` high; lines break at blanks.
class FakeMeasurer : public TextMeasurer {
 public:
  struct Text {
    std::string text;
    int32_t charWidth, lineHeight;
  };
  std::map<Control, Text> texts;

  TextSize Wrapped(Control c, int32_t width) override {
    const Text& t = texts.at(c);
    int32_t lines = 0, widest = 0, current = -1;
    size_t start = 0;
    while (start <= t.text.size()) {
      size_t end = t.text.find(' ', start);
      if (end == std::string::npos) end = t.text.size();
      const int32_t word = static_cast<int32_t>(end - start) * t.charWidth;
      if (current < 0 || current + t.charWidth + word > width) {
        if (current >= 0) widest = std::max(widest, current);
        ++lines;
        current = word;
      } else {
        current += t.charWidth + word;
      }
      start = end + 1;
    }
    widest = std::max(widest, current);
    return {widest, lines * t.lineHeight};
  }
  TextSize OneLine(Control c) override {
    const Text& t = texts.at(c);
    return {static_cast<int32_t>(t.text.size()) * t.charWidth, t.lineHeight};
  }
};

// Texts that fit the design at scale `s`: about the English window on Windows.
FakeMeasurer Fitting(int s) {
  FakeMeasurer m;
  m.texts[Control::Title] = {"Join 1 million Cumulo: users", 16 * s, 44 * s};
  m.texts[Control::Subtitle] = {"The most popular clouds are ready to use on your computer", 6 * s,
                                26 * s};
  m.texts[Control::PercentLabel] = {"100 %", 8 * s, 20 * s};
  m.texts[Control::Agreement] = {"By pressing the \"Install\" button you agree with", 8 * s,
                                 17 * s};
  m.texts[Control::TermsLink] = {"terms and conditions", 8 * s, 17 * s};
  return m;
}

int32_t Bottom(const PixelRect& r) { return r.y + r.height; }
const PixelRect& Of(const Placements& p, Control c) { return p[static_cast<int>(c)]; }

void ExpectSame(const PixelRect& a, const PixelRect& b, const char* what) {
  EXPECT_EQ(a.x, b.x) << what;
  EXPECT_EQ(a.y, b.y) << what;
  EXPECT_EQ(a.width, b.width) << what;
  EXPECT_EQ(a.height, b.height) << what;
}

TEST(LayoutFit, TextsThatFitKeepTheDesignAtBothScales) {
  for (int s : {1, 2}) {
    FakeMeasurer m = Fitting(s);
    const Placements p = FitLayout(s, m);
    for (Control c : kControlsInOrder) {
      ExpectSame(Of(p, c), ScaledPlacement(c, s), "scale");
    }
  }
}

TEST(LayoutFit, OneLineBoxesGrowSidewaysToKeepTheirLine) {
  for (int s : {1, 2}) {
    FakeMeasurer m = Fitting(s);
    m.texts[Control::TermsLink] = {"a-licence-agreement-link", 9 * s, 19 * s};  // 216 > 168
    m.texts[Control::PercentLabel] = {"100 %", 11 * s, 22 * s};                 // 55 > 40
    const Placements p = FitLayout(s, m);
    const PixelRect link = Of(p, Control::TermsLink);
    const PixelRect designed = ScaledPlacement(Control::TermsLink, s);
    EXPECT_EQ(link.x, designed.x);
    EXPECT_EQ(link.y, designed.y);
    EXPECT_EQ(link.width, 216 * s);
    EXPECT_EQ(link.height, designed.height);  // 19 fits the designed 20
    const PixelRect percent = Of(p, Control::PercentLabel);
    EXPECT_EQ(percent.x, 226 * s);
    EXPECT_EQ(percent.width, 55 * s);
    EXPECT_EQ(percent.height, 22 * s);  // taller than the designed 20
  }
}

TEST(LayoutFit, AOneLineBoxTooWideForTheWindowWrapsDownwards) {
  FakeMeasurer m = Fitting(1);
  m.texts[Control::TermsLink] = {std::string(60, 'x') + " " + std::string(60, 'y'), 8, 17};
  const Placements p = FitLayout(1, m);
  const PixelRect link = Of(p, Control::TermsLink);
  EXPECT_EQ(link.width, 1000 - 80);  // up to the right margin
  EXPECT_EQ(link.height, 34);        // two lines
  EXPECT_EQ(link.y, 623);
}

TEST(LayoutFit, ATallerTitlePushesOnlyWhatIsInItsWay) {
  FakeMeasurer m = Fitting(1);
  // Three lines of 44: the title needs 132 of its 100; the subtitle moves below it.
  m.texts[Control::Title] = {"aaaaaaaaaa bbbbbbbbbb cccccccccc", 40, 44};
  const Placements p = FitLayout(1, m);
  EXPECT_EQ(Of(p, Control::Title).height, 132);
  EXPECT_EQ(Of(p, Control::Subtitle).y, 197 + 132 + 8);
  // The subtitle still ends above the button: the button and everything below stay.
  for (Control c : {Control::InstallButton, Control::ProgressBar, Control::PercentLabel,
                    Control::Agreement, Control::TermsLink, Control::CloseButton}) {
    ExpectSame(Of(p, c), ScaledPlacement(c, 1), "stays");
  }
}

TEST(LayoutFit, TheButtonGroupMovesTogetherWhenTheSubtitleReachesIt) {
  FakeMeasurer m = Fitting(2);
  m.texts[Control::Title] = {"aaaaaaaaaa bbbbbbbbbb cccccccccc", 80, 88};   // 264 high
  m.texts[Control::Subtitle] = {"aaaa bbbb cccc dddd eeee ffff", 100, 52};  // 6 lines: 312
  const Placements p = FitLayout(2, m);
  const int32_t subtitleBottom = Bottom(Of(p, Control::Subtitle));
  EXPECT_EQ(subtitleBottom, 394 + 264 + 16 + 312);
  const int32_t shift = subtitleBottom + 16 - 858;
  ASSERT_GT(shift, 0);
  for (Control c : {Control::InstallButton, Control::ProgressBar, Control::PercentLabel}) {
    EXPECT_EQ(Of(p, c).y, ScaledPlacement(c, 2).y + shift);
  }
  EXPECT_GE(Of(p, Control::Agreement).y, Bottom(Of(p, Control::PercentLabel)) + 16);
  EXPECT_GE(Of(p, Control::TermsLink).y, Of(p, Control::Agreement).y + 17 * 2);
}

TEST(LayoutFit, TheLinkFollowsAnAgreementThatWraps) {
  for (int s : {1, 2}) {
    FakeMeasurer m = Fitting(s);
    // Two lines at the agreement's 408: the link goes under the second one.
    m.texts[Control::Agreement] = {std::string(30, 'a') + " " + std::string(30, 'b'), 8 * s,
                                   17 * s};
    const Placements p = FitLayout(s, m);
    EXPECT_EQ(Of(p, Control::Agreement).y, 604 * s);
    EXPECT_EQ(Of(p, Control::Agreement).height, 52 * s);
    EXPECT_EQ(Of(p, Control::TermsLink).y, 604 * s + 34 * s);
    EXPECT_EQ(Of(p, Control::TermsLink).x, 80 * s);
  }
}

TEST(LayoutFit, AWordWiderThanItsBoxWidensTheBox) {
  FakeMeasurer m = Fitting(1);
  m.texts[Control::Subtitle] = {"short " + std::string(50, 'w') + " end", 10, 26};  // 500 > 400
  const Placements p = FitLayout(1, m);
  EXPECT_EQ(Of(p, Control::Subtitle).width, 500);
  EXPECT_EQ(Of(p, Control::Subtitle).height, 78);  // three lines at the new width
  EXPECT_EQ(Of(p, Control::Subtitle).y, 305);
}

TEST(LayoutFit, WhichBoxesHoldOneLine) {
  EXPECT_TRUE(IsOneLineBox(Control::TermsLink));
  EXPECT_TRUE(IsOneLineBox(Control::PercentLabel));
  EXPECT_FALSE(IsOneLineBox(Control::Title));
  EXPECT_FALSE(IsOneLineBox(Control::Subtitle));
  EXPECT_FALSE(IsOneLineBox(Control::Agreement));
  EXPECT_FALSE(IsTextControl(Control::InstallButton));
  EXPECT_FALSE(IsTextControl(Control::CloseButton));
  EXPECT_FALSE(IsTextControl(Control::ProgressBar));
}

}  // namespace

}  // namespace cumulo
