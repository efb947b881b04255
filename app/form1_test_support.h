// The controller under test: a recording view, a temporary store and host list, a clock
// setter that records, fixed date and time formats, a fixed time zone, and peers on
// loopback. While a run waits on the network, its idle steps run the view's events, as a
// toolkit's loop would.
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
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"

namespace horalux::testing {

// "2026-12-08" and "14:03:07", the same in every locale.
class FixedDateTimeFormats : public TDateTimeFormats {
 public:
  std::string DateText(const TSystemTime& time) const override;
  std::string TimeText(const TSystemTime& time) const override;
  std::unique_ptr<TDateTimeFormats> Clone() const override {
    return std::make_unique<FixedDateTimeFormats>();
  }
};

class FormTest : public ::testing::Test {
 protected:
  FormTest();
  ~FormTest() override;

  // The store file's values, one REGEDIT4 line each, under the program's key.
  void WriteStore(const std::string& valueLines);
  std::string StoreText() const;
  void WriteHostList(const std::string& content);
  // Builds the controller over `view` (or `over`); its start-up runs now. `store` replaces
  // the store file with its own file layer when given.
  TForm1& Start(std::unique_ptr<RegistryStore> store = nullptr, TForm1View* over = nullptr);
  // Ends the controller, and with it its server and mirror.
  void Stop() { form.reset(); }

  std::vector<std::string> LogLines() const;
  // The time text of the local clock now, as the log writes it.
  std::string TimeTextNow() const;

  ScopedTimeZone zone{"UTC"};
  ScopedTempDir folder;
  RecordingForm1View view;
  RecordingClockSetter* clock = nullptr;  // the controller's, once started
  int clientPort = 37;
  int serverPort = 0;
  std::function<TDateTime()> localClock = &Now;
  int mirrorDescriptor = 2;
  std::unique_ptr<TForm1> form;
};

}  // namespace horalux::testing
