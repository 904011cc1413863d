#include "ui/art_preload_win.h"

#include <system_error>
#include <utility>

#include "ui/window_layout.h"
#include "win/alpha_blend.h"

namespace cumulo {

ArtPreload::ArtPreload(int scale, Language language) : scale_(scale), language_(language) {
  try {
    thread_ = std::thread([this] {
      try {
        art_ = Decode(scale_, language_);
        decoded_ = true;
      } catch (...) {
        // Out of memory on this thread: Take decodes again on the window's.
      }
    });
  } catch (const std::system_error&) {
    // No thread: Take decodes on the caller's thread, as if nothing had been started.
  }
}

ArtPreload::~ArtPreload() { Join(); }

void ArtPreload::Join() {
  if (thread_.joinable()) thread_.join();
}

WindowArt ArtPreload::Take(int scale) {
  Join();  // the join orders the thread's writes before the reads below
  if (!decoded_ || scale != scale_) return Decode(scale, language_);
  decoded_ = false;
  return std::move(art_);
}

WindowArt ArtPreload::Decode(int scale, Language language) {
  // The blending the art is drawn with, loaded here rather than at the first paint.
  (void)AlphaBlendEntry();
  HMODULE module = GetModuleHandleW(nullptr);
  WindowArt art;
  // A missing image leaves its area unpainted; nothing else depends on it.
  (void)art.background.LoadFromResource(module, BackgroundArtId(scale));
  (void)art.logo.LoadFromResource(module, LogoArtId(scale, language));
  return art;
}

}  // namespace cumulo
