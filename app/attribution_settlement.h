#pragma once
// How start-up settles the attribution values: a stored utm wins and the launch
// parameters are then not read at all; otherwise the container's utm, e-mail, token,
// intro and gclid are taken, stored or handed on.
#include <functional>
#include <string>

#include "install/auth_handoff.h"
#include "app/launch_params.h"

namespace cumulo {

// The operations involved, as functions so that the rule can be tested on its own.
struct AttributionOps {
  std::function<std::wstring()> readUtm;
  std::function<LaunchParams()> parseLaunchParams;
  std::function<void(const std::wstring&)> setUtm;  // the sender's utm for later requests
  std::function<void(const std::wstring&)> writeUtm;
  std::function<void()> deleteUtm;
  std::function<void(const std::wstring& name, const std::wstring& value)> writeValue;
  // Bytes to a wide string in the thread's ANSI code page; cut at a zero byte.
  std::function<std::wstring(const std::string&)> toWide;
};

AuthHandoff SettleAttribution(const AttributionOps& ops);

}  // namespace cumulo
