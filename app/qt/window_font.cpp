#include "app/qt/window_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace horalux {
namespace {

constexpr int kLargest = 11;
constexpr int kSmallest = 8;

bool Fits(const QFont& font, const std::vector<CaptionRoom>& captions) {
  QFont bold = font;
  bold.setBold(true);
  const QFontMetrics regular(font);
  const QFontMetrics boldMetrics(bold);
  for (const CaptionRoom& room : captions) {
    QString text = room.caption;
    text.remove(QLatin1Char('&'));
    const QFontMetrics& metrics = room.bold ? boldMetrics : regular;
    if (metrics.horizontalAdvance(text) > room.width) return false;
  }
  return true;
}

}  // namespace

QFont WindowFont(const std::vector<CaptionRoom>& captions) {
  static const char* const kFamilies[] = {
      "MS Sans Serif", "Microsoft Sans Serif", "Tahoma",    "Liberation Sans",       "Arimo",
      "Arial",         "Nimbus Sans",          "Helvetica", "DejaVu Sans Condensed", "DejaVu Sans",
  };
  const QStringList available = QFontDatabase::families();
  for (const char* family : kFamilies) {
    if (!available.contains(QString::fromLatin1(family))) continue;
    for (int pixels = kLargest; pixels >= kSmallest; --pixels) {
      QFont font(QString::fromLatin1(family));
      font.setPixelSize(pixels);
      if (Fits(font, captions)) return font;
    }
  }
  QFont fallback;  // the desktop's own, small
  fallback.setPixelSize(kSmallest);
  return fallback;
}

}  // namespace horalux
