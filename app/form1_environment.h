// What the window takes from outside: the application object, where its settings and
// host list are, how the clock is set and read, the time server's port, how a web page
// is opened. The program passes the real ones; tests pass fakes and temporary folders.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/date_time.h"
#include "platform/clock_setter.h"
#include "platform/registry_store.h"

class QUrl;

namespace horalux {

class TApplication;

struct Form1Environment {
  TApplication* application = nullptr;   // required; outlives the window
  std::unique_ptr<RegistryStore> store;  // the user's settings store
  std::string hostListPath = "server.lst";
  std::unique_ptr<ClockSetter> clockSetter;
  int timeClientPort = 37;  // where the time client asks
  int timeServerPort = 37;  // where the time server listens
  std::function<TDateTime()> localClock = &Now;
  std::function<void(const QUrl&)> openUrl;  // the desktop's default when empty
  // The code set of hosts, the host list and the log (an iconv name); empty: the user's
  // locale's.
  std::string textCodeset;
};

}  // namespace horalux
