// The program's own images, compiled in as icon resources (desktop/images, 16, 32 and 48
// pixels each; see desktop/win32/resource_ids.h).
#pragma once

#include <windows.h>

#include "desktop/image_list.h"

namespace horalux {

// The window and program icon at the given size: the clock, shared (the system keeps it;
// never destroyed). Null when the program was built without its resources.
HICON ProgramIcon(int size);

// Appends the clock and the clock with the warning at the system's small icon size, in the
// order of TTrayImage.
void AddTrayImages(TImageList& list);

}  // namespace horalux
