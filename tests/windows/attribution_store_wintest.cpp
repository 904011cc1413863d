// The store against the real registry of the test prefix. Each test starts and ends
// without the product key, so the tests do not depend on each other or on other tests.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/attribution_store.h"
#include "app/installation_id.h"
#include "common/recording_transport.h"
#include "install/product_key_win.h"

namespace cumulo {

namespace {

const wchar_t kParentPath[] = L"Software\\Aldervane";
const wchar_t kKeyPath[] = L"Software\\Aldervane\\Aldervane_Cumulo";

struct RawValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

RawValue ReadRaw(const wchar_t* name) {
  RawValue v;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return v;
  }
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.bytes.resize(size);
    v.exists =
        RegQueryValueExW(key, name, nullptr, &v.type, v.bytes.data(), &size) == ERROR_SUCCESS;
    v.bytes.resize(size);
  }
  RegCloseKey(key);
  return v;
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void WriteString(const wchar_t* name, const std::wstring& text) {
  WriteRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

// The system counts a terminator that follows the given size; a non-zero unit after the
// data keeps it out, so the value holds exactly the characters.
void WriteUnterminated(const wchar_t* name, const std::wstring& text) {
  const std::wstring padded = text + L'#';
  WriteRaw(name, REG_SZ, padded.c_str(), static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

// A string value's text: its UTF-16 units up to the first zero unit.
std::wstring TextOf(const RawValue& v) {
  std::wstring text;
  for (size_t i = 0; i + 1 < v.bytes.size(); i += 2) {
    const wchar_t unit = static_cast<wchar_t>(v.bytes[i] | (v.bytes[i + 1] << 8));
    if (unit == L'\0') break;
    text.push_back(unit);
  }
  return text;
}

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

class AttributionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }

  // Runs `operation` with a sender of its own and returns the events it sent.
  template <typename Operation>
  std::vector<std::wstring> EventsOf(Operation operation) {
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    operation(sender);
    return DrainEvents(sender, recorder);
  }

  SystemProductKey key_;
};

TEST_F(AttributionStoreTest, FirstRunCreatesTheIdentifierLaterRunsReuseIt) {
  ASSERT_FALSE(KeyExists(kKeyPath));
  const std::wstring id = LoadOrCreateInstallationId(key_, &GenerateInstallationId);
  ASSERT_EQ(id.size(), 10u);
  EXPECT_EQ(id.substr(0, 2), L"WC");
  const RawValue stored = ReadRaw(L"installationId");
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(TextOf(stored), id);
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), id);
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), id);
}

TEST_F(AttributionStoreTest, RemovedKeyGivesANewIdentifier) {
  WriteString(L"installationId", L"WCmarker00");
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), L"WCmarker00");
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath), ERROR_SUCCESS);
  const std::wstring id = LoadOrCreateInstallationId(key_, &GenerateInstallationId);
  EXPECT_EQ(id.size(), 10u);
  EXPECT_NE(id, L"WCmarker00");
  EXPECT_EQ(TextOf(ReadRaw(L"installationId")), id);
}

TEST_F(AttributionStoreTest, StoredEmptyIdentifierStaysEmpty) {
  WriteString(L"installationId", L"");
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), L"");
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), L"");
  const RawValue stored = ReadRaw(L"installationId");
  EXPECT_TRUE(stored.exists);
  EXPECT_TRUE(stored.bytes.empty());
}

// The stored type is not looked at: the bytes are text up to the first zero unit.
TEST_F(AttributionStoreTest, NonStringIdentifierIsReadAsItsBytes) {
  struct Case {
    DWORD type;
    std::vector<BYTE> bytes;
    std::wstring expected;
  };
  const Case cases[] = {
      {REG_BINARY, {'A', 0, 'B', 0, 0, 0, 'C', 0}, L"AB"},
      {REG_BINARY, {'X', 0, 'Y'}, L"XY"},  // odd size: the zero fill completes the unit
      {REG_DWORD, {'W', 0, 'C', 0}, L"WC"},
      {REG_DWORD, {0, 0, 'Q', 0}, L""},
      {REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}, L"a"},
  };
  for (const auto& c : cases) {
    WriteRaw(L"installationId", c.type, c.bytes.data(), static_cast<DWORD>(c.bytes.size()));
    EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), c.expected) << c.type;
  }
}

TEST_F(AttributionStoreTest, ReadUtmWithoutValueIsEmptyAndSilent) {
  std::wstring utm = L"x";
  EXPECT_TRUE(EventsOf([&](auto sender) { utm = ReadUtm(key_, sender); }).empty());
  EXPECT_EQ(utm, L"");
  // Also when the key did not exist before (the read creates it).
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath), ERROR_SUCCESS);
  EXPECT_TRUE(EventsOf([&](auto sender) { utm = ReadUtm(key_, sender); }).empty());
  EXPECT_EQ(utm, L"");
}

TEST_F(AttributionStoreTest, WritesReadsAndDeletes) {
  const auto events = EventsOf([this](auto sender) {
    WriteUtm(key_, L"spring sale \u0436", sender);
    EXPECT_EQ(ReadUtm(key_, sender), L"spring sale \u0436");
    WriteValue(key_, L"installer_intro", L"first page", sender);
    WriteValue(key_, L"gclid_cookie", L"", sender);
    DeleteUtm(key_, sender);
    EXPECT_EQ(ReadUtm(key_, sender), L"");
    DeleteUtm(key_, sender);  // nothing left to delete: still silent
  });
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(ReadRaw(L"utm").exists);
  const RawValue intro = ReadRaw(L"installer_intro");
  EXPECT_EQ(intro.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(TextOf(intro), L"first page");
  const RawValue gclid = ReadRaw(L"gclid_cookie");
  EXPECT_TRUE(gclid.exists);
  EXPECT_TRUE(gclid.bytes.empty());
}

// 1023 characters come back with the zero fill as terminator; 1024 fill the buffer and
// are taken as they are; more than that does not fit and fails like any other read error.
TEST_F(AttributionStoreTest, LongValues) {
  const std::wstring fits(1023, L'a');
  const std::wstring fills(1024, L'b');
  const std::wstring tooLong(1025, L'c');
  WriteUnterminated(L"utm", fits);
  EXPECT_EQ(ReadUtm(key_, nullptr), fits);
  WriteUnterminated(L"utm", fills);
  ASSERT_EQ(ReadRaw(L"utm").bytes.size(), 2048u);
  EXPECT_EQ(ReadUtm(key_, nullptr), fills);
  WriteUnterminated(L"installationId", fills);
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), fills);
  WriteUnterminated(L"installationId", tooLong);
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), L"");
  EXPECT_EQ(TextOf(ReadRaw(L"installationId")), tooLong);  // not replaced

  WriteUnterminated(L"utm", tooLong);
  std::wstring utm = L"x";
  const auto events = EventsOf([&](auto sender) {
    SetLastError(4321);
    utm = ReadUtm(key_, sender);
  });
  EXPECT_EQ(utm, L"");
  // The registry call returns ERROR_MORE_DATA without setting the thread's last error; the
  // event carries the call's own status, not what the thread held before.
  EXPECT_EQ(events, std::vector<std::wstring>{L"utm_fail_reg_read:234"});
}

// A value name longer than the registry allows (16383 characters) makes the write fail.
TEST_F(AttributionStoreTest, FailedWriteIsReported) {
  const std::wstring name(20000, L'n');
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const LSTATUS status =
      RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"v"), 2);
  RegCloseKey(key);
  ASSERT_NE(status, ERROR_SUCCESS);
  ASSERT_NE(status, 1234);
  const auto events = EventsOf([&](auto sender) {
    SetLastError(1234);
    WriteValue(key_, name, L"v", sender);
  });
  EXPECT_EQ(events, std::vector<std::wstring>{L"fail_reg_write:" + std::to_wstring(status)});
}

// A volatile parent key cannot get a non-volatile subkey, so the product key can be
// neither opened nor created (ERROR_CHILD_MUST_BE_VOLATILE) by any operation.
class AttributionStoreBlockedTest : public AttributionStoreTest {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kParentPath);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kParentPath, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kParentPath); }
};

TEST_F(AttributionStoreBlockedTest, OpenFailuresAreReported) {
  EXPECT_EQ(LoadOrCreateInstallationId(key_, &GenerateInstallationId), L"");
  const auto events = EventsOf([this](auto sender) {
    SetLastError(11);
    EXPECT_EQ(ReadUtm(key_, sender), L"");
    SetLastError(12);
    WriteUtm(key_, L"x", sender);
    SetLastError(13);
    WriteValue(key_, L"installer_intro", L"y", sender);
    SetLastError(14);
    DeleteUtm(key_, sender);
  });
  // Each event carries the call's ERROR_CHILD_MUST_BE_VOLATILE, whatever the thread held.
  const std::vector<std::wstring> expected = {L"utm_fail_reg_open:1021", L"fail_reg_open:1021",
                                              L"fail_reg_open:1021", L"utm_fail_reg_open:1021"};
  EXPECT_EQ(events, expected);
  EXPECT_FALSE(KeyExists(kKeyPath));
}

}  // namespace

}  // namespace cumulo
