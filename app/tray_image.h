// The notification-area icon's images, by their index in its image list.
#pragma once

namespace horalux {

// tiNormal: a red alarm clock with a white face (the last run succeeded, or none ran yet);
// tiFailed: the same clock covered by a yellow warning triangle (the last run failed, or
// the clock could not be set).
enum TTrayImage { tiNormal = 0, tiFailed = 1 };

}  // namespace horalux
