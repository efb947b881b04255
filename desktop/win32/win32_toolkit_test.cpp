// What only Win32 does for the desktop components: the record the notification area is
// given, the messages the shell sends back, the taskbar made anew, the minimised main
// window, and the loop's hand-overs. The components' own rules are tested once, in
// desktop/, against a recording toolkit.
#include "desktop/win32/win32_toolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "desktop/application.h"
#include "desktop/tray_icon.h"
#include "desktop/win32/win32_icon.h"

namespace horalux {
namespace {

struct Call {
  DWORD message;
  NOTIFYICONDATAA data;
};

class Win32ToolkitTest : public ::testing::Test {
 protected:
  Win32ToolkitTest() {
    toolkit.ShellNotify = [this](DWORD message, NOTIFYICONDATAA& data) {
      calls.push_back({message, data});
      return TRUE;
    };
    images.Add(TWin32Icon(UniqueIcon(::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)))));
  }
  HWND IconWindow() const { return calls.front().data.hWnd; }
  void Send(UINT message, WPARAM w = 0, LPARAM l = 0) {
    ::SendMessageA(IconWindow(), message, w, l);
  }

  std::vector<Call> calls;  // outlives the icon, which records its removal
  TWin32Toolkit toolkit;
  TApplication application{toolkit};
  TImageList images;
  TComponent owner;
  TabfTrayIcon& icon = MakeComponent<TabfTrayIcon>(owner, application);
};

TEST_F(Win32ToolkitTest, TheRecordCarriesTheCallbackTheImageAndTheHintCutTo63) {
  icon.SetVisible(true);
  icon.SetImageList(&images);
  icon.SetHint(std::string(63, 'h') + "-cut-");
  EXPECT_EQ(calls.front().message, static_cast<DWORD>(NIM_ADD));
  const NOTIFYICONDATAA& last = calls.back().data;
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(last.cbSize, 88U);
  EXPECT_NE(last.hWnd, nullptr);
  EXPECT_EQ(last.uID, 0U);
  EXPECT_EQ(last.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP | NIF_ICON));
  EXPECT_EQ(last.uCallbackMessage, 1235U);
  EXPECT_NE(last.hIcon, nullptr);
  EXPECT_EQ(std::string(last.szTip), std::string(63, 'h'));
  icon.SetImageIndex(5);  // outside the list: an empty icon
  EXPECT_EQ(calls.back().data.hIcon, nullptr);
  icon.SetVisible(false);
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls.back().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_TIP));

  icon.ShowNotification("Clock not set", std::string(300, 't'));
  const NOTIFYICONDATAA& balloon = calls.back().data;
  EXPECT_EQ(balloon.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
  EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
  EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_STREQ(balloon.szInfoTitle, "Clock not set");
  EXPECT_EQ(std::string(balloon.szInfo), std::string(255, 't'));
}

TEST_F(Win32ToolkitTest, TheShellsMessagesReachTheIconAndANewTaskbarGetsItBack) {
  icon.SetImageList(&images);
  icon.SetVisible(true);
  icon.SetHint("Horalux (Server active)");
  std::vector<std::string> events;
  icon.OnClick = [&](TComponent&) { events.push_back("click"); };
  icon.OnDblClick = [&](TComponent&) { events.push_back("double"); };
  Send(TabfTrayIcon::IconMessage, 0, WM_LBUTTONDOWN);
  Send(TabfTrayIcon::IconMessage, 0, WM_LBUTTONUP);
  Send(TabfTrayIcon::IconMessage, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, (std::vector<std::string>{"click", "double"}));
  EXPECT_EQ(::SendMessageA(IconWindow(), WM_QUERYENDSESSION, 0, 0), 1);

  calls.clear();
  ::SendMessageA(IconWindow(), TWin32Toolkit::TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(calls.size(), 2U);
  EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(std::string(calls[1].data.szTip), "Horalux (Server active)");
  EXPECT_NE(calls[1].data.hIcon, nullptr);
}

TEST_F(Win32ToolkitTest, AMinimisedMainWindowGoesIntoTheTray) {
  const HWND form = ::CreateWindowExA(0, "STATIC", "Horalux", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                      nullptr, nullptr, toolkit.Instance(), nullptr);
  toolkit.SetMainForm(form);
  {
    TComponent watching;
    auto& tray = MakeComponent<TabfTrayIcon>(watching, application);  // watches from its start
    tray.SetMinimizeToTray(true);
    ::ShowWindow(form, SW_SHOW);
    ::SendMessageA(form, WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(::IsWindowVisible(form));
    EXPECT_TRUE(tray.Visible());
    tray.SetVisible(false);  // the window comes back
    EXPECT_TRUE(::IsWindowVisible(form));
  }
  toolkit.SetMainForm(nullptr);
  ::DestroyWindow(form);
}

TEST_F(Win32ToolkitTest, PostedWorkRunsOnTheMainThreadInOrderAndDelayedWorkAfterItsDelay) {
  std::vector<int> ran;
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < 50; ++i) {
      application.Post([&, i] {
        ran.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  });
  poster.join();
  const DWORD start = ::GetTickCount();
  DWORD delayedAt = 0;
  application.After(std::chrono::milliseconds(100), [&] {
    delayedAt = ::GetTickCount();
    application.Terminate();
  });
  application.Run();
  ASSERT_EQ(ran.size(), 50U);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
  for (const auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_GE(delayedAt - start, 90U);  // the system's timers may come a tick early
}

TEST_F(Win32ToolkitTest, MessagesTakenOneAtATimeComeToPostedWorkAndToTheQuitRequest) {
  bool posted = false;
  application.Post([&] { posted = true; });
  while (!posted && toolkit.HandleMessageIfWaiting()) {
  }
  EXPECT_TRUE(posted);
  ::PostQuitMessage(0);
  while (toolkit.HandleMessageIfWaiting()) {
  }
  EXPECT_EQ(application.Run(), 0);  // at once: the quit request was taken already
}

TEST_F(Win32ToolkitTest, AnIdleStepThatMeetsTheQuitRequestEndsTheLoopToo) {
  bool reachedAfterQuit = false;
  application.Post([&] {
    ::PostQuitMessage(0);
    application.ProcessMessages();  // as a run's idle step would
    reachedAfterQuit = true;
  });
  application.Run();
  EXPECT_TRUE(reachedAfterQuit);
  EXPECT_TRUE(application.Terminated());
}

}  // namespace
}  // namespace horalux
