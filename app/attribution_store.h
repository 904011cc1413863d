#pragma once
// The installer's values in the product key: the installation identifier and the
// attribution values. Every operation opens the key itself and closes it before it
// returns. Registry failures are reported as telemetry, with the failing call's status,
// and otherwise ignored.
#include <memory>
#include <string>

#include "install/product_key.h"
#include "net/metric_sender.h"

namespace cumulo {

using InstallationIdGenerator = std::wstring (*)();

// The stored identifier (an empty one included), or, when there is none, a new one from
// `generate` once it is stored; empty otherwise. Runs before the sender exists, so it
// reports nothing.
std::wstring LoadOrCreateInstallationId(ProductKey& key, InstallationIdGenerator generate);
// The stored utm, or empty.
std::wstring ReadUtm(ProductKey& key, std::shared_ptr<MetricSender> sender);
void WriteUtm(ProductKey& key, const std::wstring& utm, std::shared_ptr<MetricSender> sender);
void DeleteUtm(ProductKey& key, std::shared_ptr<MetricSender> sender);
void WriteValue(ProductKey& key, const std::wstring& name, const std::wstring& value,
                std::shared_ptr<MetricSender> sender);

}  // namespace cumulo
