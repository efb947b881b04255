#include "server/id_thread.h"

#include "server/notify_thread.h"

namespace horalux {

TIdThread::TIdThread() { TIdNotifyThread::CreateOnce(); }

TIdThread::~TIdThread() = default;

bool TIdThread::IsHalted() {
  std::lock_guard lock(StateLock);
  return EndRequested() || HaltFlag.load() || Parked();
}

void TIdThread::Launch() {
  std::lock_guard lock(StateLock);
  if (!IsHalted()) return;
  HaltFlag.store(false);
  if (!Parked()) return;
  try {
    // Still under StateLock: the new thread's first IsHalted waits for the start to finish.
    Start();
  } catch (...) {
    HaltFlag.store(true);
    throw;
  }
}

void TIdThread::RequestStop() {
  std::lock_guard lock(StateLock);
  if (IsHalted()) return;
  RequestEnd();
  HaltFlag.store(true);
}

void TIdThread::EndAndJoin() {
  RequestEnd();
  HaltFlag.store(true);
  Join();
}

void TIdThread::Execute() {
  {
    // Launch may still be releasing StateLock. A body that ends at once and disposes of
    // itself would otherwise destroy the lock under it.
    std::lock_guard lock(StateLock);
  }
  try {
    while (!EndRequested()) RunCycle();
  } catch (...) {
    // A failing step ends the worker and nothing else; see the header.
    RequestEnd();
  }
}

void TIdThread::RunCycle() {
  PrepareLoop();
  try {
    while (!IsHalted()) LoopStep();
  } catch (...) {
    FinishLoop();
    throw;
  }
  FinishLoop();
}

}  // namespace horalux
