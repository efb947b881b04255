// The record the notification area is given, the mouse messages it sends back, and the
// icon added again when the taskbar is made anew.
#include "desktop/win32/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/win32/tray_images.h"

namespace horalux {
namespace {

struct Call {
  DWORD message;
  NOTIFYICONDATAA data;
};

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    AddTrayImages(images);
    icon.ShellNotify = [this](DWORD message, NOTIFYICONDATAA& data) {
      calls.push_back({message, data});
      return TRUE;
    };
  }

  TApplication application;
  TImageList images{16, 16};
  std::vector<Call> calls;  // outlives the icon, which records its removal
  TComponent owner;
  TabfTrayIcon& icon = MakeComponent<TabfTrayIcon>(owner, application);
};

TEST_F(TrayIconTest, TheRecordCarriesTheCallbackTheImageAndTheHintCutTo63) {
  ASSERT_EQ(images.Count(), 2);
  icon.SetVisible(true);
  icon.SetImageList(&images);
  icon.SetHint(std::string(63, 'h') + "-cut-");
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().message, static_cast<DWORD>(NIM_ADD));
  const NOTIFYICONDATAA& last = calls.back().data;
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(last.cbSize, 88U);
  EXPECT_EQ(last.hWnd, icon.Handle());
  EXPECT_EQ(last.uID, 0U);
  EXPECT_EQ(last.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP | NIF_ICON));
  EXPECT_EQ(last.uCallbackMessage, 1235U);
  EXPECT_NE(last.hIcon, nullptr);
  EXPECT_EQ(std::string(last.szTip), std::string(63, 'h'));

  icon.SetImageIndex(5);  // outside the list: an empty icon
  EXPECT_EQ(calls.back().data.hIcon, nullptr);
  icon.SetShowHint(false);
  EXPECT_EQ(std::string(calls.back().data.szTip), "");
  icon.SetVisible(false);
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls.back().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP));
}

TEST_F(TrayIconTest, ANewTaskbarGetsTheIconBackAsItWas) {
  icon.SetImageList(&images);
  icon.SetVisible(true);
  icon.SetImageIndex(1);
  icon.SetHint("Horalux (Server active)");
  calls.clear();
  ::SendMessageA(icon.Handle(), TabfTrayIcon::TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(calls.size(), 2U);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(std::string(calls[1].data.szTip), "Horalux (Server active)");
  EXPECT_NE(calls[1].data.hIcon, nullptr);
  EXPECT_TRUE(icon.Visible());

  icon.SetVisible(false);
  calls.clear();
  ::SendMessageA(icon.Handle(), TabfTrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(calls.empty());  // a hidden icon stays away
}

TEST_F(TrayIconTest, MouseMessagesBecomeEventsWhileEnabled) {
  std::vector<std::string> events;
  icon.OnClick = [&](TComponent&) { events.push_back("click"); };
  icon.OnDblClick = [&](TComponent&) { events.push_back("double"); };
  const auto mouse = [this](UINT message) {
    ::SendMessageA(icon.Handle(), TabfTrayIcon::IconMessage, 0, message);
  };
  mouse(WM_LBUTTONDOWN);
  mouse(WM_LBUTTONUP);
  mouse(WM_LBUTTONDBLCLK);
  mouse(WM_LBUTTONUP);  // no press before it: no click
  icon.SetEnabled(false);
  mouse(WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, (std::vector<std::string>{"click", "double"}));
  EXPECT_EQ(::SendMessageA(icon.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(TrayIconTest, TheBalloonCarriesItsTextsWithAWarning) {
  icon.SetVisible(true);
  icon.ShowNotification("Clock not set", std::string(300, 't'));
  const NOTIFYICONDATAA& balloon = calls.back().data;
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(balloon.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
  EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_STREQ(balloon.szInfoTitle, "Clock not set");
  EXPECT_EQ(std::string(balloon.szInfo), std::string(255, 't'));
}

TEST_F(TrayIconTest, StartingInTheTrayKeepsTheMainWindowHidden) {
  application.SetMainForm(icon.Handle());  // any window stands in for the main window
  icon.SetMinimizeOnStart(true);
  icon.Loaded();
  EXPECT_FALSE(application.ShowMainForm());
  EXPECT_TRUE(icon.Visible());
  application.SetMainForm(nullptr);
}

}  // namespace
}  // namespace horalux
