#include "app/qt/spaced_label.h"

#include <QPainter>
#include <QStyle>

#include "app/form1_window_table.h"

namespace horalux {

void TSpacedLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const auto [before, after] = SpacedCaptionParts(text().toStdString());
  const QString left = QString::fromStdString(before);
  const QString right = QString::fromStdString(after);
  const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic;
  style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignLeft, palette(), isEnabled(),
                        left, foregroundRole());
  style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignRight, palette(), isEnabled(),
                        right, foregroundRole());
}

}  // namespace horalux
