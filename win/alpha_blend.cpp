#include "win/alpha_blend.h"

#include "win/system_library.h"

namespace cumulo {

AlphaBlendFn AlphaBlendEntry() {
  static const AlphaBlendFn entry = [] {
    AlphaBlendFn fn = nullptr;
    (void)BindEntry(LoadSystemLibrary(L"msimg32.dll"), "AlphaBlend", fn);
    return fn;
  }();
  return entry;
}

}  // namespace cumulo
