#include "platform/failing_file_system.h"

namespace horalux::testing {
namespace {

FsStatus Injected(const std::string& path = {}) {
  return FsStatus::Failure(path.empty() ? "injected failure"
                                        : "injected failure at \"" + path + "\"");
}

class FailingWritableFile : public WritableFile {
 public:
  FailingWritableFile(FailingFileSystem& owner, std::unique_ptr<WritableFile> real)
      : owner_(owner), real_(std::move(real)) {}

  FsStatus Append(std::string_view data) override {
    if (owner_.Fails(FailingFileSystem::Step::Append)) {
      real_->Append(data.substr(0, data.size() / 2));
      return FsStatus::Failure("injected failure: No space left on device");
    }
    return real_->Append(data);
  }
  FsStatus Sync() override {
    return owner_.Fails(FailingFileSystem::Step::Sync) ? Injected() : real_->Sync();
  }
  FsStatus Close() override {
    return owner_.Fails(FailingFileSystem::Step::Close) ? Injected() : real_->Close();
  }

 private:
  FailingFileSystem& owner_;
  std::unique_ptr<WritableFile> real_;
};

}  // namespace

bool FailingFileSystem::Fails(Step step) {
  ++calls_[static_cast<std::size_t>(step)];
  if (crashed_) return true;
  if (!failure_ || failure_->step != step || --failure_->occurrence > 0) return false;
  crashed_ = failure_->mode == Mode::Crash;
  failure_.reset();
  return true;
}

FsStatus FailingFileSystem::ReadFile(const std::string& path, std::size_t limit,
                                     std::string* content) {
  return Fails(Step::Read) ? Injected(path) : real_->ReadFile(path, limit, content);
}

FsStatus FailingFileSystem::CreateFolders(const std::string& folder) {
  return Fails(Step::CreateFolders) ? Injected(folder) : real_->CreateFolders(folder);
}

FsStatus FailingFileSystem::NewTempFile(const std::string& folder, std::string_view prefix,
                                        std::unique_ptr<WritableFile>* file, std::string* path) {
  if (Fails(Step::NewTemp)) return Injected(folder);
  std::unique_ptr<WritableFile> real;
  FsStatus status = real_->NewTempFile(folder, prefix, &real, path);
  if (status.ok()) *file = std::make_unique<FailingWritableFile>(*this, std::move(real));
  return status;
}

FsStatus FailingFileSystem::RenameFile(const std::string& from, const std::string& to) {
  return Fails(Step::Rename) ? Injected(to) : real_->RenameFile(from, to);
}

FsStatus FailingFileSystem::SyncFolder(const std::string& folder) {
  return Fails(Step::SyncFolder) ? Injected(folder) : real_->SyncFolder(folder);
}

FsStatus FailingFileSystem::RemoveFile(const std::string& path) {
  return Fails(Step::Remove) ? Injected(path) : real_->RemoveFile(path);
}

}  // namespace horalux::testing
