// Date and time texts in the user's locale, as the platform writes them (Qt's locale on
// Linux, the system's locale calls on Windows), and the rules the program adds to them.
// The texts are program text: bytes in the user's code page.
#pragma once

#include <memory>
#include <string>

#include "base/date_time.h"

namespace horalux {

class TDateTimeFormats {
 public:
  virtual ~TDateTimeFormats() = default;

  // The short date.
  virtual std::string DateText(const TSystemTime& time) const = 0;
  // The long time: hours as the locale writes them, two-digit minutes and seconds, the
  // locale's separator, and its AM/PM designator where it uses a 12-hour clock.
  virtual std::string TimeText(const TSystemTime& time) const = 0;
  // An object of its own, for another thread: one object is used by one thread at a time.
  virtual std::unique_ptr<TDateTimeFormats> Clone() const = 0;
};

// The short date, a blank and the long time; the date alone at exactly midnight.
std::string DateTimeText(const TDateTimeFormats& formats, TDateTime when);

// The long time of moments, formatted once for each second: many lines of one second cost
// one formatting. Not thread-safe: one object per thread.
class TTimeTexts {
 public:
  explicit TTimeTexts(std::unique_ptr<TDateTimeFormats> formats) : formats_(std::move(formats)) {}
  const std::string& operator()(TDateTime when);

 private:
  std::unique_ptr<TDateTimeFormats> formats_;
  TSystemTime cachedFor_{};
  std::string cached_;
  bool valid_ = false;
};

}  // namespace horalux
