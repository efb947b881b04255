#include "app/win32/tray_images.h"

#include "app/form1_view.h"
#include "desktop/win32/resource_ids.h"
#include "desktop/win32/win32_icon.h"

namespace horalux {
namespace {

HICON LoadIconResource(int id, int size, UINT flags) {
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                         IMAGE_ICON, size, size, flags));
}

}  // namespace

HICON ProgramIcon(int size) { return LoadIconResource(HORALUX_ICON_CLOCK, size, LR_SHARED); }

void AddTrayImages(TImageList& list) {
  static_assert(tiNormal == 0 && tiFailed == 1);
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  for (const int id : {HORALUX_ICON_CLOCK, HORALUX_ICON_CLOCK_WARNING}) {
    UniqueIcon icon(LoadIconResource(id, size, LR_DEFAULTCOLOR));
    if (icon != nullptr) list.Add(TWin32Icon(std::move(icon)));
  }
}

}  // namespace horalux
