// SockWait of the POSIX stack, on poll(): select() cannot watch descriptors of 1024 and
// above, which a busy server reaches. The 64-socket limit of a wait list stays.
#include <poll.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <optional>

#include "stack/exceptions.h"
#include "stack/messages.h"
#include "stack/native_error_posix.h"
#include "stack/socket_table_posix.h"
#include "stack/stack_posix.h"
#include "stack/wsa_codes.h"

namespace horalux {
namespace {

using Clock = std::chrono::steady_clock;

// One wait set: the sockets of a caller's list, in list order, with their descriptors.
struct WaitSet {
  TIdSocketList* list = nullptr;
  short events = 0;
  std::size_t first = 0;  // index of its first entry in the poll array
};

// select() semantics: a hang-up or error counts as readable, an error as writable.
bool Ready(short events, short revents) {
  if (events == POLLIN) return (revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  if (events == POLLOUT) return (revents & (POLLOUT | POLLERR)) != 0;
  return (revents & POLLPRI) != 0;
}

int PollResumingAfterSignal(pollfd* entries, std::size_t count, int timeout) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    const int result = ::poll(entries, count, timeout);
    if (result >= 0 || errno != EINTR) return result;
    if (timeout == -1) continue;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    timeout = static_cast<int>(std::max<std::int64_t>(0, left.count()));
  }
}

}  // namespace

int TIdStackBSDBase::SockWait(TIdSocketList* readList, TIdSocketList* writeList, int timeout,
                            TIdSocketList* errorList) {
  std::array<WaitSet, 3> sets{
      {{readList, POLLIN, 0}, {writeList, POLLOUT, 0}, {errorList, POLLPRI, 0}}};
  for (const WaitSet& set : sets) {
    if (set.list != nullptr && set.list->size() > Id_FD_SETSIZE) {
      throw EIdStackSetSizeExceeded(Messages().SetSizeExceeded);
    }
  }
  if (timeout < 0 && timeout != WaitForever) {
    posix::SetLastError(Id_WSAEINVAL);
    return Id_SOCKET_ERROR;
  }

  std::array<pollfd, 3 * Id_FD_SETSIZE> entries{};
  std::array<std::optional<posix::SocketTable::Use>, 3 * Id_FD_SETSIZE> uses;
  std::size_t count = 0;
  for (WaitSet& set : sets) {
    set.first = count;
    if (set.list == nullptr) continue;
    for (TIdStackSocketHandle socket : *set.list) {
      auto use = posix::Sockets().Enter(socket);
      if (!use) {
        posix::SetLastError(Id_WSAENOTSOCK);
        return Id_SOCKET_ERROR;
      }
      entries[count] = pollfd{use.fd(), set.events, 0};
      uses[count].emplace(std::move(use));
      ++count;
    }
  }

  const int result =
      PollResumingAfterSignal(entries.data(), count, timeout == WaitForever ? -1 : timeout);
  if (result < 0) {
    posix::RecordErrno();
    return Id_SOCKET_ERROR;
  }

  int ready = 0;
  for (const WaitSet& set : sets) {
    if (set.list == nullptr) continue;
    TIdSocketList stillReady;
    for (std::size_t i = 0; i < set.list->size(); ++i) {
      const pollfd& entry = entries[set.first + i];
      if (Ready(set.events, entry.revents)) stillReady.push_back((*set.list)[i]);
    }
    ready += static_cast<int>(stillReady.size());
    *set.list = std::move(stillReady);
  }
  return ready;
}

}  // namespace horalux
