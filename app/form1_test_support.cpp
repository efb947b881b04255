#include "app/form1_test_support.h"

#include <cstdio>

#include "base/main_thread.h"
#include "net/anti_freeze.h"
#include "platform/registry_file_store.h"
#include "platform/store_file_system.h"

namespace horalux::testing {

std::string FixedDateTimeFormats::DateText(const TSystemTime& time) const {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.year, time.month, time.day);
  return text;
}

std::string FixedDateTimeFormats::TimeText(const TSystemTime& time) const {
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
  WriteFileText(folder.File("Horalux.reg"),
                "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n" + valueLines);
}

std::string FormTest::StoreText() const { return ReadFileText(folder.File("Horalux.reg")); }

void FormTest::WriteHostList(const std::string& content) {
  WriteFileText(folder.File("server.lst"), content);
}

TForm1& FormTest::Start(std::unique_ptr<RegistryStore> store, TForm1View* over) {
  Form1Environment environment;
  environment.store = store ? std::move(store)
                            : std::make_unique<RegFileStore>(folder.File("Horalux.reg"),
                                                             NewDefaultStoreFileSystem());
  environment.hostListPath = folder.File("server.lst");
  auto setter = std::make_unique<RecordingClockSetter>();
  clock = setter.get();
  environment.clockSetter = std::move(setter);
  environment.formats = std::make_unique<FixedDateTimeFormats>();
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
  return FixedDateTimeFormats().TimeText(DateTimeToSystemTime(localClock()));
}

}  // namespace horalux::testing
