// Start-up, settings and the window's handlers of the controller.
#include <gtest/gtest.h>

#include "app/form1_test_support.h"
#include "desktop/error_box_text.h"
#include "platform/code_page.h"
#include "tests/support/loopback.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

const char* const kWarning = "Error while reading settings.\r\nPlease install Horalux again.";
const std::string kGoodSettings =
    "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000002d\n\"Sync on Startup\"=dword:00000000\n"
    "\"Start Server\"=dword:00000000\n";

std::vector<TRecordedMessage> Messages(TRecordedMessage only) { return {std::move(only)}; }

class StartUpTest : public FormTest {
 protected:
  void ExpectWarningShown() {
    EXPECT_EQ(view.messages, Messages({TMessageKind::Warning, "Warnung", kWarning}));
  }
};

TEST_F(StartUpTest, FirstStartCreatesTheEmptyKeyAndShowsTheWindowWithoutWarning) {
  WriteHostList("time.example\r\n");
  Start();
  EXPECT_TRUE(view.visible);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(StoreKeyExists());
  EXPECT_EQ(view.caption, "Horalux");
  EXPECT_EQ(view.hostItems, std::vector<std::string>{"time.example"});
  EXPECT_EQ(view.trayHint, "Horalux");
  EXPECT_EQ(view.status[1],
            TFixedDateTimeFormats().DateText(DateTimeToSystemTime(Now())) + " " + TimeTextNow());
  EXPECT_EQ(view.loaded, 1);
}

TEST_F(StartUpTest, MissingHostListWarnsEvenWithValidSettingsAndReadsNothing) {
  WriteStore(kGoodSettings + "\"Start Server\"=dword:00000001\n");
  Start();
  EXPECT_TRUE(view.visible);
  ExpectWarningShown();
  EXPECT_EQ(view.hostText, "");
  EXPECT_EQ(view.intervalPosition, 300);
  EXPECT_FALSE(view.checked[TCheckBox::ckServer]);
  EXPECT_FALSE(form->IdTimeServer().Active());
}

TEST_F(StartUpTest, HostListEntriesAreOfferedAsTheyStand) {
  WriteHostList(
      "a\r\n\r\n b \rc\nd\x1a"
      "ignored");
  WriteStore(kGoodSettings);
  Start();
  EXPECT_EQ(view.hostItems, (std::vector<std::string>{"a", "", " b ", "c\nd"}));
}

TEST_F(StartUpTest, EmptyHostShowsTheWindowAndReadsNothingElse) {
  WriteHostList("");
  WriteStore("\"Host\"=\"\"\n\"Interval\"=dword:0000002d\n");
  Start();
  EXPECT_TRUE(view.visible);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.intervalPosition, 300);
  EXPECT_TRUE(view.checked[TCheckBox::ckStartup]);
}

TEST_F(StartUpTest, ValidSettingsKeepTheWindowHidden) {
  WriteHostList("");
  WriteStore(kGoodSettings);
  Start();
  EXPECT_FALSE(view.visible);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(view.hostText, "127.0.0.1");
  EXPECT_EQ(view.intervalPosition, 45);
  EXPECT_FALSE(view.checked[TCheckBox::ckStartup]);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(StartUpTest, MissingIntervalWarnsAfterShowingTheHostAndRunsNothing) {
  WriteHostList("");
  WriteStore("\"Host\"=\"127.0.0.1\"\n\"Sync on Startup\"=dword:00000001\n");
  Start();
  EXPECT_TRUE(view.visible);
  ExpectWarningShown();
  EXPECT_EQ(view.hostText, "127.0.0.1");
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(StartUpTest, WrongTypesWarnWithTheValuesBeforeThemApplied) {
  WriteHostList("");
  WriteStore("\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000002d\n\"Sync on Startup\"=\"1\"\n");
  Start();
  ExpectWarningShown();
  EXPECT_EQ(view.intervalPosition, 45);
}

TEST_F(StartUpTest, HostOfAnotherTypeWarns) {
  WriteHostList("");
  WriteStore("\"Host\"=dword:00000001\n");
  Start();
  ExpectWarningShown();
}

TEST_F(StartUpTest, StartServerWithThePortTakenWarnsAndLeavesTheBoxChecked) {
  RawListener taken;
  serverPort = taken.Port();
  WriteHostList("");
  WriteStore(
      "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000002d\n"
      "\"Sync on Startup\"=dword:00000001\n\"Start Server\"=dword:00000001\n");
  Start();
  ExpectWarningShown();
  EXPECT_TRUE(view.checked[TCheckBox::ckServer]);
  EXPECT_FALSE(form->IdTimeServer().Active());
  EXPECT_TRUE(LogLines().empty());  // the failure came before the start-up run
  form->Timer1Timer();
  EXPECT_EQ(view.status[0], " NTP Server not running");
}

class SaveTest : public FormTest {
 protected:
  SaveTest() {
    WriteHostList("");
    Start();
  }
};

TEST_F(SaveTest, WritesTheFourValuesWithTheirTypes) {
  view.hostText = "time.example";
  view.intervalPosition = 45;
  view.checked[TCheckBox::ckStartup] = false;
  form->btSaveClick();
  EXPECT_EQ(StoredLine("Host"), "\"Host\"=\"time.example\"");
  EXPECT_EQ(StoredLine("Interval"), "\"Interval\"=dword:0000002d");
  EXPECT_EQ(StoredLine("Sync on Startup"), "\"Sync on Startup\"=dword:00000000");
  EXPECT_EQ(StoredLine("Start Server"), "\"Start Server\"=dword:00000000");
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(SaveTest, AnEmptyHostIsSavedAndTheNextStartShowsTheWindow) {
  view.hostText = "";
  form->btSaveClick();
  EXPECT_EQ(StoredLine("Host"), "\"Host\"=\"\"");
  Stop();
  view.visible = false;
  Start();
  EXPECT_TRUE(view.visible);
}

TEST_F(SaveTest, ARefusedWriteReachesTheErrorBoxWithAFullStop) {
  Stop();
  refuseWrites = true;
  Start();
  view.messages.clear();
  view.hostText = "time.example";
  EXPECT_FALSE(form->Guard([this] { form->btSaveClick(); }));
  EXPECT_EQ(view.messages,
            Messages({TMessageKind::Error, "Horalux",
                      EncodeCodePage(u"Konnte Daten f\u00fcr 'Host' nicht setzen.")}));
}

class WindowTest : public FormTest {
 protected:
  WindowTest() {
    WriteHostList("");
    Start();
  }
};

TEST_F(WindowTest, HideShowAndExit) {
  ASSERT_TRUE(view.visible);
  form->btHideClick();
  EXPECT_FALSE(view.visible);
  form->mnOptionsClick();
  EXPECT_TRUE(view.visible);
  form->btHideClick();
  form->abfTrayIconDblClick();
  EXPECT_TRUE(view.visible);
  EXPECT_FALSE(view.terminated);
  form->mnExitClick();
  EXPECT_TRUE(view.terminated);
}

TEST_F(WindowTest, TheAddressLabelOpensTheWebPage) {
  form->lblURLClick();
  EXPECT_EQ(view.openedUrls, std::vector<std::string>{TForm1::kWebAddress});
}

TEST_F(WindowTest, StatusShowsTheServerStateAndTheTrayHintFollows) {
  form->Timer1Timer();
  EXPECT_EQ(view.status[0], " NTP Server not running");
  EXPECT_EQ(view.trayHint, "Horalux");
  view.Click(TCheckBox::ckServer);
  ASSERT_TRUE(form->IdTimeServer().Active());
  form->Timer1Timer();
  EXPECT_EQ(view.status[0],
            " NTP Server on \"" + form->IdTimeServer().LocalMachineName() + "\" ready!");
  EXPECT_EQ(view.trayHint, "Horalux (Server active)");
  view.Click(TCheckBox::ckServer);
  form->Timer1Timer();
  EXPECT_EQ(view.trayHint, "Horalux");
}

TEST_F(WindowTest, SwitchingTheServerOnWithItsPortTakenShowsTheErrorBox) {
  RawListener taken;
  Stop();
  serverPort = taken.Port();
  Start();
  view.messages.clear();
  view.Click(TCheckBox::ckServer);
  EXPECT_EQ(view.messages,
            Messages({TMessageKind::Error, "Horalux",
                      "Could not bind socket. Address and port are already in use."}));
  EXPECT_TRUE(view.checked[TCheckBox::ckServer]);
  EXPECT_FALSE(form->IdTimeServer().Active());
}

TEST(ErrorBoxText, AppendsADotAfterACharacterAboveTheDotOnly) {
  EXPECT_EQ(ErrorBoxText("Socket Error # 10061"), "Socket Error # 10061.");
  EXPECT_EQ(ErrorBoxText("folder/"), "folder/.");
  EXPECT_EQ(ErrorBoxText("Gr\xc3\xb6\xc3\x9f"
                         "e"),
            "Gr\xc3\xb6\xc3\x9f"
            "e.");
  EXPECT_EQ(ErrorBoxText("Gr\xc3\xb6\xc3\x9f"), "Gr\xc3\xb6\xc3\x9f.");
  for (const char* unchanged : {"Disconnected.", "Stop!", "Set Size (64)", "Line\r\n", "x-", ""}) {
    EXPECT_EQ(ErrorBoxText(unchanged), unchanged);
  }
}

}  // namespace
}  // namespace horalux::testing
