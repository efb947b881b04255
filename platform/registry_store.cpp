#include "platform/registry_store.h"

#include "platform/atomic_save.h"
#include "platform/regedit_document.h"

namespace horalux {
namespace {

const std::string kUserRoot = "HKEY_CURRENT_USER\\";

bool ValidSubKey(std::string_view subKey) {
  if (subKey.empty() || subKey.front() == '\\' || subKey.back() == '\\') return false;
  if (subKey.find("\\\\") != std::string_view::npos) return false;
  for (const char c : subKey) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

}  // namespace

RegistryStore::RegistryStore() : RegistryStore(DefaultStorePath(), NewDefaultStoreFileSystem()) {}

RegistryStore::RegistryStore(std::string filePath, std::unique_ptr<StoreFileSystem> fileSystem)
    : filePath_(std::move(filePath)), fileSystem_(std::move(fileSystem)) {}

RegistryStore::~RegistryStore() = default;

std::unique_ptr<RegistryKey> RegistryStore::CreateKey(std::string_view subKey) {
  if (!ValidSubKey(subKey)) {
    lastError_ = "Invalid key name \"" + std::string(subKey) + "\"";
    return nullptr;
  }
  RegDocument document;
  if (!Load(&document)) return nullptr;
  const std::string name = kUserRoot + std::string(subKey);
  if (!document.HasKey(name)) {
    if (!document.AddKey(name)) {
      lastError_ = "The key name \"" + name + "\" cannot be stored in " + filePath_;
      return nullptr;
    }
    if (!Save(document)) return nullptr;
  }
  return std::unique_ptr<RegistryKey>(new RegistryKey(*this, name));
}

bool RegistryStore::Load(RegDocument* document) {
  if (filePath_.empty()) {
    lastError_ = "No home folder for the settings store";
    return false;
  }
  std::string content;
  const FsStatus status = fileSystem_->ReadFile(filePath_, kMaxFileSize, &content);
  if (!status.ok() && !status.notFound()) {
    lastError_ = status.message;
    return false;
  }
  *document = RegDocument::Parse(content);
  return true;
}

bool RegistryStore::Save(const RegDocument& document) {
  FsStatus status = fileSystem_->CreateFolders(FolderOf(filePath_));
  if (status.ok()) status = SaveAtomically(*fileSystem_, filePath_, document.Text());
  if (!status.ok()) lastError_ = status.message;
  return status.ok();
}

RegQueryResult RegistryKey::QueryValue(std::string_view name) const {
  RegDocument document;
  if (!store_.Load(&document)) return {RegQueryResult::Status::Unreadable, {}};
  std::optional<RegEntry> entry = document.FindValue(name_, name);
  if (!entry || entry->kind == RegEntry::Kind::Deletion) return {};
  if (entry->kind == RegEntry::Kind::Malformed) return {RegQueryResult::Status::Unreadable, {}};
  return {RegQueryResult::Status::Found, std::move(entry->value)};
}

bool RegistryKey::SetValue(std::string_view name, const RegValue& value) {
  return SetValues({{std::string(name), value}});
}

bool RegistryKey::SetValues(const std::vector<RegNamedValue>& values, std::size_t* refused) {
  if (refused != nullptr) *refused = 0;
  RegDocument document;
  if (!store_.Load(&document)) return false;
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (!document.SetValue(name_, values[index].name, values[index].value)) {
      store_.lastError_ = "The value name \"" + values[index].name + "\" cannot be stored";
      if (refused != nullptr) *refused = index;
      return false;
    }
  }
  return store_.Save(document);
}

}  // namespace horalux
