// A label whose caption holds a run of blanks that leaves room for another control (the
// interval edit in "Synchronize time &every          minutes"). With the window's
// original font the blanks had the right width; with any other font they do not, so the
// part before the run is drawn at the left edge and the part after it at the right edge.
// text() stays the caption as written.
#pragma once

#include <QLabel>

namespace horalux {

class TSpacedLabel : public QLabel {
 public:
  using QLabel::QLabel;
  // The caption split at its longest run of blanks: the part before it and the part after.
  static std::pair<QString, QString> Parts(const QString& caption);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace horalux
