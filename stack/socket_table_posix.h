// The POSIX stack's table of open descriptors.
//
// Linux does not wake a thread blocked in accept(), connect() or poll() when another
// thread closes the descriptor, and a descriptor number that is closed while another
// thread still uses it may already name someone else's socket. So sockets leave the
// stack as handles that carry a generation beside the descriptor, every system call on a
// socket holds a Use for its duration, and a close while a call is under way only shuts
// the socket down (which wakes the call) and releases the descriptor when the last Use
// ends. A handle whose socket was closed never reaches a descriptor again.
//
// Thread-safe: one mutex guards the table; it is never held during a system call.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "stack/stack.h"

namespace horalux::posix {

class SocketTable {
 public:
  class Use {
   public:
    Use() = default;
    Use(Use&& other) noexcept;
    Use& operator=(Use&&) = delete;
    ~Use();

    explicit operator bool() const noexcept { return table_ != nullptr; }
    int fd() const noexcept { return fd_; }
    // True when another thread closed the socket while this use was under way.
    bool ClosedMeanwhile() const;

   private:
    friend class SocketTable;
    Use(SocketTable* table, int fd, std::uint32_t generation)
        : table_(table), fd_(fd), generation_(generation) {}
    SocketTable* table_ = nullptr;
    int fd_ = -1;
    std::uint32_t generation_ = 0;
  };

  // Takes a freshly made descriptor into the table and returns its handle.
  TIdStackSocketHandle Adopt(int fd);
  // An empty Use when the handle names no open socket.
  Use Enter(TIdStackSocketHandle handle);
  // Closes the socket behind the handle. Returns false when it names no open socket.
  bool Close(TIdStackSocketHandle handle);

 private:
  struct Slot {
    std::uint32_t generation = 0;
    int users = 0;
    bool open = false;
    bool closing = false;
  };

  void Leave(int fd, std::uint32_t generation);
  bool IsClosing(int fd, std::uint32_t generation);
  Slot* Find(int fd, std::uint32_t generation);  // requires mutex_

  std::mutex mutex_;
  std::vector<Slot> slots_;  // indexed by descriptor number
};

// The one table of the process: descriptors are process-wide.
SocketTable& Sockets();

}  // namespace horalux::posix
