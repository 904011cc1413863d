#include "install/process_probe_rules.h"

#include "base/wide_text.h"

namespace cumulo {

const wchar_t kClientWindowTitle[] = L"E2DCED31-32EB-406B-BCA8-38879C45600D-HDJK6678HBHCAVGL667";

bool IsClientImageName(const std::wstring& exeFile) {
  return LowerAsciiLetters(exeFile) == L"cumulo.exe";
}

bool ImageNameMatchesFilter(const std::wstring& imageName, const std::wstring& filter) {
  return LowerAsciiLetters(imageName).find(filter) != std::wstring::npos;
}

std::wstring FileNamePart(const std::wstring& path) {
  const auto slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool CloseClientWithinBudget(const CloseClientSteps& steps) {
  if (!steps.isClientRunning()) return true;
  uint32_t budget = kCloseBudgetMs;
  for (;;) {
    steps.requestClose();
    steps.sleep(kCloseRequestPauseMs);
    budget -= kCloseRequestPauseMs;
    if (budget == 0) return false;
    if (!steps.isClientRunning()) return true;
  }
}

}  // namespace cumulo
