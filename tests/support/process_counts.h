// Counts of this process's resources, to prove that nothing is left behind.
#pragma once

#include <functional>

namespace horalux::testing {

// Open descriptors on Linux, open handles (sockets among them) on Windows.
int OpenDescriptorCount();
int ThreadCount();

// Polls `condition` every 10 ms until it holds or timeoutMs passed; returns its last value.
bool Eventually(const std::function<bool()>& condition, int timeoutMs = 5000);

}  // namespace horalux::testing
