// "Save Settings" as a whole: a process killed in the middle of a save leaves the four
// values all old or all new. The kill is made in the store file's own layer, which only
// Linux uses: the registry of Windows keeps a key's values by itself.
#include <gtest/gtest.h>

#include "app/form1_test_support.h"
#include "platform/failing_file_system.h"
#include "platform/registry_file_store.h"
#include "platform/scoped_temp_dir.h"

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
  void WriteStoreFile(const std::string& values) { WriteFileText(path, kHeader + values); }
  std::string StoreFileText() const { return ReadFileText(path); }

  const std::string path = folder.File("Horalux.reg");
};

TEST_F(SaveAsAWholeTest, AKillAtAnyPointLeavesAllFourOldOrAllFourNew) {
  WriteHostList("");
  for (int occurrence = 1; occurrence <= 4; ++occurrence) {
    WriteStoreFile(kOldValues);
    auto fileSystem = std::make_unique<FailingFileSystem>();
    fileSystem->FailAt(FailingFileSystem::Step::Rename, FailingFileSystem::Mode::Crash, occurrence);
    Stop();
    Start(std::make_unique<RegFileStore>(path, std::move(fileSystem)));
    view.hostText = "new.example";
    view.intervalPosition = 45;
    view.checked[TCheckBox::ckStartup] = false;
    form->Guard([this] { form->btSaveClick(); });

    const std::string text = StoreFileText();
    EXPECT_TRUE(text == kHeader + kOldValues || text == kHeader + kNewValues)
        << "killed at rename " << occurrence << ":\n"
        << text;
  }
  EXPECT_EQ(StoreFileText(), kHeader + kNewValues);  // one save, one rename: the later kills miss
}

}  // namespace
}  // namespace horalux::testing
