// Start-up, settings and window behaviour of TForm1.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "app/form1_test_support.h"
#include "app/url_label.h"
#include "desktop/tray_icon.h"
#include "platform/registry_file_store.h"
#include "tests/support/loopback.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

const char* const kWarning = "Error while reading settings.\r\nPlease install Horalux again.";
const std::string kGoodSettings =
    "\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000002d\n\"Sync on Startup\"=dword:00000000\n"
    "\"Start Server\"=dword:00000000\n";

class StartUpTest : public FormTest {
 protected:
  void ExpectWarningShown() {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Warnung"));
    EXPECT_EQ(boxes[0].text, QString::fromLatin1(kWarning));
  }
};

TEST_F(StartUpTest, FirstStartCreatesTheEmptyKeyAndShowsTheWindowWithoutWarning) {
  WriteHostList("time.example\r\n");
  Start();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(boxes.empty());
  EXPECT_NE(StoreText().find("[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]"), std::string::npos);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Horalux"));
  EXPECT_EQ(form->cbTimeHost->count(), 1);
}

TEST_F(StartUpTest, MissingHostListWarnsEvenWithValidSettingsAndReadsNothing) {
  WriteStore(kGoodSettings + "\"Start Server\"=dword:00000001\n");
  Start();
  EXPECT_TRUE(form->isVisible());
  ExpectWarningShown();
  EXPECT_EQ(form->cbTimeHost->currentText(), QString());
  EXPECT_EQ(form->edInterval->value(), 300);
  EXPECT_FALSE(form->ckServer->isChecked());
  EXPECT_FALSE(form->IdTimeServer().Active());
}

TEST_F(StartUpTest, HostListEntriesAreOfferedAsTheyStand) {
  WriteHostList(
      "a\r\n\r\n b \rc\nd\x1a"
      "ignored");
  WriteStore(kGoodSettings);
  Start();
  ASSERT_EQ(form->cbTimeHost->count(), 4);
  EXPECT_EQ(form->cbTimeHost->itemText(1), QString());
  EXPECT_EQ(form->cbTimeHost->itemText(2), QStringLiteral(" b "));
  EXPECT_EQ(form->cbTimeHost->itemText(3), QStringLiteral("c\nd"));
}

TEST_F(StartUpTest, EmptyHostShowsTheWindowAndReadsNothingElse) {
  WriteHostList("");
  WriteStore("\"Host\"=\"\"\n\"Interval\"=dword:0000002d\n");
  Start();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(form->edInterval->value(), 300);
  EXPECT_TRUE(form->ckStartup->isChecked());
}

TEST_F(StartUpTest, ValidSettingsKeepTheWindowHidden) {
  WriteHostList("");
  WriteStore(kGoodSettings);
  Start();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(form->cbTimeHost->currentText(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(form->edInterval->value(), 45);
  EXPECT_FALSE(form->ckStartup->isChecked());
  EXPECT_TRUE(form->LogLines().Lines().empty());
}

TEST_F(StartUpTest, MissingIntervalWarnsAfterShowingTheHostAndRunsNothing) {
  WriteHostList("");
  WriteStore("\"Host\"=\"127.0.0.1\"\n\"Sync on Startup\"=dword:00000001\n");
  Start();
  EXPECT_TRUE(form->isVisible());
  ExpectWarningShown();
  EXPECT_EQ(form->cbTimeHost->currentText(), QStringLiteral("127.0.0.1"));
  EXPECT_TRUE(form->LogLines().Lines().empty());
}

TEST_F(StartUpTest, WrongTypesWarnWithTheValuesBeforeThemApplied) {
  WriteHostList("");
  WriteStore("\"Host\"=\"127.0.0.1\"\n\"Interval\"=dword:0000002d\n\"Sync on Startup\"=\"1\"\n");
  Start();
  ExpectWarningShown();
  EXPECT_EQ(form->edInterval->value(), 45);
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
  EXPECT_TRUE(form->ckServer->isChecked());
  EXPECT_FALSE(form->IdTimeServer().Active());
  EXPECT_TRUE(form->LogLines().Lines().empty());  // the failure came before the start-up run
  form->Timer1Timer();
  EXPECT_EQ(form->StatusPanel0->text(), QStringLiteral(" NTP Server not running"));
}

class SaveTest : public FormTest {
 protected:
  SaveTest() {
    WriteHostList("");
    Start();
  }
  QLineEdit* IntervalEdit() const { return form->edInterval->findChild<QLineEdit*>(); }
};

TEST_F(SaveTest, WritesTheFourValuesWithTheirTypes) {
  form->cbTimeHost->setEditText(QStringLiteral("time.example"));
  IntervalEdit()->selectAll();
  QTest::keyClicks(IntervalEdit(), QStringLiteral("45"));
  form->ckStartup->setChecked(false);
  form->btSave->click();
  const std::string text = StoreText();
  EXPECT_NE(text.find("\"Host\"=\"time.example\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"Interval\"=dword:0000002d"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Sync on Startup\"=dword:00000000"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Start Server\"=dword:00000000"), std::string::npos) << text;
  EXPECT_TRUE(boxes.empty());
}

TEST_F(SaveTest, LettersInTheIntervalKeepThePreviousPosition) {
  form->edInterval->setValue(60);
  IntervalEdit()->selectAll();
  QTest::keyClicks(IntervalEdit(), QStringLiteral("abc"));
  form->btSave->click();
  EXPECT_NE(StoreText().find("\"Interval\"=dword:0000003c"), std::string::npos) << StoreText();
}

TEST_F(SaveTest, AnEmptyHostIsSavedAndTheNextStartShowsTheWindow) {
  form->cbTimeHost->setEditText(QString());
  form->btSave->click();
  EXPECT_NE(StoreText().find("\"Host\"=\"\""), std::string::npos) << StoreText();
  form.reset();
  Start();
  EXPECT_TRUE(form->isVisible());
}

TEST_F(SaveTest, ARefusedWriteReachesTheErrorBoxWithAFullStop) {
  form->cbTimeHost->setEditText(QStringLiteral("time.example"));
  // The store's folder turns into a file: no save can succeed, not even as root.
  form.reset();
  boxes.clear();
  const std::string blocked = folder.File("blocked");
  WriteFileText(blocked, "");
  Form1Environment environment;
  environment.application = &application;
  environment.store =
      std::make_unique<RegFileStore>(blocked + "/Horalux.reg", NewDefaultStoreFileSystem());
  environment.hostListPath = folder.File("server.lst");
  environment.clockSetter = std::make_unique<RecordingClockSetter>();
  form = std::make_unique<TForm1>(std::move(environment));
  form->btSave->click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].caption, QStringLiteral("Horalux"));
  EXPECT_EQ(boxes[0].text, QStringLiteral("Konnte Daten für 'Host' nicht setzen."));
}

class WindowTest : public FormTest {
 protected:
  WindowTest() {
    WriteHostList("");
    Start();
  }
};

TEST_F(WindowTest, EnterHidesAndEscapeDoesNothing) {
  ASSERT_TRUE(form->isVisible());
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());
  QTest::keyClick(form.get(), Qt::Key_Return);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(application.Terminated());
}

TEST_F(WindowTest, TheCloseBoxEndsTheProgram) {
  form->close();
  EXPECT_TRUE(application.Terminated());
}

TEST_F(WindowTest, OptionsShowsAndExitEnds) {
  form->btHide->click();
  EXPECT_FALSE(form->isVisible());
  form->mnOptions->trigger();
  EXPECT_TRUE(form->isVisible());
  form->mnExit->trigger();
  EXPECT_TRUE(application.Terminated());
}

TEST_F(WindowTest, LayoutFollowsTheWindowDescription) {
  EXPECT_EQ(form->size(), QSize(329, 361));
  EXPECT_EQ(form->btHide->geometry(), QRect(248, 304, 75, 25));
  EXPECT_EQ(form->cbTimeHost->geometry(), QRect(85, 24, 228, 21));
  EXPECT_EQ(form->Log->geometry(), QRect(8, 200, 313, 89));
  EXPECT_EQ(form->StatusPanel0->width(), 200);
  EXPECT_TRUE(form->btHide->isDefault());
  EXPECT_FALSE(form->btSync->autoDefault());
  EXPECT_EQ(form->edInterval->singleStep(), 15);
  EXPECT_EQ(form->edInterval->maximum(), 9999);
  EXPECT_EQ(form->btSync->text(), QStringLiteral("Sync &Now"));
  EXPECT_EQ(form->ckServer->text(),
            QStringLiteral("&Other Clients can get the time from this machine"));
  EXPECT_EQ(form->PopupMenu().actions().size(), 3);
  EXPECT_EQ(form->PopupMenu().defaultAction(), nullptr);
}

TEST_F(WindowTest, TheUpDownStepsByFifteenWithinItsRange) {
  form->edInterval->setValue(9990);
  form->edInterval->stepUp();
  EXPECT_EQ(form->edInterval->value(), 9999);
  form->edInterval->setValue(10);
  form->edInterval->stepDown();
  EXPECT_EQ(form->edInterval->value(), 0);
  form->edInterval->setValue(1200);
  EXPECT_EQ(form->edInterval->text(), QLocale().toString(1200));
}

TEST_F(WindowTest, TheAddressLabelOpensTheWebPage) {
  QTest::mouseClick(form->lblURL, Qt::LeftButton);
  EXPECT_EQ(openedUrls, std::vector<std::string>{TForm1::kWebAddress});
}

TEST_F(WindowTest, StatusShowsTheServerStateAndTheTrayHintFollows) {
  form->Timer1Timer();
  EXPECT_EQ(form->StatusPanel0->text(), QStringLiteral(" NTP Server not running"));
  EXPECT_EQ(form->abfTrayIcon().Hint(), QStringLiteral("Horalux"));
  form->ckServer->setChecked(true);
  ASSERT_TRUE(form->IdTimeServer().Active());
  form->Timer1Timer();
  const QString name = QString::fromStdString(form->IdTimeServer().LocalMachineName());
  EXPECT_EQ(form->StatusPanel0->text(),
            QStringLiteral(" NTP Server on \"") + name + QStringLiteral("\" ready!"));
  EXPECT_EQ(form->abfTrayIcon().Hint(), QStringLiteral("Horalux (Server active)"));
  form->ckServer->setChecked(false);
  form->Timer1Timer();
  EXPECT_EQ(form->abfTrayIcon().Hint(), QStringLiteral("Horalux"));
}

TEST_F(WindowTest, SwitchingTheServerOnWithItsPortTakenShowsTheErrorBox) {
  RawListener taken;
  form.reset();
  serverPort = taken.Port();
  Start();
  boxes.clear();
  form->ckServer->setChecked(true);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            QStringLiteral("Could not bind socket. Address and port are already in use."));
  EXPECT_TRUE(form->ckServer->isChecked());
  EXPECT_FALSE(form->IdTimeServer().Active());
}

}  // namespace
}  // namespace horalux::testing
