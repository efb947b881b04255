#include "app/qt/event_loop_hooks.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include "base/main_thread.h"
#include "net/anti_freeze.h"
#include "server/main_thread_queue.h"

namespace horalux {

void InstallEventLoopHooks() {
  SetMainThread();
  TIdAntiFreeze::InstallPendingWork({
      [] { QCoreApplication::processEvents(QEventLoop::AllEvents); },
      [] {
        // Qt cannot hand out exactly one message; one pass that does not wait comes closest.
        if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
          dispatcher->processEvents(QEventLoop::AllEvents);
        }
      },
  });
  InstallMainThreadWakeup([] {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &DrainMainThreadQueue,
                              Qt::QueuedConnection);
  });
}

void RemoveEventLoopHooks() {
  InstallMainThreadWakeup({});
  TIdAntiFreeze::InstallPendingWork({});
}

}  // namespace horalux
