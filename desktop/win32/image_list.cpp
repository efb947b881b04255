#include "desktop/win32/image_list.h"

#include <stdexcept>

namespace horalux {

TImageList::TImageList(int width, int height)
    : width_(width), list_(::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 2, 2)) {
  if (list_ == nullptr) throw std::runtime_error("no image list available");
}

TImageList::~TImageList() { ::ImageList_Destroy(list_); }

void TImageList::AddIcon(HICON icon) { ::ImageList_AddIcon(list_, icon); }

int TImageList::Count() const { return ::ImageList_GetImageCount(list_); }

UniqueIcon TImageList::NewIcon(int index) const {
  if (index < 0 || index >= Count()) return UniqueIcon();
  return UniqueIcon(::ImageList_GetIcon(list_, index, ILD_NORMAL));
}

}  // namespace horalux
