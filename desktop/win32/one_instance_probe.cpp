// A minimal program around the single-instance guard, for the tests: a hidden main window
// whose text is the title (argument 1), the guard, and the loop. It says on standard
// output whether it is the first instance ("first") or found another ("second"), and ends
// when its window is closed or a second instance made it end.
#include <windows.h>

#include <cstdio>
#include <string>

#include "desktop/application.h"
#include "desktop/one_instance.h"
#include "desktop/win32/win32_toolkit.h"

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
  horalux::TWin32Toolkit toolkit;
  horalux::TApplication application(toolkit);
  application.SetTitle(argv[1]);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &ProbeWindowProc;
  windowClass.hInstance = toolkit.Instance();
  windowClass.lpszClassName = kProbeClass;
  ::RegisterClassA(&windowClass);
  const HWND window = ::CreateWindowExA(0, kProbeClass, argv[1], WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                        100, nullptr, nullptr, toolkit.Instance(), nullptr);
  ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&application));
  toolkit.SetMainForm(window);
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
