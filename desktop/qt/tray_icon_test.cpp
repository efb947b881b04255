#include "desktop/qt/tray_icon.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace horalux {
namespace {

QIcon SolidIcon(Qt::GlobalColor color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  return QIcon(pixmap);
}

bool SameIcon(const QIcon& a, const QIcon& b) { return a.cacheKey() == b.cacheKey(); }

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    application.SetTitle(QStringLiteral("Tray"));
    application.SetMessagePresenter(
        [this](QMessageBox::Icon, const QString&, const QString& text) { boxes.push_back(text); });
    for (const Qt::GlobalColor color : {Qt::red, Qt::yellow, Qt::blue}) {
      images.push_back(SolidIcon(color));
    }
  }

  // The tray icon with an image list of the first `count` test images.
  void UseImages(int count) {
    for (int index = 0; index < count; ++index) list.Add(images[static_cast<size_t>(index)]);
    tray.SetImageList(&list);
  }

  // Records the events of the tray icon, in order.
  void RecordEvents() {
    tray.OnClick = [this](TComponent&) { events.push_back("click"); };
    tray.OnDblClick = [this](TComponent&) { events.push_back("dblclick"); };
    tray.OnPopupMenu = [this](TComponent&) { events.push_back("popup"); };
    tray.OnMouseDown = [this](TComponent&, TMouseButton button, TShiftState shift, int, int) {
      events.push_back("down " + std::to_string(button) + " " + std::to_string(shift & ~7U));
    };
    tray.OnMouseUp = [this](TComponent&, TMouseButton button, TShiftState shift, int, int) {
      events.push_back("up " + std::to_string(button) + " " + std::to_string(shift & ~7U));
    };
  }

  static void RunPendingTurns() {
    for (int turn = 0; turn < 5; ++turn) QCoreApplication::processEvents();
  }

  TApplication application;
  std::vector<QString> boxes;
  std::vector<QIcon> images;
  TImageList list;
  TabfTrayIcon tray{nullptr, application};
  std::vector<std::string> events;
};

TEST_F(TrayIconTest, StartsWithTheDeclaredDefaults) {
  EXPECT_FALSE(tray.CycleIcons());
  EXPECT_EQ(tray.CycleInterval(), 200U);
  EXPECT_TRUE(tray.Enabled());
  EXPECT_TRUE(tray.Hint().isEmpty());
  EXPECT_TRUE(tray.Icon().isNull());
  EXPECT_EQ(tray.ImageList(), nullptr);
  EXPECT_EQ(tray.ImageIndex(), 0);
  EXPECT_EQ(tray.IconID(), 0);
  EXPECT_FALSE(tray.MinimizeToTray());
  EXPECT_FALSE(tray.MinimizeOnStart());
  EXPECT_EQ(tray.PopupMenu(), nullptr);
  EXPECT_FALSE(tray.PopupByLeft());
  EXPECT_TRUE(tray.ShowHint());
  EXPECT_FALSE(tray.Visible());
}

TEST_F(TrayIconTest, HintIsCutTo63CharactersAndShownOnlyWithShowHint) {
  const QString seventy(70, u'x');
  tray.SetHint(seventy);
  EXPECT_EQ(tray.Hint(), seventy.left(63));
  EXPECT_EQ(tray.SystemTrayIcon().toolTip(), seventy.left(63));

  tray.SetHint(QString(63, u'y'));
  EXPECT_EQ(tray.Hint().size(), 63);

  tray.SetHint(QStringLiteral("Horalux (Server active)"));
  tray.SetShowHint(false);
  EXPECT_EQ(tray.Hint(), "Horalux (Server active)");
  EXPECT_TRUE(tray.SystemTrayIcon().toolTip().isEmpty());
  tray.SetShowHint(true);
  EXPECT_EQ(tray.SystemTrayIcon().toolTip(), "Horalux (Server active)");
}

TEST_F(TrayIconTest, ImageIndexPicksFromTheListAndOutsideGivesAnEmptyIcon) {
  UseImages(2);
  EXPECT_TRUE(SameIcon(tray.Icon(), images[0]));  // resolving the list shows image 0

  tray.SetImageIndex(1);
  EXPECT_TRUE(SameIcon(tray.Icon(), images[1]));
  EXPECT_TRUE(SameIcon(tray.SystemTrayIcon().icon(), images[1]));

  for (const int outside : {2, 5, -1}) {
    tray.SetImageIndex(outside);
    EXPECT_TRUE(tray.Icon().isNull()) << outside;
    EXPECT_TRUE(tray.SystemTrayIcon().icon().isNull()) << outside;
  }
}

TEST_F(TrayIconTest, FollowsChangesOfTheListAndForgetsADestroyedList) {
  auto owned = std::make_unique<TImageList>();
  owned->Add(images[0]);
  tray.SetImageList(owned.get());
  tray.SetImageIndex(1);
  EXPECT_TRUE(tray.Icon().isNull());
  owned->Add(images[1]);
  EXPECT_TRUE(SameIcon(tray.Icon(), images[1]));
  owned->Replace(1, images[2]);
  EXPECT_TRUE(SameIcon(tray.Icon(), images[2]));

  owned.reset();
  EXPECT_EQ(tray.ImageList(), nullptr);
  tray.SetImageIndex(0);  // no list: the icon stays as it was
  EXPECT_TRUE(SameIcon(tray.Icon(), images[2]));
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListAndWrapsAfterTheLast) {
  for (const int count : {2, 3}) {
    list.Clear();
    UseImages(count);
    tray.SetImageIndex(0);
    std::vector<int> seen{tray.ImageIndex()};
    tray.OnCycleIcons = [&](TComponent&) {
      seen.push_back(tray.ImageIndex());
      if (seen.size() == 5) tray.SetCycleIcons(false);
    };
    tray.SetCycleInterval(5);
    tray.SetCycleIcons(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tray.CycleIcons(); }, 5000)) << count;
    const std::vector<int> expected =
        count == 2 ? std::vector<int>{0, 1, 0, 1, 0} : std::vector<int>{0, 1, 2, 0, 1};
    EXPECT_EQ(seen, expected) << count;
    EXPECT_TRUE(SameIcon(tray.Icon(), images[static_cast<size_t>(seen.back())]));
  }
}

TEST_F(TrayIconTest, AFailingCycleStepGoesToTheErrorBoxAndCyclingGoesOn) {
  UseImages(2);
  int steps = 0;
  tray.OnCycleIcons = [&](TComponent&) {
    if (++steps == 1) throw std::runtime_error("cycle failed");
  };
  tray.SetCycleInterval(5);
  tray.SetCycleIcons(true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return steps >= 3; }, 5000));
  tray.SetCycleIcons(false);
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0], "cycle failed.");
}

TEST_F(TrayIconTest, AClickIsALeftPressAndRelease) {
  RecordEvents();
  tray.HandleActivation(QSystemTrayIcon::Trigger);
  tray.HandleActivation(QSystemTrayIcon::MiddleClick);
  const std::string left = std::to_string(mbLeft) + " " + std::to_string(ssLeft);
  const std::string middle = std::to_string(mbMiddle) + " " + std::to_string(ssMiddle);
  EXPECT_EQ(events, (std::vector<std::string>{"down " + left, "up " + left, "click",
                                              "down " + middle, "up " + middle}));

  // A release without the press on the icon is no click.
  events.clear();
  tray.HandleMouseMessage(TTrayMouseMessage::LButtonUp);
  EXPECT_EQ(events, (std::vector<std::string>{"up " + left}));
}

TEST_F(TrayIconTest, WhenDisabledIgnoresTheMouseButStillUpdatesHintAndImage) {
  UseImages(2);
  RecordEvents();
  QMenu menu;
  menu.addAction(QStringLiteral("Exit"));
  tray.SetPopupMenu(&menu);
  tray.SetEnabled(false);

  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                            QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
    tray.HandleActivation(reason);
  }
  tray.HandleMouseMessage(TTrayMouseMessage::MouseMove);
  EXPECT_TRUE(events.empty());
  EXPECT_FALSE(menu.isVisible());

  tray.SetHint(QStringLiteral("Horalux"));
  tray.SetImageIndex(1);
  EXPECT_EQ(tray.SystemTrayIcon().toolTip(), "Horalux");
  EXPECT_TRUE(SameIcon(tray.SystemTrayIcon().icon(), images[1]));
}

TEST_F(TrayIconTest, ADoubleClickPlaysTheMenusDefaultItemThenFiresOnDblClick) {
  RecordEvents();
  QMenu menu;
  QAction* options = menu.addAction(QStringLiteral("Options ..."));
  menu.addSeparator();
  QAction* exit = menu.addAction(QStringLiteral("Exit"));
  QObject::connect(options, &QAction::triggered, [&] { events.push_back("options"); });
  QObject::connect(exit, &QAction::triggered, [&] { events.push_back("exit"); });
  tray.SetPopupMenu(&menu);

  tray.HandleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(events, (std::vector<std::string>{"dblclick"}));  // no default item

  events.clear();
  menu.setDefaultAction(options);
  tray.HandleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(events, (std::vector<std::string>{"options", "dblclick"}));

  // With the menu on the left button, a default item is not used for double clicks.
  events.clear();
  tray.SetPopupByLeft(true);
  tray.HandleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(events, (std::vector<std::string>{"dblclick"}));
}

TEST_F(TrayIconTest, TheMenuOpensOnTheRightButtonAndWithPopupByLeftOnTheLeftToo) {
  RecordEvents();
  QMenu menu;
  menu.addAction(QStringLiteral("Exit"));
  tray.SetPopupMenu(&menu);

  tray.HandleActivation(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(menu.isVisible());

  tray.HandleActivation(QSystemTrayIcon::Context);
  EXPECT_TRUE(menu.isVisible());
  EXPECT_EQ(std::count(events.begin(), events.end(), "popup"), 0);
  menu.hide();  // closed without a choice
  EXPECT_EQ(events.back(), "popup");

  tray.SetPopupByLeft(true);
  tray.HandleActivation(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();
  EXPECT_EQ(std::count(events.begin(), events.end(), "popup"), 2);
}

TEST_F(TrayIconTest, ForgetsADestroyedMenu) {
  auto menu = std::make_unique<QMenu>();
  tray.SetPopupMenu(menu.get());
  menu.reset();
  EXPECT_EQ(tray.PopupMenu(), nullptr);
  tray.HandleActivation(QSystemTrayIcon::Context);
  tray.HandleActivation(QSystemTrayIcon::DoubleClick);
}

TEST_F(TrayIconTest, VisibleShowsAndHidesTheIconWithItsEvents) {
  tray.OnShow = [this](TComponent&) { events.push_back("show"); };
  tray.OnHide = [this](TComponent&) { events.push_back("hide"); };
  tray.SetVisible(true);
  tray.SetVisible(true);  // unchanged: nothing
  EXPECT_TRUE(tray.Visible());
  tray.SetIconID(7);  // a new identifier re-adds a shown icon
  EXPECT_EQ(tray.IconID(), 7);
  EXPECT_TRUE(tray.Visible());
  tray.SetVisible(false);
  EXPECT_FALSE(tray.Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "hide", "show", "hide"}));
}

}  // namespace
}  // namespace horalux
