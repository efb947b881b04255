// The window's font. Its geometry was drawn for an 8-point "MS Sans Serif" (11 pixels);
// where that font is missing, the first of a list of fonts with similar proportions is
// taken, in the largest size up to 11 pixels at which every caption fits its control.
#pragma once

#include <QFont>
#include <QString>
#include <vector>

namespace horalux {

struct CaptionRoom {
  QString caption;  // with its mnemonic ampersand
  int width;        // pixels available for the text
  bool bold = false;
};

QFont WindowFont(const std::vector<CaptionRoom>& captions);

}  // namespace horalux
