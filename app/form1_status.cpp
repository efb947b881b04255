// The once-a-second refresh of the status bar and the tray hint.
#include "app/form1.h"
#include "timeproto/time_server.h"

namespace horalux {

void TForm1::Timer1Timer() {
  if (!syncInProgress_) {
    if (idTimeServer_->Active()) {
      view_.SetStatusText(TStatusPanel::Run,
                          " NTP Server on \"" + idTimeServer_->LocalMachineName() + "\" ready!");
      view_.SetTrayHint("Horalux (Server active)");
    } else {
      view_.SetStatusText(TStatusPanel::Run, " NTP Server not running");
      view_.SetTrayHint("Horalux");
    }
  }
  view_.SetStatusText(TStatusPanel::DateTime, DateTimeText(*env_.formats, env_.localClock()));
}

}  // namespace horalux
