#include "platform/registry_file_store.h"

#include "platform/atomic_save.h"
#include "platform/regedit_document.h"

namespace horalux {

// An open key of a RegFileStore: a section of the file, looked up on every call.
class RegFileKey : public RegistryKey {
 public:
  RegFileKey(RegFileStore& store, std::string name) : RegistryKey(std::move(name)), store_(store) {}

  RegQueryResult QueryValue(std::string_view name) const override;

 private:
  bool Store(const std::vector<RegNamedValue>& values, std::size_t& refused) override;

  RegFileStore& store_;
};

RegFileStore::RegFileStore(std::string filePath, std::unique_ptr<StoreFileSystem> fileSystem)
    : filePath_(std::move(filePath)), fileSystem_(std::move(fileSystem)) {}

RegFileStore::~RegFileStore() = default;

std::unique_ptr<RegistryKey> RegFileStore::CreateKey(std::string_view subKey) {
  if (!IsValidSubKey(subKey)) {
    RecordFailure("Invalid key name \"" + std::string(subKey) + "\"");
    return nullptr;
  }
  RegDocument document;
  if (!Load(&document)) return nullptr;
  const std::string name = UserKeyName(subKey);
  if (!document.HasKey(name)) {
    if (!document.AddKey(name)) {
      RecordFailure("The key name \"" + name + "\" cannot be stored in " + filePath_);
      return nullptr;
    }
    if (!Save(document)) return nullptr;
  }
  return std::make_unique<RegFileKey>(*this, name);
}

bool RegFileStore::Load(RegDocument* document) {
  if (filePath_.empty()) {
    RecordFailure("No home folder for the settings store");
    return false;
  }
  std::string content;
  const FsStatus status = fileSystem_->ReadFile(filePath_, kMaxFileSize, &content);
  if (!status.ok() && !status.notFound()) {
    RecordFailure(status.message);
    return false;
  }
  *document = RegDocument::Parse(content);
  return true;
}

bool RegFileStore::Save(const RegDocument& document) {
  FsStatus status = fileSystem_->CreateFolders(FolderOf(filePath_));
  if (status.ok()) status = SaveAtomically(*fileSystem_, filePath_, document.Text());
  if (!status.ok()) RecordFailure(status.message);
  return status.ok();
}

RegQueryResult RegFileKey::QueryValue(std::string_view name) const {
  RegDocument document;
  if (!store_.Load(&document)) return {RegQueryResult::Status::Unreadable, {}};
  std::optional<RegEntry> entry = document.FindValue(Name(), name);
  if (!entry || entry->kind == RegEntry::Kind::Deletion) return {};
  if (entry->kind == RegEntry::Kind::Malformed) return {RegQueryResult::Status::Unreadable, {}};
  return {RegQueryResult::Status::Found, std::move(entry->value)};
}

bool RegFileKey::Store(const std::vector<RegNamedValue>& values, std::size_t& refused) {
  refused = 0;
  RegDocument document;
  if (!store_.Load(&document)) return false;
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (!document.SetValue(Name(), values[index].name, values[index].value)) {
      store_.RecordFailure("The value name \"" + values[index].name + "\" cannot be stored");
      refused = index;
      return false;
    }
  }
  return store_.Save(document);
}

}  // namespace horalux
