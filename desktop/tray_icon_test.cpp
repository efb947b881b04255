// The notification-area icon against a recording toolkit: its properties and record, the
// mouse, the menu, cycling, and the main window going into the tray and coming back.
#include "desktop/tray_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "desktop/toolkit_testing.h"
#include "platform/code_page.h"

namespace horalux {
namespace {

using testing::NamedIcon;
using testing::NameOf;

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    application.SetTitle("Tray");
    tray.SetName("abfTrayIcon");
    tray.OnMinimize = [this](TComponent&) { events.push_back("minimize"); };
  }

  // The icon with an image list of the first `count` of red, yellow, blue.
  void UseImages(int count) {
    for (const char* name : {"red", "yellow", "blue"}) {
      if (list.Count() < count) list.Add(NamedIcon(name));
    }
    tray.SetImageList(&list);
  }
  void RecordEvents() {
    tray.OnClick = [this](TComponent&) { events.push_back("click"); };
    tray.OnDblClick = [this](TComponent&) { events.push_back("dblclick"); };
    tray.OnPopupMenu = [this](TComponent&) { events.push_back("popup"); };
    tray.OnMouseDown = [this](TComponent&, TMouseButton button, TShiftState shift, int x, int y) {
      events.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " +
                       std::to_string(x) + "," + std::to_string(y));
    };
    tray.OnMouseUp = [this](TComponent&, TMouseButton button, TShiftState, int, int) {
      events.push_back("up " + std::to_string(button));
    };
  }
  // The menu of the program: "Options ..." (item 0), a line, "Exit" (item 2).
  void UseMenu() {
    menu.Add("Options ...", [this] { events.push_back("options"); });
    menu.Add("-");
    menu.Add("Exit", [this] { events.push_back("exit"); });
    tray.SetPopupMenu(&menu);
  }
  testing::RecordingWindow& Window() { return *toolkit.windows.front(); }
  const std::string& LastShellCall() { return Window().shellCalls.back(); }

  testing::RecordingToolkit toolkit;
  TApplication application{toolkit};
  std::vector<std::string> events;
  TImageList list;
  TPopupMenu menu;
  TabfTrayIcon tray{nullptr, application};
};

TEST_F(TrayIconTest, StartsWithTheDeclaredDefaults) {
  EXPECT_FALSE(tray.CycleIcons());
  EXPECT_EQ(tray.CycleInterval(), 200U);
  EXPECT_TRUE(tray.Enabled());
  EXPECT_EQ(tray.Hint(), "");
  EXPECT_EQ(tray.Icon(), nullptr);
  EXPECT_EQ(tray.ImageList(), nullptr);
  EXPECT_EQ(tray.ImageIndex(), 0);
  EXPECT_EQ(tray.IconID(), 0);
  EXPECT_FALSE(tray.MinimizeToTray());
  EXPECT_FALSE(tray.MinimizeOnStart());
  EXPECT_EQ(tray.PopupMenu(), nullptr);
  EXPECT_FALSE(tray.PopupByLeft());
  EXPECT_TRUE(tray.ShowHint());
  EXPECT_FALSE(tray.Visible());
  EXPECT_FALSE(tray.VisibleOnDesigning);
  EXPECT_EQ(Window().timerInterval, 0U);  // the timer runs only while cycling
}

// The record: an identifier, the image only while the icon is shown, the tip only with
// ShowHint and cut to 63 characters, never inside a character.
TEST_F(TrayIconTest, TheRecordCarriesTheImageWhileShownAndTheHintCutTo63) {
  UseImages(2);
  tray.SetVisible(true);
  EXPECT_EQ(Window().shellCalls.front(), "modify 0 tip:");  // made before it was shown
  EXPECT_EQ(Window().shellCalls.back(), "add 0 icon:red tip:");
  tray.SetHint(std::string(63, 'h') + "-cut-");
  EXPECT_EQ(LastShellCall(), "modify 0 icon:red tip:" + std::string(63, 'h'));
  const std::string euros = std::string(62, 'e') + "\xe2\x82\xac\xe2\x82\xac";  // two in UTF-8
  tray.SetHint(euros);
  const std::u16string cut = DecodeCodePage(tray.Hint());
  EXPECT_EQ(cut.size(), 63u);
  EXPECT_EQ(euros.compare(0, tray.Hint().size(), tray.Hint()), 0);
  EXPECT_EQ(std::count_if(cut.begin(), cut.end(), IsByteEscape), 0);  // no half character

  tray.SetImageIndex(1);
  EXPECT_EQ(NameOf(tray.Icon()), "yellow");
  for (const int outside : {2, 5, -1}) {
    tray.SetImageIndex(outside);
    EXPECT_EQ(tray.Icon(), nullptr) << outside;
  }
  tray.SetHint("Horalux (Server active)");
  tray.SetShowHint(false);
  EXPECT_EQ(LastShellCall(), "modify 0 icon: tip:");
  tray.SetShowHint(true);
  tray.SetIconID(7);  // a new identifier: the old icon goes, the new one comes
  EXPECT_EQ(LastShellCall(), "add 7 icon: tip:Horalux (Server active)");
  tray.SetVisible(false);
  EXPECT_EQ(LastShellCall(), "delete 7 tip:Horalux (Server active)");
}

TEST_F(TrayIconTest, FollowsChangesOfTheListAndForgetsADestroyedList) {
  auto owned = std::make_unique<TImageList>();
  owned->Add(NamedIcon("red"));
  tray.SetImageList(owned.get());
  tray.SetImageIndex(1);
  EXPECT_EQ(tray.Icon(), nullptr);
  owned->Add(NamedIcon("yellow"));
  EXPECT_EQ(NameOf(tray.Icon()), "yellow");
  owned.reset();
  EXPECT_EQ(tray.ImageList(), nullptr);
  tray.SetImageIndex(0);  // no list: the icon stays as it was
  EXPECT_EQ(NameOf(tray.Icon()), "yellow");
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListWrapsAfterTheLastAndSurvivesAFailingStep) {
  for (const int count : {2, 3}) {
    UseImages(count);
    tray.SetImageIndex(0);
    tray.SetCycleInterval(5);
    tray.SetCycleIcons(true);
    EXPECT_EQ(Window().timerInterval, 5U);
    std::vector<int> seen{tray.ImageIndex()};
    for (int tick = 0; tick < 4; ++tick) {
      Window().Tick();
      seen.push_back(tray.ImageIndex());
    }
    const std::vector<int> expected =
        count == 2 ? std::vector<int>{0, 1, 0, 1, 0} : std::vector<int>{0, 1, 2, 0, 1};
    EXPECT_EQ(seen, expected);
  }
  tray.OnCycleIcons = [](TComponent&) { throw std::runtime_error("cycle failed"); };
  Window().Tick();
  ASSERT_EQ(toolkit.boxes.size(), 1U);
  EXPECT_EQ(toolkit.boxes[0].text, "cycle failed.");
  EXPECT_TRUE(tray.CycleIcons());
  EXPECT_EQ(Window().timerInterval, 5U);  // the timer goes on
  tray.SetCycleIcons(false);
  EXPECT_EQ(Window().timerInterval, 0U);
}

TEST_F(TrayIconTest, MouseMessagesBecomeEventsWithTheCursorAndKeysOnlyWhileEnabled) {
  RecordEvents();
  Window().keys = ssCtrl;
  Window().Mouse(TTrayMouseMessage::LButtonDown);
  Window().Mouse(TTrayMouseMessage::LButtonUp);
  Window().Mouse(TTrayMouseMessage::LButtonUp);  // no press on the icon before it: no click
  Window().Mouse(TTrayMouseMessage::MButtonDown);
  const std::string left = std::to_string(mbLeft) + " " + std::to_string(ssCtrl | ssLeft);
  EXPECT_EQ(events,
            (std::vector<std::string>{"down " + left + " 40,20", "up 0", "click", "up 0",
                                      "down 2 " + std::to_string(ssCtrl | ssMiddle) + " 40,20"}));

  events.clear();
  UseMenu();
  tray.SetEnabled(false);
  for (const auto mouse : {TTrayMouseMessage::LButtonDown, TTrayMouseMessage::LButtonUp,
                           TTrayMouseMessage::LButtonDblClk, TTrayMouseMessage::RButtonUp}) {
    Window().Mouse(mouse);
  }
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(Window().menusShown.empty());
  UseImages(2);
  tray.SetImageIndex(1);  // the icon still updates
  EXPECT_EQ(NameOf(tray.Icon()), "yellow");
  EXPECT_EQ(Window().Send({TWindowMessage::QueryEndSession}), 1);
}

TEST_F(TrayIconTest, ADoubleClickPlaysTheMenusDefaultItemThenFiresOnDblClick) {
  RecordEvents();
  UseMenu();
  Window().Mouse(TTrayMouseMessage::LButtonDblClk);
  EXPECT_EQ(events, std::vector<std::string>{"dblclick"});  // no default item
  menu.Item(2).Default = true;
  events.clear();
  Window().Mouse(TTrayMouseMessage::LButtonDblClk);
  EXPECT_EQ(events, (std::vector<std::string>{"exit", "dblclick"}));
  // Not with the menu on the left button, nor with one that does not open by itself.
  for (const bool byLeft : {true, false}) {
    tray.SetPopupByLeft(byLeft);
    menu.AutoPopup = byLeft;
    events.clear();
    Window().Mouse(TTrayMouseMessage::LButtonDblClk);
    EXPECT_EQ(events, std::vector<std::string>{"dblclick"}) << byLeft;
  }
}

// The menu opens on the right button's release (with PopupByLeft on the left one's too),
// after the waiting messages were handled; OnPopupMenu fires once it closed, before the
// chosen item's click.
TEST_F(TrayIconTest, TheMenuOpensAtTheCursorAndItsChoiceComesAfterOnPopupMenu) {
  RecordEvents();
  UseMenu();
  Window().Mouse(TTrayMouseMessage::LButtonUp);
  EXPECT_TRUE(Window().menusShown.empty());
  events.clear();
  Window().chooseInMenu = [this](const TPopupMenu& shown) {
    events.push_back("menu open");
    EXPECT_EQ(shown.PopupComponent, &tray);
    return 0;
  };
  const int processed = toolkit.messagesProcessed;
  Window().Mouse(TTrayMouseMessage::RButtonUp);
  EXPECT_EQ(toolkit.messagesProcessed, processed + 1);
  EXPECT_EQ(Window().menusShown, std::vector<std::string>{"Options ...|-|Exit"});
  EXPECT_EQ(events, (std::vector<std::string>{"up 1", "menu open", "popup", "options"}));

  tray.SetPopupByLeft(true);
  Window().chooseInMenu = [](const TPopupMenu&) { return -1; };  // clicked elsewhere
  Window().Mouse(TTrayMouseMessage::LButtonUp);
  EXPECT_EQ(Window().menusShown.size(), 2u);
  EXPECT_EQ(events.back(), "popup");
  menu.AutoPopup = false;
  Window().Mouse(TTrayMouseMessage::RButtonUp);
  EXPECT_EQ(Window().menusShown.size(), 2u);
}

// A desktop that shows the exported menu itself reports the opening, the choice and the
// closing; OnPopupMenu still comes once, before the chosen item's click.
TEST_F(TrayIconTest, TheDesktopsOwnMenuKeepsOnPopupMenuBeforeTheChoice) {
  RecordEvents();
  UseMenu();
  EXPECT_EQ(Window().exportedMenu, "Options ...|-|Exit");
  using Kind = TWindowMessage::Kind;
  Window().Menu(Kind::MenuOpened);
  EXPECT_EQ(menu.PopupComponent, &tray);
  Window().Menu(Kind::MenuItemChosen, 2);
  Window().Menu(Kind::MenuClosed);
  EXPECT_EQ(events, (std::vector<std::string>{"popup", "exit"}));
  events.clear();
  Window().Menu(Kind::MenuOpened);  // closed before the choice is reported
  Window().Menu(Kind::MenuClosed);
  Window().Menu(Kind::MenuItemChosen, 0);
  Window().Menu(Kind::MenuItemChosen, 2);  // no opening reported
  EXPECT_EQ(events, (std::vector<std::string>{"popup", "options", "popup", "exit"}));
  events.clear();
  Window().Menu(Kind::MenuOpened);
  Window().Menu(Kind::MenuClosed);         // nothing chosen
  Window().Menu(Kind::MenuItemChosen, 3);  // no such item
  EXPECT_EQ(events, std::vector<std::string>{"popup"});
  events.clear();
  tray.SetEnabled(false);
  Window().Menu(Kind::MenuItemChosen, 0);
  EXPECT_TRUE(events.empty());

  menu.AutoPopup = false;  // the menu is not the icon's to open: nothing to export
  tray.Loaded();
  EXPECT_EQ(Window().exportedMenu, "");
}

TEST_F(TrayIconTest, ForgetsADestroyedMenu) {
  auto owned = std::make_unique<TPopupMenu>();
  owned->Item(owned->Add("Exit")).Default = true;
  tray.SetPopupMenu(owned.get());
  EXPECT_EQ(Window().exportedMenu, "Exit*");
  owned.reset();
  EXPECT_EQ(tray.PopupMenu(), nullptr);
  EXPECT_EQ(Window().exportedMenu, "");
  Window().Mouse(TTrayMouseMessage::RButtonUp);
  Window().Mouse(TTrayMouseMessage::LButtonDblClk);
  EXPECT_TRUE(Window().menusShown.empty());
}

TEST_F(TrayIconTest, VisibleShowsAndHidesTheIconWithItsEventsAndANewTaskbarGetsItBack) {
  UseImages(2);
  tray.OnShow = [this](TComponent&) { events.push_back("show"); };
  tray.OnHide = [this](TComponent&) { events.push_back("hide"); };
  tray.SetVisible(true);
  tray.SetVisible(true);  // unchanged: nothing
  tray.SetImageIndex(1);
  tray.SetHint("Horalux (Server active)");
  Window().shellCalls.clear();
  Window().Send({TWindowMessage::TaskbarCreated});
  EXPECT_EQ(Window().shellCalls,
            (std::vector<std::string>{"delete 0 tip:Horalux (Server active)",
                                      "add 0 icon:yellow tip:Horalux (Server active)"}));
  tray.SetVisible(false);
  EXPECT_EQ(events, (std::vector<std::string>{"show", "show", "hide"}));
  Window().shellCalls.clear();
  Window().Send({TWindowMessage::TaskbarCreated});
  EXPECT_TRUE(Window().shellCalls.empty());  // a hidden icon stays away
}

TEST_F(TrayIconTest, ANotificationComesFromTheIcon) {
  tray.SetVisible(true);
  tray.ShowNotification("Clock not set", "The time host answered");
  EXPECT_EQ(Window().balloons, std::vector<std::string>{"Clock not set|The time host answered"});
}

TEST_F(TrayIconTest, MinimizeOnStartKeepsTheMainWindowHiddenThroughRun) {
  tray.SetMinimizeOnStart(true);
  tray.Loaded();
  EXPECT_FALSE(application.ShowMainForm());
  EXPECT_TRUE(tray.Visible());  // going to the tray shows the icon
  EXPECT_EQ(events, std::vector<std::string>{"minimize"});
  application.Terminate();
  EXPECT_EQ(application.Run(), 0);
  EXPECT_FALSE(toolkit.mainFormVisible);
}

TEST_F(TrayIconTest, WithoutMinimizeOnStartRunShowsTheWindow) {
  tray.SetVisible(true);
  tray.Loaded();
  EXPECT_TRUE(application.ShowMainForm());
  application.Terminate();
  application.Run();
  EXPECT_TRUE(toolkit.mainFormVisible);
  EXPECT_TRUE(events.empty());
}

// A desktop without a notification area (or one whose panel starts late) never loses the
// window: a start into the tray shows it after the wait, and minimising keeps it on the
// taskbar instead of hiding it.
TEST_F(TrayIconTest, WithoutANotificationAreaTheWindowStaysInReach) {
  toolkit.trayPresent = false;
  tray.SetMinimizeToTray(true);
  tray.SetMinimizeOnStart(true);
  tray.Loaded();
  EXPECT_FALSE(toolkit.mainFormVisible);
  toolkit.RunPosted();  // the wait is over, and no tray came
  EXPECT_TRUE(toolkit.mainFormVisible);
  Window().Send({TWindowMessage::MainFormMinimized});
  tray.MinimizeApplication();
  EXPECT_TRUE(toolkit.mainFormVisible);
  EXPECT_TRUE(toolkit.mainFormMinimized);

  toolkit.trayPresent = true;  // a panel came up: hiding goes into it again
  tray.MinimizeApplication();
  EXPECT_FALSE(toolkit.mainFormVisible);
  tray.Loaded();
  toolkit.RunPosted();
  EXPECT_FALSE(toolkit.mainFormVisible);

  toolkit.trayPresent = false;
  auto gone = std::make_unique<TabfTrayIcon>(nullptr, application);
  gone->SetMinimizeOnStart(true);
  gone->Loaded();
  gone.reset();
  toolkit.RunPosted();  // the wait of a component destroyed meanwhile does nothing
  EXPECT_FALSE(toolkit.mainFormVisible);

  tray.Loaded();
  application.Terminate();  // a second instance, ending: the wait shows nothing
  toolkit.RunPosted();
  EXPECT_FALSE(toolkit.mainFormVisible);
}

// With MinimizeToTray a minimised main window goes into the tray, and taking the icon away
// gives it back; without it the window stays as it is. Destroying the icon leaves it alone.
TEST_F(TrayIconTest, TheMainWindowGoesIntoTheTrayAndComesBack) {
  toolkit.mainFormVisible = true;
  Window().Send({TWindowMessage::MainFormMinimized});
  EXPECT_TRUE(toolkit.mainFormVisible);
  EXPECT_FALSE(tray.Visible());

  tray.SetMinimizeToTray(true);
  Window().Send({TWindowMessage::MainFormMinimized});
  EXPECT_FALSE(toolkit.mainFormVisible);
  EXPECT_TRUE(tray.Visible());
  EXPECT_EQ(events, std::vector<std::string>{"minimize"});
  tray.SetVisible(false);
  EXPECT_TRUE(toolkit.mainFormVisible);

  auto own = std::make_unique<TabfTrayIcon>(nullptr, application);
  own->SetMinimizeToTray(true);
  own->GoToTray();
  own.reset();
  EXPECT_FALSE(toolkit.mainFormVisible);
}

}  // namespace
}  // namespace horalux
