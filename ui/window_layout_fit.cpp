#include "ui/window_layout_fit.h"

#include <algorithm>

namespace cumulo {

namespace {

// The least distance between stacked boxes: the design's distance of title and subtitle.
constexpr int32_t kStackGap = 8;
// The left edge of the window's column of texts.
constexpr int32_t kColumnMargin = 80;

int32_t Bottom(const PixelRect& r) { return r.y + r.height; }

PixelRect& At(Placements& p, Control c) { return p[static_cast<int>(c)]; }

void PushBelow(PixelRect& box, int32_t top) { box.y = std::max(box.y, top); }

PixelRect FitText(Control c, int scale, TextMeasurer& measure) {
  PixelRect r = ScaledPlacement(c, scale);
  // Up to the right margin, as wide as the left column's margin.
  const int32_t maxWidth = std::max(r.width, (kWindowWidth - kColumnMargin) * scale - r.x);
  TextSize text = measure.Wrapped(c, r.width);
  if (text.width <= r.width && text.height <= r.height) return r;
  if (IsOneLineBox(c)) {
    const TextSize line = measure.OneLine(c);
    if (line.width <= maxWidth) {
      r.width = std::max(r.width, line.width);
      r.height = std::max(r.height, line.height);
      return r;
    }
    r.width = maxWidth;
  } else if (text.width > r.width) {
    r.width = std::min(text.width, maxWidth);
  }
  text = measure.Wrapped(c, r.width);
  r.height = std::max(r.height, text.height);
  return r;
}

}  // namespace

bool IsTextControl(Control control) { return LayoutOf(control).lineHeight > 0; }

bool IsOneLineBox(Control control) {
  const ControlLayout& l = LayoutOf(control);
  return l.height < 2 * l.lineHeight;
}

Placements FitLayout(int scale, TextMeasurer& measure) {
  Placements p{};
  for (Control c : kControlsInOrder) {
    At(p, c) = IsTextControl(c) ? FitText(c, scale, measure) : ScaledPlacement(c, scale);
  }
  const int32_t gap = kStackGap * scale;
  PushBelow(At(p, Control::Subtitle), Bottom(At(p, Control::Title)) + gap);

  // The button, the bar and its label take turns in one place and move together.
  const Control group[] = {Control::InstallButton, Control::ProgressBar, Control::PercentLabel};
  const int32_t shift =
      std::max(0, Bottom(At(p, Control::Subtitle)) + gap - At(p, Control::InstallButton).y);
  int32_t groupBottom = 0;
  for (Control c : group) {
    At(p, c).y += shift;
    groupBottom = std::max(groupBottom, Bottom(At(p, c)));
  }
  PixelRect& agreement = At(p, Control::Agreement);
  PixelRect& link = At(p, Control::TermsLink);
  const int32_t designed = agreement.y;
  PushBelow(agreement, groupBottom + gap);
  link.y += agreement.y - designed;

  // The link is the agreement's next line, inside the agreement's box: it starts where
  // the agreement's own text ends, never over it.
  const TextSize agreementText = measure.Wrapped(Control::Agreement, agreement.width);
  PushBelow(link, agreement.y + agreementText.height);
  return p;
}

}  // namespace cumulo
