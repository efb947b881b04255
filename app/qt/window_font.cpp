#include "app/qt/window_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

#include "app/form1_window_table.h"

namespace horalux {
namespace {

constexpr int kLargest = 11;
constexpr int kSmallest = 8;

QFont FontOf(const QString& family, int pixels, bool bold) {
  QFont font(family);
  font.setPixelSize(pixels);
  if (bold) font.setBold(true);
  return font;
}

}  // namespace

QFont WindowFont() {
  static const char* const kFamilies[] = {
      "MS Sans Serif", "Microsoft Sans Serif", "Tahoma",    "Liberation Sans",       "Arimo",
      "Arial",         "Nimbus Sans",          "Helvetica", "DejaVu Sans Condensed", "DejaVu Sans",
  };
  const QStringList available = QFontDatabase::families();
  for (const char* name : kFamilies) {
    const QString family = QString::fromLatin1(name);
    if (!available.contains(family)) continue;
    const auto width = [&family](int size, const std::string& text, bool bold) {
      return QFontMetrics(FontOf(family, size, bold))
          .horizontalAdvance(QString::fromStdString(text));
    };
    if (const auto pixels = FittingFontSize(kLargest, kSmallest, width)) {
      return FontOf(family, *pixels, false);
    }
  }
  QFont fallback;  // the desktop's own, small
  fallback.setPixelSize(kSmallest);
  return fallback;
}

}  // namespace horalux
