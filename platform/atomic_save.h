// Replaces a file's content so that the file always holds either its old or its new
// content, whole, whatever happens during the save (crash, full disk, failing device).
#pragma once

#include <string>
#include <string_view>

#include "platform/store_file_system.h"

namespace horalux {

// Writes `content` to a new temporary file beside `path` (mode 0600), syncs it, renames it
// over `path` and syncs the folder. Requires: the folder of `path` exists.
// On a failure before the rename, `path` is untouched and the temporary file is removed
// (as far as the file system lets us). A failure of the final folder sync is reported too:
// `path` then holds the new content, but its durability is not confirmed.
// Never throws for file-system failures; the returned status says what failed and why.
FsStatus SaveAtomically(StoreFileSystem& fileSystem, const std::string& path,
                        std::string_view content);

// The folder part of a path ("." for a bare file name).
std::string FolderOf(const std::string& path);

}  // namespace horalux
