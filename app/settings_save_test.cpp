// "Save Settings" as a whole: a process killed in the middle of a save leaves the four
// values all old or all new. The kill is made in the store's file layer.
#include <gtest/gtest.h>

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

using SaveAsAWholeTest = FormTest;

TEST_F(SaveAsAWholeTest, AKillAtAnyPointLeavesAllFourOldOrAllFourNew) {
  WriteHostList("");
  for (int occurrence = 1; occurrence <= 4; ++occurrence) {
    WriteStore(kOldValues);
    auto fileSystem = std::make_unique<FailingFileSystem>();
    fileSystem->FailAt(FailingFileSystem::Step::Rename, FailingFileSystem::Mode::Crash, occurrence);
    Stop();
    Start(std::make_unique<RegFileStore>(folder.File("Horalux.reg"), std::move(fileSystem)));
    view.hostText = "new.example";
    view.intervalPosition = 45;
    view.checked[TCheckBox::ckStartup] = false;
    form->Guard([this] { form->btSaveClick(); });

    const std::string text = StoreText();
    EXPECT_TRUE(text == kHeader + kOldValues || text == kHeader + kNewValues)
        << "killed at rename " << occurrence << ":\n"
        << text;
  }
  EXPECT_EQ(StoreText(), kHeader + kNewValues);  // one save, one rename: the later kills miss
}

}  // namespace
}  // namespace horalux::testing
