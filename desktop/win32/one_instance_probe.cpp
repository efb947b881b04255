// A minimal program around the single-instance guard, for the tests: a hidden main window
// whose text is the title (argument 1), the guard, and the loop. It says on standard
// output whether it is the first instance ("first") or found another ("second"), and ends
// when its window is closed or a second instance made it end.
#include <windows.h>

#include <cstdio>
#include <string>

#include "desktop/win32/application.h"
#include "desktop/win32/one_instance.h"

namespace {

constexpr const char* kProbeClass = "Horalux.OneInstanceProbe";

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CLOSE) {
    auto* application =
        reinterpret_cast<horalux::TApplication*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (application != nullptr) application->Terminate();
    return 0;
  }
  return ::DefWindowProcA(window, message, w, l);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  horalux::TApplication application;
  application.SetTitle(argv[1]);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &ProbeWindowProc;
  windowClass.hInstance = application.Instance();
  windowClass.lpszClassName = kProbeClass;
  ::RegisterClassA(&windowClass);
  const HWND window = ::CreateWindowExA(0, kProbeClass, argv[1], WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                        100, nullptr, nullptr, application.Instance(), nullptr);
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&application));
  application.SetMainForm(window);
  application.SetShowMainForm(false);
  int result = 0;
  {
    horalux::TComponent owner;
    auto& guard = horalux::MakeComponent<horalux::TabfOneInstance>(owner, application);
    guard.Loaded();
    std::printf("%s\n", application.Terminated() ? "second" : "first");
    std::fflush(stdout);
    result = application.Run();
  }
  ::DestroyWindow(window);
  return result;
}
