// The controller under test: a recording view, this system's settings store with a key of
// the test's own (a store file in a temporary folder on Linux, the registry on Windows), a
// temporary host list, a clock setter that records, fixed date and time formats, a fixed
// time zone, and peers on loopback. While a run waits on the network, its idle steps run
// the view's events, as a toolkit's loop would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/form1_view_testing.h"
#include "platform/clock_setter_testing.h"
#include "platform/registry_store.h"
#include "platform/registry_store_testing.h"
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"

namespace horalux::testing {

// "2026-12-08" and "14:03:07", the same in every locale.
class TFixedDateTimeFormats : public TDateTimeFormats {
 public:
  std::string DateText(const TSystemTime& time) const override;
  std::string TimeText(const TSystemTime& time) const override;
  std::unique_ptr<TDateTimeFormats> Clone() const override {
    return std::make_unique<TFixedDateTimeFormats>();
  }
};

class FormTest : public ::testing::Test {
 protected:
  FormTest();
  ~FormTest() override;

  // Stores values under the program's key, given as the registry editor exports them: one
  // line each, such as "Host"="time.example" or "Interval"=dword:0000002d.
  void WriteStore(const std::string& valueLines);
  // The value under the program's key as such a line; empty when there is none.
  std::string StoredLine(const std::string& name) const;
  bool StoreKeyExists() const { return registry->KeyExists(); }
  void WriteHostList(const std::string& content);
  // Builds the controller over `view` (or `over`); its start-up runs now. The controller
  // takes `store` when given, and otherwise the test's registry, whose writes fail while
  // `refuseWrites` is set.
  TForm1& Start(std::unique_ptr<RegistryStore> store = nullptr, TForm1View* over = nullptr);
  // Ends the controller, and with it its server and mirror.
  void Stop() { form.reset(); }

  std::vector<std::string> LogLines() const;
  // The time text of the local clock now, as the log writes it.
  std::string TimeTextNow() const;

  ScopedFixedTimeZone zone{FixedZone(0)};
  ScopedTempDir folder;
  std::unique_ptr<TestRegistry> registry = NewTestRegistry();
  bool refuseWrites = false;
  TRecordingForm1View view;
  RecordingClockSetter* clock = nullptr;  // the controller's, once started
  int clientPort = 37;
  int serverPort = 0;
  std::function<TDateTime()> localClock = &Now;
  int mirrorDescriptor = 2;
  std::unique_ptr<TForm1> form;
};

}  // namespace horalux::testing
