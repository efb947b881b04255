// Which thread is the process's main (user-interface) thread. Idle processing and
// hand-offs to the main thread compare against it.
#pragma once

#include <thread>

namespace horalux {

// The thread that loaded the program, unless SetMainThread named another one.
std::thread::id MainThreadId() noexcept;
bool IsMainThread() noexcept;

// Requires: no other thread is running network work (the id is read without a lock).
void SetMainThread(std::thread::id id = std::this_thread::get_id()) noexcept;

}  // namespace horalux
