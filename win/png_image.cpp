#include "win/png_image.h"

#include <objidl.h>
#include <shlwapi.h>

#include <gdiplus.h>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "win/system_library.h"

namespace cumulo {

namespace {

// GDI+ is loaded from the system folder by full path and started once for the process,
// on first use, and left running. Loading it at run time keeps it off the start-up path
// (the window's art is decoded on a thread of its own) and never searches the folder the
// installer was downloaded to.
struct GdiplusApi {
  using StartupFn = Gdiplus::Status(WINAPI*)(ULONG_PTR*, const Gdiplus::GdiplusStartupInput*,
                                             Gdiplus::GdiplusStartupOutput*);
  using FromStreamFn = Gdiplus::GpStatus(WINGDIPAPI*)(IStream*, Gdiplus::GpBitmap**);
  using DisposeFn = Gdiplus::GpStatus(WINGDIPAPI*)(Gdiplus::GpImage*);
  using SizeFn = Gdiplus::GpStatus(WINGDIPAPI*)(Gdiplus::GpImage*, UINT*);
  using LockFn = Gdiplus::GpStatus(WINGDIPAPI*)(Gdiplus::GpBitmap*, const Gdiplus::GpRect*, UINT,
                                                Gdiplus::PixelFormat, Gdiplus::BitmapData*);
  using UnlockFn = Gdiplus::GpStatus(WINGDIPAPI*)(Gdiplus::GpBitmap*, Gdiplus::BitmapData*);

  decltype(&::SHCreateMemStream) createMemStream = nullptr;  // shlwapi's
  StartupFn startup = nullptr;
  FromStreamFn createFromStream = nullptr;
  DisposeFn dispose = nullptr;
  SizeFn width = nullptr;
  SizeFn height = nullptr;
  LockFn lockBits = nullptr;
  UnlockFn unlockBits = nullptr;
  bool started = false;
};

const GdiplusApi& GdiplusLibrary() {
  static const GdiplusApi api = [] {
    GdiplusApi a;
    // Stays loaded for the process, as the started library must.
    HMODULE module = LoadSystemLibrary(L"gdiplus.dll");
    if (!BindEntry(LoadSystemLibrary(L"shlwapi.dll"), "SHCreateMemStream", a.createMemStream) ||
        !BindEntry(module, "GdiplusStartup", a.startup) ||
        !BindEntry(module, "GdipCreateBitmapFromStream", a.createFromStream) ||
        !BindEntry(module, "GdipDisposeImage", a.dispose) ||
        !BindEntry(module, "GdipGetImageWidth", a.width) ||
        !BindEntry(module, "GdipGetImageHeight", a.height) ||
        !BindEntry(module, "GdipBitmapLockBits", a.lockBits) ||
        !BindEntry(module, "GdipBitmapUnlockBits", a.unlockBits)) {
      return a;
    }
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    a.started = a.startup(&token, &input, nullptr) == Gdiplus::Ok;
    return a;
  }();
  return api;
}

struct ComRelease {
  void operator()(IUnknown* p) const {
    if (p != nullptr) p->Release();
  }
};

class GdipBitmap {
 public:
  ~GdipBitmap() {
    if (bitmap_ != nullptr) GdiplusLibrary().dispose(bitmap_);
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
  const GdiplusApi& gdip = GdiplusLibrary();
  if (data == nullptr || size == 0 || size > 0x7FFFFFFF || !gdip.started) return false;
  IStream* stream = gdip.createMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size));
  if (stream == nullptr) return false;
  std::unique_ptr<IStream, ComRelease> streamOwner(stream);

  GdipBitmap source;
  if (gdip.createFromStream(stream, source.Receive()) != Ok) return false;
  UINT width = 0, height = 0;
  if (gdip.width(source.Get(), &width) != Ok || gdip.height(source.Get(), &height) != Ok ||
      width == 0 || height == 0 || width > 16384 || height > 16384) {
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
  if (gdip.lockBits(source.Get(), &whole, ImageLockModeRead, PixelFormat32bppPARGB, &locked) !=
      Ok) {
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  for (UINT y = 0; y < height; ++y) {
    const auto* from =
        static_cast<const BYTE*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride;
    std::memcpy(static_cast<BYTE*>(bits) + y * rowBytes, from, rowBytes);
  }
  gdip.unlockBits(source.Get(), &locked);
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
