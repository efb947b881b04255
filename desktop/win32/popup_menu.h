// TPopupMenu: a context menu of captions and separators, each item with its click handler.
//
// Thread-safety: main thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace horalux {

class TApplication;

class TPopupMenu {
 public:
  // Requires: application outlives the menu. Throws std::runtime_error when the system
  // makes no menu.
  explicit TPopupMenu(TApplication& application);
  ~TPopupMenu();
  TPopupMenu(const TPopupMenu&) = delete;
  TPopupMenu& operator=(const TPopupMenu&) = delete;

  // A caption of "-" is a separator line. Returns the item's command identifier.
  UINT Add(const std::string& caption, std::function<void()> onClick = {});
  // Whether the icon that owns the menu opens it itself. Default true.
  bool AutoPopup = true;

  // Shows the menu at a screen position for `owner` and returns when it closes; then runs
  // the chosen item's handler under the application's guard.
  void Popup(int x, int y, HWND owner);
  // Runs the handler of the item with this identifier, as a choice in the menu would.
  void Click(UINT command);

  HMENU Handle() const noexcept { return menu_; }

 private:
  TApplication& application_;
  HMENU menu_;
  std::vector<std::function<void()>> handlers_;  // by identifier - 1
};

}  // namespace horalux
