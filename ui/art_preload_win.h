#pragma once
// The window's art, decoded on a thread of its own while the window is being created:
// starting GDI+ and decoding the images is the slowest step before the first paint, and
// creating the dialog (fonts, controls) needs none of it.
#include <thread>

#include "ui/ui_language.h"
#include "win/png_image.h"

namespace cumulo {

struct WindowArt {
  PngImage background;
  PngImage logo;
};

class ArtPreload {
 public:
  // Starts decoding the art for `scale` (the scale of the screen, which a DPI-aware window
  // shares) and `language`.
  ArtPreload(int scale, Language language);
  ~ArtPreload();
  ArtPreload(const ArtPreload&) = delete;
  ArtPreload& operator=(const ArtPreload&) = delete;

  // Waits for the decode. Art for another scale than the one started is decoded here.
  WindowArt Take(int scale);

 private:
  static WindowArt Decode(int scale, Language language);
  void Join();

  const int scale_;
  const Language language_;
  WindowArt art_;
  bool decoded_ = false;
  std::thread thread_;
};

}  // namespace cumulo
