#include "app/form1_components.h"

#include "app/form1.h"

namespace horalux {

TForm1Components::TForm1Components(TApplication& application,
                                   const std::function<void(TImageList&)>& addImages) {
  imageList1_ = &MakeComponent<TImageList>(owner_);
  imageList1_->SetName("ImageList1");
  addImages(*imageList1_);

  timer1_ = &MakeComponent<TabfCustomTimer>(owner_, application);
  timer1_->SetName("Timer1");
  timer1_->SetInterval(kTimer1Interval);

  abfTrayIcon_ = &MakeComponent<TabfTrayIcon>(owner_, application);
  abfTrayIcon_->SetName("abfTrayIcon");
  abfTrayIcon_->SetMinimizeToTray(true);
  abfTrayIcon_->SetMinimizeOnStart(true);
  abfTrayIcon_->SetVisible(true);  // added now, still without an image
  abfTrayIcon_->SetImageIndex(tiNormal);
  abfTrayIcon_->SetShowHint(true);

  timer2_ = &MakeComponent<TabfCustomTimer>(owner_, application);
  timer2_->SetName("Timer2");
  timer2_->SetInterval(kTimer2Interval);

  popupMenu_ = &MakeComponent<TPopupMenu>(owner_);
  popupMenu_->SetName("PopupMenu");
  mnOptions = popupMenu_->Add("Options ...");
  N1 = popupMenu_->Add("-");
  mnExit = popupMenu_->Add("Exit");

  abfOneInstance1_ = &MakeComponent<TabfOneInstance>(owner_, application);
  abfOneInstance1_->SetName("abfOneInstance1");

  // References between the components: the list gives the icon its first image.
  abfTrayIcon_->SetImageList(imageList1_);
  abfTrayIcon_->SetPopupMenu(popupMenu_);
}

void TForm1Components::Connect(TForm1& form) {
  const auto handler = [&form](void (TForm1::*run)()) {
    return [&form, run] { form.Guard([&form, run] { (form.*run)(); }); };
  };
  const auto event = [&handler](void (TForm1::*run)()) {
    return [call = handler(run)](TComponent&) { call(); };
  };
  popupMenu_->Item(mnOptions).OnClick = handler(&TForm1::mnOptionsClick);
  popupMenu_->Item(mnExit).OnClick = handler(&TForm1::mnExitClick);
  abfTrayIcon_->OnDblClick = event(&TForm1::abfTrayIconDblClick);
  timer1_->SetOnTimer(event(&TForm1::Timer1Timer));
  timer2_->SetOnTimer(event(&TForm1::Timer2Timer));
}

void TForm1Components::Disconnect() {
  timer1_->SetOnTimer({});
  timer2_->SetOnTimer({});
  abfTrayIcon_->OnDblClick = nullptr;
  popupMenu_->Item(mnOptions).OnClick = nullptr;
  popupMenu_->Item(mnExit).OnClick = nullptr;
}

void TForm1Components::Loaded() {
  abfTrayIcon_->Loaded();
  abfOneInstance1_->Loaded();
}

}  // namespace horalux
