// A label that looks and acts like a web link: blue, underlined, a pointing hand, and a
// click handler.
#pragma once

#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace horalux {

class TUrlLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> OnClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick) {
      OnClick();
    }
    QLabel::mouseReleaseEvent(event);
  }
};

}  // namespace horalux
