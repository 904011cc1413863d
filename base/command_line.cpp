#include "base/command_line.h"

namespace cumulo {

std::wstring FindOptionValue(const std::vector<std::wstring>& args, const std::wstring& option,
                             bool* found) {
  if (found != nullptr) *found = false;
  // An option that is the last element has no value and is passed over.
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == option) {
      if (found != nullptr) *found = true;
      return args[i + 1];
    }
  }
  return std::wstring();
}

}  // namespace cumulo
