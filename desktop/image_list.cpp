#include "desktop/image_list.h"

#include <algorithm>

namespace horalux {

TChangeLink::~TChangeLink() {
  if (sender_ != nullptr) sender_->UnRegisterChanges(*this);
}

TImageList::~TImageList() {
  for (TChangeLink* link : links_) link->sender_ = nullptr;
}

int TImageList::Add(const TIcon& image) {
  images_.push_back(image.Clone());
  Change();
  return Count() - 1;
}

const TIcon* TImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return images_[static_cast<std::size_t>(index)].get();
}

void TImageList::RegisterChanges(TChangeLink& link) {
  if (link.sender_ == this) return;
  if (link.sender_ != nullptr) link.sender_->UnRegisterChanges(link);
  link.sender_ = this;
  links_.push_back(&link);
}

void TImageList::UnRegisterChanges(TChangeLink& link) {
  if (link.sender_ != this) return;
  links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
  link.sender_ = nullptr;
}

void TImageList::Change() {
  // A copy: a user may unregister while being told.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links) {
    const bool stillRegistered = std::find(links_.begin(), links_.end(), link) != links_.end();
    if (stillRegistered && link->OnChange) link->OnChange();
  }
}

}  // namespace horalux
