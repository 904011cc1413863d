// The installer's icon group, stored as PNG frames, loads at every size the shell asks for.
#include <windows.h>
#include <gtest/gtest.h>

#include "res/resource.h"
#include "win_test_util.h"

namespace cumulo {

namespace {

TEST(InstallerIcon, EveryFrameLoadsFromTheInstaller) {
  // The installer sits one folder above the test program.
  const std::wstring exe = wintest::ThisFolder() + L"..\\CumuloInstaller.exe";
  HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << GetLastError();
  for (int size : {16, 32, 48, 64, 96, 128, 256}) {
    HICON icon = static_cast<HICON>(
        LoadImageW(module, MAKEINTRESOURCEW(IDI_CUMULO), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  FreeLibrary(module);
}

}  // namespace

}  // namespace cumulo
