// Test helper program: takes the named lock given as its argument, writes 'y' when it got it
// ('n' when not) and holds it until its input ends or it is killed. The Windows named mutex
// tests start it to have a holder in another process (named_mutex_testing.h).
#include <cstdio>

#include "platform/named_mutex.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  horalux::NamedMutex mutex(argv[1]);
  const bool held = mutex.TryLock() == horalux::TLockResult::Acquired;
  std::fputc(held ? 'y' : 'n', stdout);
  std::fflush(stdout);
  while (std::fgetc(stdin) != EOF) {
  }
  return 0;
}
