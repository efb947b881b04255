#include "app/date_time_formats.h"

namespace horalux {

std::string DateTimeText(const TDateTimeFormats& formats, TDateTime when) {
  const TSystemTime time = DateTimeToSystemTime(when);
  std::string text = formats.DateText(time);
  if (time.hour != 0 || time.minute != 0 || time.second != 0) {
    text += ' ';
    text += formats.TimeText(time);
  }
  return text;
}

const std::string& TTimeTexts::operator()(TDateTime when) {
  const TSystemTime time = DateTimeToSystemTime(when);
  // The time text depends on the time of day alone.
  if (!valid_ || time.hour != cachedFor_.hour || time.minute != cachedFor_.minute ||
      time.second != cachedFor_.second) {
    cached_ = formats_->TimeText(time);
    cachedFor_ = time;
    valid_ = true;
  }
  return cached_;
}

}  // namespace horalux
