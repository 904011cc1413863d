#pragma once
// The --params container: URL-query-style key=value pairs from the web page.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "net/metric_sender.h"

namespace cumulo {

using LaunchParams = std::unordered_map<std::string, std::string>;

// Reads the command line itself (Windows builds).
LaunchParams ParseLaunchParams(std::shared_ptr<MetricSender> sender);
// The same over a given argument list; `lastError` is what the thread's last-error code
// was when the arguments were read (sent with "err_read_container").
LaunchParams ParseLaunchParamsFrom(const std::vector<std::wstring>& args, uint32_t lastError,
                                   const std::shared_ptr<MetricSender>& sender);
void ParseContainerEntry(const std::string& piece, LaunchParams& map,
                         const std::shared_ptr<MetricSender>& sender);
std::string UrlDecode(const std::string& text);

}  // namespace cumulo
