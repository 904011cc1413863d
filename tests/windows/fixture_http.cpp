#include "fixture_http.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>

#include "build_config.h"
#include "win/wininet_handle.h"

namespace cumulo {

namespace fixture {
namespace {
std::wstring FromEnv(const char* name, const wchar_t* fallback) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == 0) return fallback;
  std::wstring out;
  for (const char* p = value; *p; ++p) out.push_back(static_cast<unsigned char>(*p));
  return out;
}

// One HTTPS exchange; false when it fails or the status is not 200.
bool Exchange(const std::wstring& host, const wchar_t* verb, const std::string& path,
              const std::string& body, std::string* answer) {
  const size_t colon = host.rfind(L':');
  const std::wstring server = colon == std::wstring::npos ? host : host.substr(0, colon);
  const INTERNET_PORT port =
      colon == std::wstring::npos
          ? INTERNET_DEFAULT_HTTPS_PORT
          : static_cast<INTERNET_PORT>(std::wcstoul(host.c_str() + colon + 1, nullptr, 10));
  ScopedInternetSession session;
  if (OpenInternetSession(L"fixture-control", session) != 0) return false;
  ScopedInternetConnection connection(InternetConnectW(session.Get(), server.c_str(), port, nullptr,
                                                       nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return false;
  const std::wstring object(path.begin(), path.end());
  ScopedInternetRequest request(HttpOpenRequestW(
      connection.Get(), verb, object.c_str(), L"HTTP/1.0", nullptr, nullptr,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!request) return false;
  const wchar_t headers[] = L"Content-Type: application/json\r\n";
  if (!HttpSendRequestW(request.Get(), headers, static_cast<DWORD>(-1),
                        const_cast<char*>(body.data()), static_cast<DWORD>(body.size()))) {
    return false;
  }
  DWORD status = 0;
  if (!QueryHttpStatus(request.Get(), status) || status != 200) return false;
  std::string text;
  char buffer[16384];
  DWORD got = 0;
  while (InternetReadFile(request.Get(), buffer, sizeof buffer, &got) && got > 0) {
    text.append(buffer, got);
  }
  if (answer) *answer = std::move(text);
  return true;
}

// The JSON string value after `"key": ` at or after `from` in `record`.
std::string StringField(const std::string& record, const std::string& key) {
  const std::string marker = "\"" + key + "\": \"";
  size_t at = record.find(marker);
  if (at == std::string::npos) return std::string();
  std::string out;
  for (at += marker.size(); at < record.size() && record[at] != '"'; ++at) {
    if (record[at] == '\\' && at + 1 < record.size()) {
      ++at;
      if (record[at] == 'u' && at + 4 < record.size()) {
        out.push_back(
            static_cast<char>(std::strtoul(record.substr(at + 1, 4).c_str(), nullptr, 16)));
        at += 4;
        continue;
      }
    }
    out.push_back(record[at]);
  }
  return out;
}

std::string HeaderOf(const std::string& record, const std::string& name) {
  const std::string marker = "[\"" + name + "\", \"";
  const size_t at = record.find(marker);
  if (at == std::string::npos) return std::string();
  const size_t end = record.find('"', at + marker.size());
  return record.substr(at + marker.size(), end - at - marker.size());
}

uint64_t NumberField(const std::string& record, const std::string& key) {
  const std::string marker = "\"" + key + "\": ";
  const size_t at = record.find(marker);
  if (at == std::string::npos) return 0;
  return std::strtoull(record.c_str() + at + marker.size(), nullptr, 10);
}
}  // namespace

std::wstring DistHost() { return FromEnv("CUMULO_DIST_HOST", build_config::kDistributionHost); }
std::wstring StatHost() { return FromEnv("CUMULO_STAT_HOST", build_config::kStatisticsHost); }
std::wstring NginxHost() { return FromEnv("CUMULO_NGINX_HOST", L""); }

bool Script(const std::wstring& host, const std::string& path, const std::string& responses) {
  return Exchange(host, L"POST", "/__control/script",
                  "{\"path\": \"" + path + "\", \"responses\": " + responses + "}", nullptr);
}

bool Reset(const std::wstring& host) {
  return Exchange(host, L"POST", "/__control/reset", std::string(), nullptr);
}

std::vector<Request> Requests(const std::wstring& host) {
  std::string json;
  std::vector<Request> out;
  if (!Exchange(host, L"GET", "/__control/requests", std::string(), &json)) return out;
  // Each record starts with its "time" field.
  const std::string start = "{\"time\": ";
  size_t at = json.find(start);
  while (at != std::string::npos) {
    const size_t next = json.find(start, at + 1);
    const std::string record =
        json.substr(at, next == std::string::npos ? std::string::npos : next - at);
    out.push_back({StringField(record, "path"), StringField(record, "query"),
                   HeaderOf(record, "User-Agent"), HeaderOf(record, "Range"),
                   NumberField(record, "sent")});
    at = next;
  }
  return out;
}

size_t CountPath(const std::vector<Request>& requests, const std::string& path) {
  size_t n = 0;
  for (const auto& r : requests) n += r.path == path;
  return n;
}

}  // namespace fixture

}  // namespace cumulo
