#pragma once
// Whether an owner-drawn control shows its focus cue: it has the keyboard focus and the
// system shows focus cues (hidden until the keyboard is used, when the user so chose).
#include <windows.h>

namespace cumulo {

inline bool ShowsFocusCue(const DRAWITEMSTRUCT& item) {
  return (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;
}

}  // namespace cumulo
