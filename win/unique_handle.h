#pragma once
// One owner template for every Windows handle kind: a traits type says which value
// means "none" and how to close it. Movable, not copyable. Closing keeps GetLastError.
#include <windows.h>

#include <utility>

namespace cumulo {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::None(); }
  explicit operator bool() const { return IsValid(); }

  Handle Release() { return std::exchange(handle_, Traits::None()); }
  void Reset(Handle h = Traits::None()) {
    if (handle_ != Traits::None()) {
      const DWORD error = GetLastError();
      Traits::Close(handle_);
      SetLastError(error);
    }
    handle_ = h;
  }
  // For APIs that fill a handle through a pointer.
  Handle* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::None();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};
// Files and snapshots use INVALID_HANDLE_VALUE for "none".
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
struct LocalMemTraits {
  using Handle = HLOCAL;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle None() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

using ScopedHandle = UniqueHandle<KernelHandleTraits>;
using ScopedFile = UniqueHandle<FileHandleTraits>;
using ScopedRegKey = UniqueHandle<RegKeyTraits>;
using ScopedGdiObject = UniqueHandle<GdiObjectTraits>;
using ScopedLocal = UniqueHandle<LocalMemTraits>;
using ScopedModule = UniqueHandle<ModuleTraits>;

}  // namespace cumulo
