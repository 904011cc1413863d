#pragma once
// The Windows tests' side of the fixture servers' control API, over the same TLS that
// the product uses (the per-run test CA is trusted by the prefix).
#include <cstdint>
#include <string>
#include <vector>

namespace cumulo {

namespace fixture {

// host[:port] of each role: the session's environment, else the build's setting.
std::wstring DistHost();
std::wstring StatHost();
// The session's nginx (no control API); empty when the session started none.
std::wstring NginxHost();

// Appends scripted answers for `path`; `responses` is a JSON array of answer objects.
bool Script(const std::wstring& host, const std::string& path, const std::string& responses);
bool Reset(const std::wstring& host);

struct Request {
  std::string path;
  std::string query;
  std::string userAgent;
  std::string range;  // the Range header, empty without one
  uint64_t sent = 0;  // body bytes the fixture wrote for it
};
// Every request recorded on that host's port, oldest first.
std::vector<Request> Requests(const std::wstring& host);
size_t CountPath(const std::vector<Request>& requests, const std::string& path);

}  // namespace fixture

}  // namespace cumulo
