// The Linux store under test: a store file in a fresh folder, on a file system that can be
// made to fail.
#include "platform/failing_file_system.h"
#include "platform/regedit_document.h"
#include "platform/registry_file_store.h"
#include "platform/registry_store_testing.h"
#include "platform/scoped_temp_dir.h"

namespace horalux::testing {
namespace {

class TestStoreFile : public TestRegistry {
 public:
  TestStoreFile()
      : path_(folder_.File("Vantok/Horalux.reg")),
        store_(path_, std::make_unique<FailingFileSystem>()) {}

  RegistryStore& Store() override { return store_; }
  const std::string& SubKey() const override { return subKey_; }
  bool KeyExists() const override {
    std::string text;
    try {
      text = ReadFileText(path_);
    } catch (const std::runtime_error&) {
      return false;
    }
    return RegDocument::Parse(text).HasKey(UserKeyName(subKey_));
  }
  // A line break cannot stand in a value line.
  std::string UnstorableValueName() const override { return "Bad\nName"; }

 private:
  ScopedTempDir folder_;
  std::string path_;
  RegFileStore store_;
  const std::string subKey_ = "SOFTWARE\\Vantok\\Horalux";
};

}  // namespace

std::unique_ptr<TestRegistry> NewTestRegistry() { return std::make_unique<TestStoreFile>(); }

}  // namespace horalux::testing
