// An image of the Qt toolkit for the desktop components.
#pragma once

#include <QIcon>
#include <memory>

#include "desktop/toolkit.h"

namespace horalux {

class TQtIcon : public TIcon {
 public:
  explicit TQtIcon(QIcon qtIcon) : icon(std::move(qtIcon)) {}
  std::unique_ptr<TIcon> Clone() const override { return std::make_unique<TQtIcon>(icon); }

  // The QIcon of an image of this toolkit; an empty one for none.
  static QIcon Of(const TIcon* image) {
    const auto* own = dynamic_cast<const TQtIcon*>(image);
    return own != nullptr ? own->icon : QIcon();
  }

  QIcon icon;
};

}  // namespace horalux
