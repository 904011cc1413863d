#pragma once
// The per-user registry store: the installation identifier and the attribution values,
// under HKEY_CURRENT_USER "Software\Aldervane\Aldervane_Cumulo".
#include <cstdint>
#include <memory>
#include <string>

#include "net/metric_sender.h"

namespace cumulo {

// The identifier for a given time value t (portable; the generator is computed here,
// not taken from the C library, so it is the same everywhere).
std::wstring GenerateInstallationIdAt(int64_t t);

// Registry operations (Windows builds).
std::wstring LoadOrCreateInstallationId();
std::wstring GenerateInstallationId();
std::wstring ReadUtm(std::shared_ptr<MetricSender> sender);
void WriteUtm(const std::wstring& utm, std::shared_ptr<MetricSender> sender);
void DeleteUtm(std::shared_ptr<MetricSender> sender);
void WriteValue(const std::wstring& name, const std::wstring& value,
                std::shared_ptr<MetricSender> sender);

}  // namespace cumulo
