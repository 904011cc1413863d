#include "win/dwm_frame.h"

#include "win/system_library.h"

namespace cumulo {

DwmExtendFrameFn DwmExtendFrameEntry() {
  static const DwmExtendFrameFn entry = [] {
    DwmExtendFrameFn fn = nullptr;
    (void)BindEntry(LoadSystemLibrary(L"dwmapi.dll"), "DwmExtendFrameIntoClientArea", fn);
    return fn;
  }();
  return entry;
}

}  // namespace cumulo
