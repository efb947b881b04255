// For tests: an application's message boxes recorded instead of shown.
#pragma once

#include <QMessageBox>
#include <QString>
#include <vector>

#include "desktop/qt/application.h"

namespace horalux::testing {

struct ShownBox {
  QMessageBox::Icon icon;
  QString caption;
  QString text;
};

// From now on the application's boxes go to `boxes`. Requires: `boxes` outlives its use.
inline void RecordMessageBoxes(TApplication& application, std::vector<ShownBox>& boxes) {
  application.SetMessagePresenter(
      [&boxes](QMessageBox::Icon icon, const QString& caption, const QString& text) {
        boxes.push_back({icon, caption, text});
      });
}

}  // namespace horalux::testing
