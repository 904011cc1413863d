#pragma once
// The port a URL names after its host, held against the one a URL splitter gave back.
#include <cstdint>
#include <string>

namespace cumulo {

// `afterHost` is the URL's text right after the host name. True when it names no port
// (nothing, or an empty one, before the path) or names exactly `port` in decimal digits;
// false for a port out of range, one with other characters, or any other number: a
// splitter that folds 99999 or -1 into range would send the request elsewhere.
bool NamesPort(const std::wstring& afterHost, uint16_t port);

}  // namespace cumulo
