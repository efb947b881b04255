#include "desktop/win32/popup_menu.h"

#include <stdexcept>

#include "desktop/win32/application.h"

namespace horalux {

TPopupMenu::TPopupMenu(TApplication& application)
    : application_(application), menu_(::CreatePopupMenu()) {
  if (menu_ == nullptr) throw std::runtime_error("no menu available");
}

TPopupMenu::~TPopupMenu() { ::DestroyMenu(menu_); }

UINT TPopupMenu::Add(const std::string& caption, std::function<void()> onClick) {
  handlers_.push_back(std::move(onClick));
  const auto command = static_cast<UINT>(handlers_.size());
  if (caption == "-") {
    ::AppendMenuA(menu_, MF_SEPARATOR, command, nullptr);
  } else {
    ::AppendMenuA(menu_, MF_STRING, command, caption.c_str());
  }
  return command;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  const UINT command = static_cast<UINT>(::TrackPopupMenu(
      menu_, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  if (command != 0) Click(command);
}

void TPopupMenu::Click(UINT command) {
  if (command == 0 || command > handlers_.size()) return;
  if (const auto& handler = handlers_[command - 1]) application_.Guard(handler);
}

}  // namespace horalux
