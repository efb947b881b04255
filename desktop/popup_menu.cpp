#include "desktop/popup_menu.h"

namespace horalux {

std::size_t TPopupMenu::Add(std::string caption, std::function<void()> onClick) {
  items_.push_back({std::move(caption), false, std::move(onClick)});
  return items_.size() - 1;
}

void TPopupMenu::Click(std::size_t index) const {
  if (index >= items_.size()) return;
  if (const auto& handler = items_[index].OnClick) handler();
}

}  // namespace horalux
