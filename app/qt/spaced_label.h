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

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace horalux
