// TPopupMenu: a context menu of captions and separators ("-"), each item with its click
// handler; one item may be the default, which a double click on the notification-area
// icon plays. A toolkit shows it (TTrayWindow::TrackPopupMenu).
//
// Thread-safety: main thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/component.h"

namespace horalux {

struct TMenuItem {
  std::string Caption;  // program text; "-" is a separator line
  bool Default = false;
  std::function<void()> OnClick;
  bool IsLine() const { return Caption == "-"; }
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner = nullptr) : TComponent(owner) {}

  // Appends an item; returns its index.
  std::size_t Add(std::string caption, std::function<void()> onClick = {});
  const std::vector<TMenuItem>& Items() const noexcept { return items_; }
  TMenuItem& Item(std::size_t index) { return items_.at(index); }

  // Whether the icon that owns the menu opens it itself. Default true.
  bool AutoPopup = true;
  // The component that showed the menu last, or null.
  TComponent* PopupComponent = nullptr;

  // Runs the item's click handler, as a choice in the menu does.
  void Click(std::size_t index) const;

 private:
  std::vector<TMenuItem> items_;
};

}  // namespace horalux
