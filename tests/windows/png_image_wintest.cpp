#include "win/png_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace cumulo {

namespace {

// 2 x 2 RGBA: red opaque, blue at alpha 128 / green opaque, fully transparent.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72, 0xb6, 0x0d,
    0x24, 0x00, 0x00, 0x00, 0x14, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0x00,
    0x42, 0x0d, 0x20, 0x0a, 0xc8, 0x60, 0x60, 0x00, 0x00, 0x3a, 0xdc, 0x05, 0x7c, 0x60, 0x89, 0x71,
    0xa1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

TEST(PngImage, DecodesToTopDownPremultipliedBgra) {
  PngImage image;
  ASSERT_TRUE(image.LoadFromMemory(kPng, sizeof(kPng)));
  EXPECT_EQ(image.Width(), 2);
  EXPECT_EQ(image.Height(), 2);

  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(image.Bitmap(), sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
  EXPECT_EQ(dib.dsBmih.biBitCount, 32);
  uint32_t px[4];
  std::memcpy(px, dib.dsBm.bmBits, sizeof(px));
  // In memory order: the first row first (top-down).
  EXPECT_EQ(px[0], 0xFFFF0000u);  // red, opaque
  // Blue at half alpha, premultiplied: 255 * 128 / 255.
  EXPECT_EQ(px[1] >> 24, 128u);
  EXPECT_NEAR(static_cast<int>(px[1] & 0xFF), 128, 1);
  EXPECT_EQ(px[2], 0xFF00FF00u);  // green, second row
  EXPECT_EQ(px[3], 0u);

  image.Release();
  EXPECT_FALSE(image.IsLoaded());
}

TEST(PngImage, RejectsWhatIsNoImage) {
  PngImage image;
  const unsigned char junk[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(image.LoadFromMemory(junk, sizeof(junk)));
  EXPECT_FALSE(image.LoadFromMemory(kPng, 20));  // cut short
  EXPECT_FALSE(image.LoadFromMemory(nullptr, 0));
  EXPECT_FALSE(image.LoadFromResource(GetModuleHandleW(nullptr), 12345));
  EXPECT_FALSE(image.IsLoaded());
}

}  // namespace

}  // namespace cumulo
