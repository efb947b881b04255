// A trace of what the program shows (windows shown and hidden, message boxes, status
// texts), off unless asked for with QT_LOGGING_RULES="horalux.ui.info=true", so that
// people and tests running the program without a display can follow it.
#pragma once

#include <QLoggingCategory>

namespace horalux {

Q_DECLARE_LOGGING_CATEGORY(horaluxUi)

}  // namespace horalux
