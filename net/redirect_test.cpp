#include "net/redirect.h"

#include <gtest/gtest.h>

namespace cumulo {

TEST(Redirect, ResolvesReferencesAsRfc3986Says) {
  // The examples of RFC 3986 section 5.4, normal and abnormal, over an https base.
  const std::wstring base = L"https://a/b/c/d;p?q";
  const struct {
    const wchar_t* reference;
    const wchar_t* target;
  } cases[] = {
      {L"g:h", L"g:h"},
      {L"g", L"https://a/b/c/g"},
      {L"./g", L"https://a/b/c/g"},
      {L"g/", L"https://a/b/c/g/"},
      {L"/g", L"https://a/g"},
      {L"//g", L"https://g"},
      {L"?y", L"https://a/b/c/d;p?y"},
      {L"g?y", L"https://a/b/c/g?y"},
      {L"#s", L"https://a/b/c/d;p?q"},
      {L"g#s", L"https://a/b/c/g"},
      {L"g?y#s", L"https://a/b/c/g?y"},
      {L";x", L"https://a/b/c/;x"},
      {L"g;x", L"https://a/b/c/g;x"},
      {L"", L"https://a/b/c/d;p?q"},
      {L".", L"https://a/b/c/"},
      {L"./", L"https://a/b/c/"},
      {L"..", L"https://a/b/"},
      {L"../", L"https://a/b/"},
      {L"../g", L"https://a/b/g"},
      {L"../..", L"https://a/"},
      {L"../../g", L"https://a/g"},
      {L"../../../g", L"https://a/g"},
      {L"../../../../g", L"https://a/g"},
      {L"/./g", L"https://a/g"},
      {L"/../g", L"https://a/g"},
      {L"g.", L"https://a/b/c/g."},
      {L".g", L"https://a/b/c/.g"},
      {L"g..", L"https://a/b/c/g.."},
      {L"..g", L"https://a/b/c/..g"},
      {L"./../g", L"https://a/b/g"},
      {L"./g/.", L"https://a/b/c/g/"},
      {L"g/./h", L"https://a/b/c/g/h"},
      {L"g/../h", L"https://a/b/c/h"},
      {L"g;x=1/./y", L"https://a/b/c/g;x=1/y"},
      {L"g;x=1/../y", L"https://a/b/c/y"},
      {L"g?y/./x", L"https://a/b/c/g?y/./x"},
      {L"g#s/../x", L"https://a/b/c/g"},
      {L"https:g", L"https:g"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ResolveReference(base, c.reference).value_or(L"(none)"), c.target) << c.reference;
  }
  EXPECT_EQ(ResolveReference(L"https://h", L"x").value_or(L"(none)"), L"https://h/x");
  EXPECT_FALSE(ResolveReference(L"/no/scheme", L"x"));
}

TEST(Redirect, FollowsOnlyToHttpsUrlsWithAHost) {
  const std::wstring current = L"https://dist.example:8443/cumulo/setup.exe?x=1";
  const struct {
    const wchar_t* location;
    const wchar_t* target;  // null: not followed
  } cases[] = {
      {L"https://cdn.example/p/setup.exe", L"https://cdn.example/p/setup.exe"},
      {L"HTTPS://cdn.example/a/../b", L"https://cdn.example/b"},
      {L"/other/setup.exe", L"https://dist.example:8443/other/setup.exe"},
      {L"//cdn.example/setup.exe", L"https://cdn.example/setup.exe"},
      {L"mirror.exe", L"https://dist.example:8443/cumulo/mirror.exe"},
      {L"?y=2", L"https://dist.example:8443/cumulo/setup.exe?y=2"},
      {L"https://cdn.example:80/x", L"https://cdn.example:80/x"},
      {L"http://cdn.example/setup.exe", nullptr},
      {L"HTTP://cdn.example/setup.exe", nullptr},
      {L"ftp://cdn.example/setup.exe", nullptr},
      {L"file:///C:/setup.exe", nullptr},
      {L"javascript:alert(1)", nullptr},
      {L"https:setup.exe", nullptr},
      {L"https:///setup.exe", nullptr},
      {L"https://:443/setup.exe", nullptr},
      {L"https://user:pw@cdn.example/setup.exe", nullptr},
      {L"//user@cdn.example/setup.exe", nullptr},
      {L"https://cdn.example/a b", nullptr},
      {L"https://cdn.example/\x00e9", nullptr},
      {L"https://cdn.example/\r\nX: y", nullptr},
  };
  for (const auto& c : cases) {
    const auto target = RedirectTarget(current, c.location);
    if (c.target) {
      EXPECT_EQ(target.value_or(L"(none)"), c.target) << c.location;
    } else {
      EXPECT_FALSE(target) << c.location;
    }
  }
  EXPECT_TRUE(RedirectTarget(current, L"/" + std::wstring(4095, L'x')));
  EXPECT_FALSE(RedirectTarget(current, L"/" + std::wstring(4096, L'x')));
}

TEST(Redirect, TheFiveRedirectStatuses) {
  for (uint32_t status = 0; status < 1000; ++status) {
    const bool redirects =
        status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    EXPECT_EQ(IsRedirectStatus(status), redirects) << status;
  }
}

}  // namespace cumulo
