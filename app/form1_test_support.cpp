#include "app/form1_test_support.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "app/settings_store.h"
#include "base/main_thread.h"
#include "net/anti_freeze.h"
#include "platform/regedit_format.h"

namespace horalux::testing {
namespace {

// The test's registry as the controller sees it: the program's key is the test's own key,
// so that tests running side by side under one Windows user never share their settings.
class TTestKeyStore : public RegistryStore {
 public:
  TTestKeyStore(TestRegistry& registry, const bool& refuseWrites)
      : registry_(registry), refuseWrites_(refuseWrites) {}

  std::unique_ptr<RegistryKey> CreateKey(std::string_view subKey) override {
    RegistryStore& inner = registry_.Store();
    std::unique_ptr<RegistryKey> key =
        inner.CreateKey(subKey == kSettingsKey ? std::string_view(registry_.SubKey()) : subKey);
    if (key == nullptr) {
      RecordFailure(inner.LastError());
      return nullptr;
    }
    return std::make_unique<Key>(*this, std::move(key));
  }

 private:
  class Key : public RegistryKey {
   public:
    Key(TTestKeyStore& store, std::unique_ptr<RegistryKey> inner)
        : RegistryKey(inner->Name()), store_(store), inner_(std::move(inner)) {}
    RegQueryResult QueryValue(std::string_view name) const override {
      return inner_->QueryValue(name);
    }

   private:
    bool Store(const std::vector<RegNamedValue>& values, std::size_t& refused) override {
      if (store_.refuseWrites_) {
        refused = 0;
        store_.RecordFailure("the test refuses every write");
        return false;
      }
      if (inner_->SetValues(values, &refused)) return true;
      store_.RecordFailure(store_.registry_.Store().LastError());
      return false;
    }

    TTestKeyStore& store_;
    std::unique_ptr<RegistryKey> inner_;
  };

  TestRegistry& registry_;
  const bool& refuseWrites_;
};

}  // namespace

std::string TFixedDateTimeFormats::DateText(const TSystemTime& time) const {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.year, time.month, time.day);
  return text;
}

std::string TFixedDateTimeFormats::TimeText(const TSystemTime& time) const {
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.hour, time.minute, time.second);
  return text;
}

FormTest::FormTest() {
  SetMainThread();
  TIdAntiFreeze::InstallPendingWork(
      {[this] { view.ProcessEvents(); }, [this] { view.ProcessEvents(); }});
}

FormTest::~FormTest() {
  form.reset();
  TIdAntiFreeze::InstallPendingWork({});
}

void FormTest::WriteStore(const std::string& valueLines) {
  std::istringstream lines(valueLines);
  std::string line;
  while (std::getline(lines, line)) {
    const std::optional<RegEntry> entry = ParseValueEntry(line);
    if (!entry || entry->kind != RegEntry::Kind::Value) {
      throw std::invalid_argument("not a value line: " + line);
    }
    registry->Plant(entry->name, entry->value);
  }
}

std::string FormTest::StoredLine(const std::string& name) const {
  const std::unique_ptr<RegistryKey> key = registry->Store().CreateKey(registry->SubKey());
  if (key == nullptr) return "";
  const RegQueryResult result = key->QueryValue(name);
  if (result.status != RegQueryResult::Status::Found) return "";
  const auto entry = FormatValueEntry(name, result.value);
  if (!entry) return "";
  std::string text;
  for (const std::string& part : *entry) text += (text.empty() ? "" : "\n") + part;
  return text;
}

void FormTest::WriteHostList(const std::string& content) {
  WriteFileText(folder.File("server.lst"), content);
}

TForm1& FormTest::Start(std::unique_ptr<RegistryStore> store, TForm1View* over) {
  TForm1Environment environment;
  environment.store =
      store ? std::move(store) : std::make_unique<TTestKeyStore>(*registry, refuseWrites);
  environment.hostListPath = folder.File("server.lst");
  auto setter = std::make_unique<RecordingClockSetter>();
  clock = setter.get();
  environment.clockSetter = std::move(setter);
  environment.formats = std::make_unique<TFixedDateTimeFormats>();
  environment.clockRightsAdvice = "See \"Rights\".";
  environment.timeClientPort = clientPort;
  environment.timeServerPort = serverPort;
  environment.localClock = localClock;
  environment.mirrorDescriptor = mirrorDescriptor;
  form = std::make_unique<TForm1>(over != nullptr ? *over : view, std::move(environment));
  return *form;
}

std::vector<std::string> FormTest::LogLines() const {
  const auto& lines = form->LogLines().Lines();
  return std::vector<std::string>(lines.begin(), lines.end());
}

std::string FormTest::TimeTextNow() const {
  return TFixedDateTimeFormats().TimeText(DateTimeToSystemTime(localClock()));
}

}  // namespace horalux::testing
