// What only the Qt window does: its geometry, keys and default button, its controls' own
// behaviour, the way its events reach the controller, and program text through its
// widgets. The controller's logic is tested in app/ against a recording view.
#include "app/qt/form1_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include "app/form1_test_support.h"
#include "app/form1_window_table.h"
#include "app/log_view_cases_testing.h"
#include "app/program.h"
#include "app/qt/url_label.h"
#include "desktop/qt/fake_panel_testing.h"
#include "desktop/qt/runtime_dir_testing.h"
#include "desktop/toolkit_testing.h"
#include "tests/support/loopback.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

class WindowTest : public FormTest {
 protected:
  explicit WindowTest(const std::string& codeset = "UTF-8",
                      QDBusConnection bus = QDBusConnection::sessionBus())
      : toolkit(LocaleText(codeset), std::move(bus)), window(application, toolkit) {
    application.SetTitle("Horalux");
    window.UrlOpener = [this](const std::string& address) { openedUrls.push_back(address); };
  }
  ~WindowTest() override { Stop(); }
  TForm1& StartWindow() { return Start(nullptr, &window); }

  QLineEdit& IntervalEdit() const { return *window.edInterval->findChild<QLineEdit*>(); }

  ScopedRuntimeDir runtime;
  BoxesRecorded<TQtToolkit> toolkit;
  TApplication application{toolkit};
  const TLoopHooks hooks{application};  // idle steps run Qt's events
  std::vector<RecordedBox>& boxes = toolkit.boxes;
  TForm1Window window;
  std::vector<std::string> openedUrls;
};

QString CaptionOf(const QWidget& control) {
  if (const auto* box = qobject_cast<const QGroupBox*>(&control)) return box->title();
  if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  return QString();
}

// The spin box is the edit and its up-down control in one.
TEST_F(WindowTest, ControlsFollowTheWindowDescription) {
  WriteHostList("");
  StartWindow();
  EXPECT_EQ(window.size(), QSize(kForm1ClientWidth, kForm1ClientHeight));
  for (const TControlRow& row : kForm1Controls) {
    if (row.kind == TControlKind::UpDown) continue;
    const auto* control = window.findChild<QWidget*>(QString::fromLatin1(row.name));
    ASSERT_NE(control, nullptr) << row.name;
    EXPECT_EQ(control->parentWidget()->objectName(),
              row.parent.empty() ? QStringLiteral("Form1") : QString::fromLatin1(row.parent));
    TPlace place = row.place;
    if (row.kind == TControlKind::Edit) place.width += Form1Control("UpDown").place.width;
    EXPECT_EQ(control->geometry(), QRect(place.left, place.top, place.width, place.height))
        << row.name;
    EXPECT_EQ(CaptionOf(*control), QString::fromLatin1(row.caption)) << row.name;
  }
  EXPECT_EQ(window.StatusPanel0->width(), kStatusPanelWidth);
  EXPECT_TRUE(window.btHide->isDefault());
  EXPECT_FALSE(window.btSync->autoDefault());
  EXPECT_EQ(window.Components().PopupMenu().Items().size(), 3u);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Horalux"));
}

TEST_F(WindowTest, TabFollowsTheWindowDescription) {
  WriteHostList("");
  StartWindow();
  window.btHide->setFocus();
  for (const TControlRow& row : kForm1Controls) {
    if (!row.tabStop || row.name == "btHide") continue;
    QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    const auto* control = window.findChild<QWidget*>(QString::fromLatin1(row.name));
    EXPECT_TRUE(control == window.focusWidget() || control->isAncestorOf(window.focusWidget()))
        << row.name;
  }
}

// Offscreen there is no notification area: "Hide" keeps the window on the taskbar.
TEST_F(WindowTest, EnterHidesEscapeDoesNothingAndTheCloseBoxEnds) {
  WriteHostList("");
  StartWindow();
  ASSERT_TRUE(window.isVisible());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  QTest::keyClick(&window, Qt::Key_Return);
  EXPECT_TRUE(window.isMinimized());
  EXPECT_FALSE(application.Terminated());
  window.Components().PopupMenu().Click(window.Components().mnOptions);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  window.close();
  EXPECT_TRUE(application.Terminated());
}

TEST_F(WindowTest, TheUpDownStepsByFifteenWithinItsRangeAndLettersKeepThePosition) {
  WriteHostList("");
  StartWindow();
  window.edInterval->setValue(9990);
  window.edInterval->stepUp();
  EXPECT_EQ(window.IntervalPosition(), 9999);
  window.edInterval->setValue(10);
  window.edInterval->stepDown();
  EXPECT_EQ(window.IntervalPosition(), 0);
  window.edInterval->setValue(1200);
  EXPECT_EQ(window.edInterval->text(), QLocale().toString(1200));
  IntervalEdit().selectAll();
  QTest::keyClicks(&IntervalEdit(), QStringLiteral("45"));
  EXPECT_EQ(window.IntervalPosition(), 45);
  IntervalEdit().selectAll();
  QTest::keyClicks(&IntervalEdit(), QStringLiteral("abc"));
  EXPECT_EQ(window.IntervalPosition(), 45);
}

TEST_F(WindowTest, ControlsReachTheirHandlers) {
  WriteHostList("");
  StartWindow();
  QTest::mouseClick(window.lblURL, Qt::LeftButton);
  EXPECT_EQ(openedUrls, std::vector<std::string>{TForm1::kWebAddress});
  window.ckServer->setChecked(true);
  EXPECT_TRUE(form->IdTimeServer().Active());
  EXPECT_TRUE(QTest::qWaitFor(
      [this] { return window.Components().abfTrayIcon().Hint() == "Horalux (Server active)"; },
      5000));  // the one-second timer's refresh
  window.ckServer->setChecked(false);
  EXPECT_FALSE(form->IdTimeServer().Active());
  window.Components().PopupMenu().Click(window.Components().mnExit);
  EXPECT_TRUE(application.Terminated());
}

TEST_F(WindowTest, AFailingHandlerShowsTheApplicationsErrorBox) {
  RawListener taken;
  serverPort = taken.Port();
  WriteHostList("");
  StartWindow();
  window.ckServer->setChecked(true);
  EXPECT_EQ(
      boxes,
      (std::vector<RecordedBox>{{TMessageIcon::Error, "Horalux",
                                 "Could not bind socket. Address and port are already in use."}}));
}

TEST_F(WindowTest, TheCloseBoxEndsARunThatWaitsOnAConnectThatHangs) {
  UnreachablePeer unreachable;
  clientPort = unreachable.Port();
  WriteHostList("");
  StartWindow();
  window.cbTimeHost->setEditText(QStringLiteral("127.0.0.1"));
  QTimer::singleShot(300, &window, [this] { window.close(); });
  const auto started = std::chrono::steady_clock::now();
  window.btSync->click();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_TRUE(application.Terminated());
  EXPECT_TRUE(form->LogLines().Lines().empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The host box takes a host of any length, stored or typed, and gives it back whole.
TEST_F(WindowTest, TheHostBoxKeepsALongHostWhole) {
  StartWindow();
  const std::string host(40'000, 'h');
  window.SetHostText(host);
  EXPECT_EQ(window.HostText(), host);
  window.cbTimeHost->lineEdit()->end(false);
  QTest::keyClick(window.cbTimeHost->lineEdit(), Qt::Key_X);
  EXPECT_EQ(window.HostText(), host + "x");
}

class QtLogProbe final : public TLogViewProbe {
 public:
  QtLogProbe(QWidget& before, QPlainTextEdit& log) : before_(before), log_(log) {}
  bool TabIntoLog() override {
    before_.setFocus();
    QTest::keyClick(&before_, Qt::Key_Tab);
    return log_.window()->focusWidget() == &log_;
  }
  void Press(TLogKey key, bool control) override {
    static constexpr Qt::Key kKeys[] = {Qt::Key_Home,     Qt::Key_End, Qt::Key_PageUp,
                                        Qt::Key_PageDown, Qt::Key_Up,  Qt::Key_Down};
    QTest::keyClick(&log_, kKeys[static_cast<int>(key)],
                    control ? Qt::ControlModifier : Qt::NoModifier);
  }
  void ScrollTo(int line) override { log_.verticalScrollBar()->setValue(line); }
  int LineCount() override {
    return log_.document()->isEmpty() ? 0 : log_.document()->blockCount();
  }
  int FirstVisibleLine() override { return log_.verticalScrollBar()->value(); }
  int VisibleLines() override { return log_.verticalScrollBar()->pageStep(); }
  std::string Line(int index) override {
    return log_.document()->findBlockByNumber(index).text().toStdString();
  }
  bool AtEnd() override {
    QTextCursor last(log_.document());
    last.setPosition(log_.document()->lastBlock().position());
    return log_.viewport()->rect().contains(log_.cursorRect(last));
  }

 private:
  QWidget& before_;
  QPlainTextEdit& log_;
};

TEST_F(WindowTest, TheLogIsReadByKeyboardAndStaysWhereTheUserReads) {
  WriteHostList("");
  StartWindow();
  QtLogProbe probe(*window.ckServer, *window.Log);
  ExpectKeysMoveThroughTheLog(window, probe);
  ExpectNewLinesFollowOnlyAViewAtTheEnd(window, probe);
}

// A panel shows what fits; its tooltip has the whole text.
TEST_F(WindowTest, AStatusPanelsTooltipHasItsWholeText) {
  WriteHostList("");
  StartWindow();
  const std::string ready = " NTP Server on \"" + std::string(29, 'm') + "\" ready!";
  window.SetStatusText(TStatusPanel::Run, ready);
  EXPECT_GT(window.StatusPanel0->fontMetrics().horizontalAdvance(window.StatusPanel0->text()),
            window.StatusPanel0->contentsRect().width());
  EXPECT_EQ(window.StatusPanel0->toolTip().toStdString(), ready);
  window.SetStatusText(TStatusPanel::DateTime, "2026-12-09 14:03:07");
  EXPECT_EQ(window.StatusPanel1->toolTip().toStdString(), "2026-12-09 14:03:07");
}

class Latin1WindowTest : public WindowTest {
 protected:
  Latin1WindowTest() : WindowTest("ISO-8859-1") {}
};

TEST_F(Latin1WindowTest, ProgramTextKeepsItsBytesThroughTheWidgets) {
  const std::string latin1 =
      "zeit.b\xfc"
      "cher.example";
  const std::string notLatin1Typed = "\xe2\x82\xac";  // the euro sign typed in the box
  WriteHostList(latin1 + "\r\n");
  StartWindow();
  EXPECT_EQ(window.cbTimeHost->itemText(0), QString::fromUtf8("zeit.b\xc3\xbc"
                                                              "cher.example"));
  window.SetHostText(latin1);
  EXPECT_EQ(window.HostText(), latin1);
  window.cbTimeHost->setEditText(QString::fromUtf8(notLatin1Typed.c_str()));
  EXPECT_EQ(window.HostText(), "?");
  window.ChangeLog(0, {latin1, "bad\xff"});
  EXPECT_EQ(window.Log->toPlainText(), QString::fromUtf8("zeit.b\xc3\xbc"
                                                         "cher.example\nbad\xc3\xbf"));
}

// Panels that show the program's menu themselves, played over a private bus as Plasma and
// GNOME's AppIndicator extension do: the window comes with the primary action and with
// "Options ...", never goes away by it, and "Exit" ends the program.
class PanelBus {
 protected:
  PanelBus() { panel.StartWatcher(); }
  PrivateBus bus;
  FakePanel panel{bus};
};

class PanelWindowTest : public PanelBus, public WindowTest {
 protected:
  PanelWindowTest() : WindowTest("UTF-8", bus.Connect("program")) {}
  void SetUp() override {
    if (bus.Address().isEmpty()) GTEST_SKIP() << "dbus-daemon is not available";
    WriteHostList("");
    StartWindow();  // no host: the window shows
    ASSERT_TRUE(panel.AwaitRegistrations(1));
    window.HideWindow();
    ASSERT_FALSE(window.isVisible());  // the panel is a notification area: hidden into it
  }
  void Activate() {
    panel.CallItem("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", {0, 0});
  }
  bool AwaitVisible(bool visible) {
    return QTest::qWaitFor([&] { return window.isVisible() == visible; }, 5000);
  }
};

TEST_F(PanelWindowTest, PlasmaActivatesOnEveryClickAndShowsTheExportedMenu) {
  Activate();
  Activate();  // a double click is two clicks there: the window stays
  ASSERT_TRUE(AwaitVisible(true));
  QCoreApplication::sendPostedEvents();  // both answered: both activations have been posted
  EXPECT_TRUE(window.isVisible());
  const TDBusMenuLayout menu = panel.MenuLayout();
  ASSERT_EQ(menu.children.size(), 3u);
  EXPECT_EQ(menu.children[2].properties.value("label").toString(), QStringLiteral("Exit"));
  panel.MenuEvent(3, "clicked");
  panel.MenuEvent(0, "closed");
  EXPECT_TRUE(QTest::qWaitFor([&] { return application.Terminated(); }, 5000));
}

TEST_F(PanelWindowTest, GnomeActivatesOnADoubleClickAndOpensTheMenuItself) {
  Activate();
  ASSERT_TRUE(AwaitVisible(true));
  window.HideWindow();
  panel.CallItem("/MenuBar", "com.canonical.dbusmenu", "AboutToShow", {0});
  panel.MenuEvent(0, "opened");
  panel.MenuEvent(1, "clicked");  // "Options ..."
  EXPECT_TRUE(AwaitVisible(true));
  EXPECT_FALSE(application.Terminated());
  panel.MenuEvent(3, "clicked");
  EXPECT_TRUE(QTest::qWaitFor([&] { return application.Terminated(); }, 5000));
}

}  // namespace
}  // namespace horalux::testing
