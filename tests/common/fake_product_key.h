#pragma once
// A ProductKey in memory for native tests: values by name, the status each kind of call
// answers, and every call recorded as text in order.
#include <map>
#include <string>
#include <vector>

#include "install/product_key.h"

namespace cumulo {

class FakeProductKey : public ProductKey {
 public:
  std::map<std::wstring, std::wstring> values;
  uint32_t openStatus = kRegistrySuccess;  // Open and Create
  uint32_t readStatus = kRegistrySuccess;  // a missing value answers ERROR_FILE_NOT_FOUND
  uint32_t writeStatus = kRegistrySuccess;
  uint32_t deleteStatus = kRegistrySuccess;  // a missing value answers ERROR_FILE_NOT_FOUND
  std::vector<std::wstring> calls;
  bool isOpen = false;

  uint32_t Open(ProductKeyRights rights) override { return Opened(L"open ", rights); }
  uint32_t Create(ProductKeyRights rights) override { return Opened(L"create ", rights); }
  void Close() override {
    if (isOpen) calls.push_back(L"close");
    isOpen = false;
  }
  ProductKeyText ReadText(const wchar_t* name, size_t bufferUnits) override {
    calls.push_back(std::wstring(L"read ") + name);
    ProductKeyText result;
    const auto it = values.find(name);
    result.status = Closed()                          ? 6
                    : readStatus != kRegistrySuccess  ? readStatus
                    : it == values.end()              ? kRegistryFileNotFound
                    : it->second.size() > bufferUnits ? 234  // ERROR_MORE_DATA
                                                      : kRegistrySuccess;
    if (result.status != kRegistrySuccess) return result;
    result.type = 1;  // REG_SZ
    result.text = it->second;
    result.terminated = it->second.size() < bufferUnits;
    return result;
  }
  uint32_t WriteText(const wchar_t* name, const std::wstring& value) override {
    calls.push_back(std::wstring(L"write ") + name + L"=" + value);
    if (Closed()) return 6;
    if (writeStatus == kRegistrySuccess) values[name] = value;
    return writeStatus;
  }
  uint32_t DeleteValue(const wchar_t* name) override {
    calls.push_back(std::wstring(L"delete ") + name);
    if (Closed()) return 6;
    if (deleteStatus != kRegistrySuccess) return deleteStatus;
    return values.erase(name) == 1 ? kRegistrySuccess : kRegistryFileNotFound;
  }

 private:
  uint32_t Opened(const wchar_t* how, ProductKeyRights rights) {
    static const wchar_t* const kRights[] = {L"query", L"read", L"all"};
    calls.push_back(how + std::wstring(kRights[static_cast<int>(rights)]));
    isOpen = openStatus == kRegistrySuccess;
    return openStatus;
  }
  // A call on a key that is not open answers ERROR_INVALID_HANDLE, as the registry would.
  bool Closed() const { return !isOpen; }
};

}  // namespace cumulo
