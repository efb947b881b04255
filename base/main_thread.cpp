#include "base/main_thread.h"

#include <atomic>

namespace horalux {
namespace {

// Static initialisation runs on the thread that starts the program.
std::atomic<std::thread::id> mainThread{std::this_thread::get_id()};

}  // namespace

std::thread::id MainThreadId() noexcept { return mainThread.load(std::memory_order_relaxed); }

bool IsMainThread() noexcept { return std::this_thread::get_id() == MainThreadId(); }

void SetMainThread(std::thread::id id) noexcept { mainThread.store(id, std::memory_order_relaxed); }

}  // namespace horalux
