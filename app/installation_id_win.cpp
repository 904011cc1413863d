#include <windows.h>

#include <ctime>

#include "app/installation_id.h"

namespace cumulo {

std::wstring GenerateInstallationId() {
  const int64_t t =
      static_cast<int64_t>(_time64(nullptr)) + static_cast<int64_t>(GetTickCount() % 1000);
  return GenerateInstallationIdAt(t);
}

}  // namespace cumulo
