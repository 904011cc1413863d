#include "base/url_port.h"

#include <gtest/gtest.h>

namespace cumulo {

TEST(NamesPort, OnlyTheDigitsOfTheUrlCount) {
  const struct {
    const wchar_t* afterHost;
    uint16_t port;
    bool names;
  } cases[] = {
      {L"", 443, true},           {L"/x", 443, true},       {L":/x", 443, true},
      {L":8443", 8443, true},     {L":22/x", 22, true},     {L":80?q", 80, true},
      {L":65535#f", 65535, true}, {L":0443/", 443, true},   {L":99999/x", 34463, false},
      {L":65536", 0, false},      {L":-1/x", 65535, false}, {L":22/x", 23, false},
      {L":2a/x", 2, false},       {L": 22", 22, false},     {L":4294967739", 443, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NamesPort(c.afterHost, c.port), c.names) << c.port;
  }
}

}  // namespace cumulo
