#include "desktop/qt/tray_images.h"

#include <QString>

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
  list.Add(ClockImage());
  list.Add(ClockWarningImage());
}

}  // namespace horalux
