// What the window's controller takes from outside: the application's title, where its
// settings and host list are, how the clock is set and read, how dates and times are
// written, the ports of the time client and server. The program passes the real ones;
// tests pass fakes and temporary folders.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/date_time_formats.h"
#include "base/date_time.h"
#include "platform/clock_setter.h"
#include "platform/registry_store.h"

namespace horalux {

struct TForm1Environment {
  // The application title: the window's caption, the error boxes' caption.
  std::string title = "Horalux";
  std::unique_ptr<RegistryStore> store;  // required: the user's settings store
  std::string hostListPath = "server.lst";
  std::unique_ptr<ClockSetter> clockSetter;   // required
  std::unique_ptr<TDateTimeFormats> formats;  // required
  // What a user whose clock could not be set may do about it, for the notification.
  std::string clockRightsAdvice;
  int timeClientPort = 37;  // where the time client asks
  int timeServerPort = 37;  // where the time server listens
  std::function<TDateTime()> localClock = &Now;
  int mirrorDescriptor = 2;  // where the log's mirror goes: standard error
};

}  // namespace horalux
