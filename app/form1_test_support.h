// A window under test: temporary store, host list and runtime folder, a recording clock
// setter, captured message boxes, fixed time zone, and peers on loopback.
#pragma once

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "desktop/application.h"
#include "desktop/shown_boxes.h"
#include "desktop/test_runtime_dir.h"
#include "platform/clock_setter_testing.h"
#include "platform/scoped_temp_dir.h"
#include "tests/support/scoped_env.h"

namespace horalux::testing {

class FormTest : public ::testing::Test {
 protected:
  FormTest();
  ~FormTest() override;

  // The store file's values, one REGEDIT4 line each, under the program's key.
  void WriteStore(const std::string& valueLines);
  std::string StoreText() const;
  void WriteHostList(const std::string& content);
  // Builds the window; its start-up runs now.
  TForm1& Start();

  // The log's lines, and the lines its view shows (which must be the same).
  std::vector<std::string> LogLines() const;
  std::vector<std::string> ViewLines() const;

  ScopedTimeZone zone{"UTC"};
  ScopedRuntimeDir runtime;
  ScopedTempDir folder;
  TApplication application;
  std::vector<ShownBox> boxes;
  // Records what the window asks to set, and answers with clockRefusal as it is then.
  class FollowingClockSetter : public ClockSetter {
   public:
    explicit FollowingClockSetter(const std::string& refusal) : refusal_(refusal) {}
    std::string SetLocalTime(const TSystemTime& localTime) override {
      requests.push_back(localTime);
      return refusal_;
    }
    std::vector<TSystemTime> requests;

   private:
    const std::string& refusal_;
  };

  std::string clockRefusal;  // what the fake clock setter answers
  FollowingClockSetter* clock = nullptr;
  int clientPort = 37;
  int serverPort = 0;
  std::function<TDateTime()> localClock = &Now;
  std::vector<std::string> openedUrls;
  std::string textCodeset = "UTF-8";
  std::unique_ptr<TForm1> form;
};

}  // namespace horalux::testing
