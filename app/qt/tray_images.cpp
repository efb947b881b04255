#include "app/qt/tray_images.h"

#include <QString>

#include "desktop/qt/qt_icon.h"

namespace horalux {
namespace {

QIcon IconFromRenderings(const QString& stem) {
  QIcon icon;
  for (const int size : {16, 32, 48}) {
    icon.addFile(QStringLiteral(":/horalux/images/%1_%2.png").arg(stem).arg(size),
                 QSize(size, size));
  }
  return icon;
}

}  // namespace

QIcon ClockImage() { return IconFromRenderings(QStringLiteral("clock")); }

QIcon ClockWarningImage() { return IconFromRenderings(QStringLiteral("clock_warning")); }

QIcon ProgramIcon() { return ClockImage(); }

void AddTrayImages(TImageList& list) {
  static_assert(tiNormal == 0 && tiFailed == 1);
  list.Add(TQtIcon(ClockImage()));
  list.Add(TQtIcon(ClockWarningImage()));
}

}  // namespace horalux
