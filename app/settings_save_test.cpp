// "Save Settings" as a whole: a process killed in the middle of a save leaves the four
// values all old or all new. The kill is made in the store's file layer.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include "app/form1_test_support.h"
#include "platform/failing_file_system.h"
#include "platform/registry_file_store.h"

namespace horalux::testing {
namespace {

const std::string kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n";
const std::string kOldValues =
    "\"Host\"=\"old.example\"\n\"Interval\"=dword:0000003c\n"
    "\"Sync on Startup\"=dword:00000001\n\"Start Server\"=dword:00000000\n";
const std::string kNewValues =
    "\"Host\"=\"new.example\"\n\"Interval\"=dword:0000002d\n"
    "\"Sync on Startup\"=dword:00000000\n\"Start Server\"=dword:00000000\n";

class SaveAsAWholeTest : public FormTest {
 protected:
  // The window over the store file with a file layer that dies as `fileSystem` says.
  void StartOver(std::unique_ptr<FailingFileSystem> fileSystem) {
    form.reset();
    Form1Environment environment;
    environment.application = &application;
    environment.store =
        std::make_unique<RegFileStore>(folder.File("Horalux.reg"), std::move(fileSystem));
    environment.hostListPath = folder.File("server.lst");
    environment.clockSetter = std::make_unique<RecordingClockSetter>();
    form = std::make_unique<TForm1>(std::move(environment));
  }
};

TEST_F(SaveAsAWholeTest, AKillAtAnyPointLeavesAllFourOldOrAllFourNew) {
  WriteHostList("");
  for (int occurrence = 1; occurrence <= 4; ++occurrence) {
    WriteStore(kOldValues);
    auto fileSystem = std::make_unique<FailingFileSystem>();
    fileSystem->FailAt(FailingFileSystem::Step::Rename, FailingFileSystem::Mode::Crash, occurrence);
    StartOver(std::move(fileSystem));
    form->cbTimeHost->setEditText(QStringLiteral("new.example"));
    form->edInterval->setValue(45);
    form->ckStartup->setChecked(false);
    form->btSave->click();

    const std::string text = StoreText();
    EXPECT_TRUE(text == kHeader + kOldValues || text == kHeader + kNewValues)
        << "killed at rename " << occurrence << ":\n"
        << text;
  }
  EXPECT_EQ(StoreText(), kHeader + kNewValues);  // one save, one rename: the later kills miss
}

}  // namespace
}  // namespace horalux::testing
