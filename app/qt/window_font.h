// The window's font. Its geometry was drawn for an 8-point "MS Sans Serif" (11 pixels);
// where that font is missing, the first of a list of fonts with similar proportions is
// taken, in the largest size up to 11 pixels at which every caption fits its room
// (app/form1_window_table.h).
#pragma once

#include <QFont>

namespace horalux {

QFont WindowFont();

}  // namespace horalux
