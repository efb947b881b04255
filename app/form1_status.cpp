// The once-a-second refresh of the status bar and the tray hint.
#include <QLabel>

#include "app/form1.h"
#include "desktop/tray_icon.h"
#include "desktop/ui_trace.h"
#include "timeproto/time_server.h"

namespace horalux {

void TForm1::Timer1Timer() {
  if (!syncInProgress_) {
    if (idTimeServer_->Active()) {
      StatusPanel0->setText(QStringLiteral(" NTP Server on \"") +
                            text_.ToQString(idTimeServer_->LocalMachineName()) +
                            QStringLiteral("\" ready!"));
      abfTrayIcon_->SetHint(QStringLiteral("Horalux (Server active)"));
    } else {
      StatusPanel0->setText(QStringLiteral(" NTP Server not running"));
      abfTrayIcon_->SetHint(QStringLiteral("Horalux"));
    }
  }
  StatusPanel1->setText(text_.ToQString(formats_.DateTimeText(env_.localClock())));
  qCInfo(horaluxUi).noquote() << "status" << StatusPanel0->text() << "|" << StatusPanel1->text()
                              << "| log" << log_.Lines().size();
}

}  // namespace horalux
