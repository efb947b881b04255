#include "stack/socket_table_posix.h"

#include <sys/socket.h>
#include <unistd.h>

namespace horalux::posix {
namespace {

int FdOf(TIdStackSocketHandle handle) {
  return static_cast<int>(static_cast<std::uint64_t>(handle) & 0xffffffffu);
}

std::uint32_t GenerationOf(TIdStackSocketHandle handle) {
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(handle) >> 32);
}

}  // namespace

SocketTable::Use::Use(Use&& other) noexcept
    : table_(other.table_), fd_(other.fd_), generation_(other.generation_) {
  other.table_ = nullptr;
}

SocketTable::Use::~Use() {
  if (table_ != nullptr) table_->Leave(fd_, generation_);
}

bool SocketTable::Use::ClosedMeanwhile() const {
  return table_ != nullptr && table_->IsClosing(fd_, generation_);
}

TIdStackSocketHandle SocketTable::Adopt(int fd) {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(fd) >= slots_.size())
    slots_.resize(static_cast<std::size_t>(fd) + 1);
  Slot& slot = slots_[static_cast<std::size_t>(fd)];
  // Generation 0 is never handed out, so no handle equals Id_INVALID_SOCKET or a bare fd.
  slot.generation = slot.generation == UINT32_MAX - 1 ? 1 : slot.generation + 1;
  slot.users = 0;
  slot.open = true;
  slot.closing = false;
  return static_cast<TIdStackSocketHandle>(std::uint64_t{slot.generation} << 32 |
                                           static_cast<std::uint32_t>(fd));
}

SocketTable::Use SocketTable::Enter(TIdStackSocketHandle handle) {
  const int fd = FdOf(handle);
  const std::uint32_t generation = GenerationOf(handle);
  std::lock_guard lock(mutex_);
  Slot* slot = Find(fd, generation);
  if (slot == nullptr || slot->closing) return {};
  ++slot->users;
  return Use(this, fd, generation);
}

bool SocketTable::Close(TIdStackSocketHandle handle) {
  const int fd = FdOf(handle);
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    Slot* slot = Find(fd, GenerationOf(handle));
    if (slot == nullptr || slot->closing) return false;
    if (slot->users > 0) {
      slot->closing = true;
      wake = true;
    } else {
      slot->open = false;
    }
  }
  if (wake) {
    ::shutdown(fd, SHUT_RDWR);  // the last Use releases the descriptor
  } else {
    ::close(fd);
  }
  return true;
}

void SocketTable::Leave(int fd, std::uint32_t generation) {
  bool release = false;
  {
    std::lock_guard lock(mutex_);
    Slot* slot = Find(fd, generation);
    if (slot == nullptr) return;
    --slot->users;
    if (slot->closing && slot->users == 0) {
      slot->open = false;
      slot->closing = false;
      release = true;
    }
  }
  if (release) ::close(fd);
}

bool SocketTable::IsClosing(int fd, std::uint32_t generation) {
  std::lock_guard lock(mutex_);
  const Slot* slot = Find(fd, generation);
  return slot == nullptr || slot->closing;
}

SocketTable::Slot* SocketTable::Find(int fd, std::uint32_t generation) {
  if (fd < 0 || static_cast<std::size_t>(fd) >= slots_.size()) return nullptr;
  Slot& slot = slots_[static_cast<std::size_t>(fd)];
  if (!slot.open || slot.generation != generation) return nullptr;
  return &slot;
}

SocketTable& Sockets() {
  // Never destroyed: server threads may still leave a Use while the process exits.
  static SocketTable* table = new SocketTable;  // NOLINT(cppcoreguidelines-owning-memory)
  return *table;
}

}  // namespace horalux::posix
