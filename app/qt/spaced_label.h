// A label whose caption holds a run of blanks that leaves room for another control (the
// interval edit in "Synchronize time &every          minutes"). With the window's
// original font the blanks had the right width; with any other font they do not, so the
// part before the run is drawn at the left edge and the part after it at the right edge.
// text() stays the caption as written.
#pragma once

#include <QLabel>
#include <QPainter>
#include <QStyle>

#include "app/form1_window_table.h"

namespace horalux {

class TSpacedLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    const auto [before, after] = SpacedCaptionParts(text().toStdString());
    const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic;
    style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignLeft, palette(), isEnabled(),
                          QString::fromStdString(before), foregroundRole());
    style()->drawItemText(&painter, contentsRect(), flags | Qt::AlignRight, palette(), isEnabled(),
                          QString::fromStdString(after), foregroundRole());
  }
};

}  // namespace horalux
