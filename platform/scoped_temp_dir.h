// Test helper: a fresh folder under the system's temporary folder, removed with all its
// content when the object goes.
#pragma once

#include <string>

namespace horalux::testing {

class ScopedTempDir {
 public:
  ScopedTempDir();  // throws std::runtime_error when no folder can be made
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::string& Path() const noexcept { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole content of a file; throws std::runtime_error when it cannot be read.
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& content);

}  // namespace horalux::testing
