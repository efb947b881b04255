// The program's own images, compiled in from desktop/images (SVG sources rendered to
// PNGs at 16, 32 and 48 pixels by scripts/render-icons).
#pragma once

#include <QIcon>

#include "desktop/image_list.h"

namespace horalux {

// A red alarm clock with a white face: the last run succeeded, or none ran yet.
QIcon ClockImage();
// The same clock covered by a yellow warning triangle: the last run failed.
QIcon ClockWarningImage();
// The window and program icon: the clock.
QIcon ProgramIcon();

// Index of each tray image in a list filled by AddTrayImages.
enum TTrayImage { tiNormal = 0, tiFailed = 1 };
// Appends the clock and the clock with the warning, in the order of TTrayImage.
void AddTrayImages(TImageList& list);

}  // namespace horalux
