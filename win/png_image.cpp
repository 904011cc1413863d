#include "win/png_image.h"

#include <objidl.h>
#include <shlwapi.h>

#include <cstring>
#include <memory>
#include <utility>
#include <gdiplus.h>

namespace cumulo {

namespace {

// GDI+ is started once for the process, on first use, and left running.
bool StartGdiplus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

struct ComRelease {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};

class GdipBitmap {
 public:
  ~GdipBitmap() {
    if (bitmap_ != nullptr) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
  }
  Gdiplus::GpBitmap** Receive() { return &bitmap_; }
  Gdiplus::GpBitmap* Get() const { return bitmap_; }

 private:
  Gdiplus::GpBitmap* bitmap_ = nullptr;
};

}  // namespace

bool PngImage::LoadFromResource(HMODULE module, int id) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  if (info == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return false;
  return LoadFromMemory(data, size);
}

bool PngImage::LoadFromMemory(const void* data, size_t size) {
  using namespace Gdiplus;
  if (data == nullptr || size == 0 || size > 0x7FFFFFFF || !StartGdiplus()) return false;
  IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size));
  if (stream == nullptr) return false;
  std::unique_ptr<IStream, ComRelease> streamOwner(stream);

  GdipBitmap source;
  if (DllExports::GdipCreateBitmapFromStream(stream, source.Receive()) != Ok) return false;
  UINT width = 0, height = 0;
  if (DllExports::GdipGetImageWidth(source.Get(), &width) != Ok ||
      DllExports::GdipGetImageHeight(source.Get(), &height) != Ok || width == 0 ||
      height == 0 || width > 16384 || height > 16384) {
    return false;
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || bits == nullptr) return false;

  // Premultiplied BGRA is exactly what AlphaBlend with AC_SRC_ALPHA expects.
  Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData locked{};
  if (DllExports::GdipBitmapLockBits(source.Get(), &whole, ImageLockModeRead,
                                     PixelFormat32bppPARGB, &locked) != Ok) {
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (UINT y = 0; y < height; ++y) {
    const auto* from = static_cast<const BYTE*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride;
    std::memcpy(static_cast<BYTE*>(bits) + y * rowBytes, from, rowBytes);
  }
  DllExports::GdipBitmapUnlockBits(source.Get(), &locked);
  GdiFlush();

  bitmap_ = std::move(dib);
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  return true;
}

void PngImage::Release() {
  bitmap_.Reset();
  width_ = height_ = 0;
}

}  // namespace cumulo
