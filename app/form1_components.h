// The window's non-visual components as its description makes them, in its order: the
// image list, the one-second timer Timer1, the tray icon, the one-minute timer Timer2, the
// popup menu and the single-instance guard, each with its stored settings, then the
// references between them. Both views make theirs here, over their toolkit's application,
// and Connect ties the components' events to the controller's handlers.
//
// Thread-safety: main thread only.
#pragma once

#include <cstddef>
#include <functional>

#include "base/component.h"
#include "desktop/application.h"
#include "desktop/custom_timer.h"
#include "desktop/image_list.h"
#include "desktop/one_instance.h"
#include "desktop/popup_menu.h"
#include "desktop/tray_icon.h"

namespace horalux {

class TForm1;

class TForm1Components {
 public:
  static constexpr std::uint32_t kTimer1Interval = 1000;
  static constexpr std::uint32_t kTimer2Interval = 60000;

  // `addImages` puts the view's images into the list, in the order of TTrayImage.
  // Requires: the toolkit knows the main window already (the tray icon watches it);
  // `application` outlives this object. Throws what making the components throws.
  TForm1Components(TApplication& application, const std::function<void(TImageList&)>& addImages);
  TForm1Components(const TForm1Components&) = delete;
  TForm1Components& operator=(const TForm1Components&) = delete;

  // From now on the timers run and the events reach `form`'s handlers, under its guard;
  // until Disconnect. Throws EOutOfResources when no timer can be had.
  void Connect(TForm1& form);
  void Disconnect();
  // The after-loading steps, in the description's order: the tray icon (which keeps the
  // loop from showing the window), then the guard (which may end this instance).
  void Loaded();

  TabfCustomTimer& Timer1() const noexcept { return *timer1_; }
  TabfTrayIcon& abfTrayIcon() const noexcept { return *abfTrayIcon_; }
  TabfCustomTimer& Timer2() const noexcept { return *timer2_; }
  TPopupMenu& PopupMenu() const noexcept { return *popupMenu_; }
  TabfOneInstance& abfOneInstance1() const noexcept { return *abfOneInstance1_; }
  // The menu's items: "Options ...", a line, "Exit".
  std::size_t mnOptions = 0;
  std::size_t N1 = 0;
  std::size_t mnExit = 0;

 private:
  TComponent owner_;  // owns the components below, freed newest first
  TImageList* imageList1_ = nullptr;
  TabfCustomTimer* timer1_ = nullptr;
  TabfTrayIcon* abfTrayIcon_ = nullptr;
  TabfCustomTimer* timer2_ = nullptr;
  TPopupMenu* popupMenu_ = nullptr;
  TabfOneInstance* abfOneInstance1_ = nullptr;
};

}  // namespace horalux
