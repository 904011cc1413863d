#include "app/attribution_store.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/fake_product_key.h"
#include "common/recording_transport.h"

namespace cumulo {

namespace {

std::wstring NewId() { return L"WCnew00001"; }

using Operation = std::function<std::wstring(ProductKey&, std::shared_ptr<MetricSender>)>;

const Operation kReadUtm = [](ProductKey& key, std::shared_ptr<MetricSender> sender) {
  return ReadUtm(key, sender);
};
const Operation kWriteIntro = [](ProductKey& key, std::shared_ptr<MetricSender> sender) {
  WriteValue(key, L"installer_intro", L"v", sender);
  return std::wstring();
};
const Operation kWriteUtm = [](ProductKey& key, std::shared_ptr<MetricSender> sender) {
  WriteUtm(key, L"u", sender);
  return std::wstring();
};
const Operation kDeleteUtm = [](ProductKey& key, std::shared_ptr<MetricSender> sender) {
  DeleteUtm(key, sender);
  return std::wstring();
};
const Operation kLoadId = [](ProductKey& key, std::shared_ptr<MetricSender>) {
  return LoadOrCreateInstallationId(key, &NewId);
};

// Each operation opens the key with its own rights and closes it on every way out; an
// event carries the failing call's own status, and a missing key or value is silent.
TEST(AttributionStore, StatusesBecomeEventsAndResults) {
  struct Case {
    const char* name;
    Operation run;
    const wchar_t* stored;  // the value the operation looks at, null for none
    uint32_t open, read, write, remove;
    std::wstring result;
    std::vector<std::wstring> calls, events;
  };
  const Case cases[] = {
      {"utm stored",
       kReadUtm,
       L"spring",
       0,
       0,
       0,
       0,
       L"spring",
       {L"create query", L"read utm", L"close"},
       {}},
      {"utm missing",
       kReadUtm,
       nullptr,
       0,
       0,
       0,
       0,
       L"",
       {L"create query", L"read utm", L"close"},
       {}},
      {"utm not found",
       kReadUtm,
       L"x",
       0,
       1168,
       0,
       0,
       L"",
       {L"create query", L"read utm", L"close"},
       {}},
      {"utm too long",
       kReadUtm,
       L"x",
       0,
       234,
       0,
       0,
       L"",
       {L"create query", L"read utm", L"close"},
       {L"utm_fail_reg_read:234"}},
      {"utm key refused",
       kReadUtm,
       nullptr,
       5,
       0,
       0,
       0,
       L"",
       {L"create query"},
       {L"utm_fail_reg_open:5"}},
      {"utm key missing", kReadUtm, nullptr, 2, 0, 0, 0, L"", {L"create query"}, {}},
      {"utm key not found", kReadUtm, nullptr, 1168, 0, 0, 0, L"", {L"create query"}, {}},
      {"value written",
       kWriteIntro,
       nullptr,
       0,
       0,
       0,
       0,
       L"",
       {L"create all", L"write installer_intro=v", L"close"},
       {}},
      {"value refused",
       kWriteIntro,
       nullptr,
       0,
       0,
       87,
       0,
       L"",
       {L"create all", L"write installer_intro=v", L"close"},
       {L"fail_reg_write:87"}},
      {"value's key refused",
       kWriteIntro,
       nullptr,
       1021,
       0,
       0,
       0,
       L"",
       {L"create all"},
       {L"fail_reg_open:1021"}},
      {"utm written as a value",
       kWriteUtm,
       nullptr,
       2,
       0,
       0,
       0,
       L"",
       {L"create all"},
       {L"fail_reg_open:2"}},
      {"utm deleted",
       kDeleteUtm,
       L"x",
       0,
       0,
       0,
       0,
       L"",
       {L"create all", L"delete utm", L"close"},
       {}},
      {"delete refused is silent",
       kDeleteUtm,
       L"x",
       0,
       0,
       0,
       5,
       L"",
       {L"create all", L"delete utm", L"close"},
       {}},
      {"delete's key refused",
       kDeleteUtm,
       nullptr,
       5,
       0,
       0,
       0,
       L"",
       {L"create all"},
       {L"utm_fail_reg_open:5"}},
      {"identifier stored",
       kLoadId,
       L"WCold00001",
       0,
       0,
       0,
       0,
       L"WCold00001",
       {L"create all", L"read installationId", L"close"},
       {}},
      {"stored empty identifier stays",
       kLoadId,
       L"",
       0,
       0,
       0,
       0,
       L"",
       {L"create all", L"read installationId", L"close"},
       {}},
      {"identifier made and stored",
       kLoadId,
       nullptr,
       0,
       0,
       0,
       0,
       L"WCnew00001",
       {L"create all", L"read installationId", L"write installationId=WCnew00001", L"close"},
       {}},
      {"identifier not stored",
       kLoadId,
       nullptr,
       0,
       0,
       5,
       0,
       L"",
       {L"create all", L"read installationId", L"write installationId=WCnew00001", L"close"},
       {}},
      {"identifier unreadable",
       kLoadId,
       L"x",
       0,
       234,
       0,
       0,
       L"",
       {L"create all", L"read installationId", L"close"},
       {}},
      {"only a missing identifier is replaced",
       kLoadId,
       L"x",
       0,
       1168,
       0,
       0,
       L"",
       {L"create all", L"read installationId", L"close"},
       {}},
      {"identifier's key refused", kLoadId, nullptr, 5, 0, 0, 0, L"", {L"create all"}, {}},
  };
  for (const auto& c : cases) {
    FakeProductKey key;
    if (c.stored != nullptr) {
      key.values[L"utm"] = c.stored;
      key.values[L"installationId"] = c.stored;
    }
    key.openStatus = c.open;
    key.readStatus = c.read;
    key.writeStatus = c.write;
    key.deleteStatus = c.remove;
    MetricRecorder recorder;
    auto sender = recorder.MakeSender();
    EXPECT_EQ(c.run(key, sender), c.result) << c.name;
    EXPECT_EQ(key.calls, c.calls) << c.name;
    EXPECT_FALSE(key.isOpen) << c.name;
    EXPECT_EQ(DrainEvents(sender, recorder), c.events) << c.name;
  }
}

}  // namespace

}  // namespace cumulo
