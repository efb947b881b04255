// The program's own images, compiled in from desktop/images (SVG sources rendered to
// PNGs at 16, 32 and 48 pixels by scripts/render-icons).
#pragma once

#include <QIcon>

#include "app/form1_view.h"
#include "desktop/image_list.h"

namespace horalux {

// A red alarm clock with a white face: the last run succeeded, or none ran yet.
QIcon ClockImage();
// The same clock covered by a yellow warning triangle: the last run failed.
QIcon ClockWarningImage();
// The window and program icon: the clock.
QIcon ProgramIcon();

// Appends the clock and the clock with the warning, in the order of TTrayImage.
void AddTrayImages(TImageList& list);

}  // namespace horalux
