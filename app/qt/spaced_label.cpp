#include "app/qt/spaced_label.h"

#include <QPainter>
#include <QStyle>

namespace horalux {

std::pair<QString, QString> TSpacedLabel::Parts(const QString& caption) {
  qsizetype bestStart = -1;
  qsizetype bestLength = 0;
  for (qsizetype i = 0; i < caption.size();) {
    if (caption[i] != QLatin1Char(' ')) {
      ++i;
      continue;
    }
    qsizetype end = i;
    while (end < caption.size() && caption[end] == QLatin1Char(' ')) ++end;
    if (end - i > bestLength) {
      bestStart = i;
      bestLength = end - i;
    }
    i = end;
  }
  if (bestLength < 2) return {caption, QString()};
  return {caption.left(bestStart), caption.mid(bestStart + bestLength)};
}

void TSpacedLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const auto [left, right] = Parts(text());
  const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic;
  style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignLeft, palette(), isEnabled(),
                        left, foregroundRole());
  style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignRight, palette(), isEnabled(),
                        right, foregroundRole());
}

}  // namespace horalux
