// The popup window's view on a Wine desktop: a popup opened as a page's new
// window, placed at its first navigation without a requested position
// (800 × 600, centred), with the five navigation buttons and the wider
// last status panel; Home goes to the opener's home; closing hides it and
// the next sweep destroys it. A program key pressed in a page that cannot
// answer (Wine's control has no document) is the program's. Prints ok/FAILED lines; the exit code is the
// number of failures.
#include <windows.h>
// The Win32 headers above must come first.
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "forms/popup_form.h"
#include "views/win32/browser_frame.h"
#include "views/win32/popup_window.h"

namespace {

int failures = 0;

void Check(const char* what, bool passed) {
  std::printf("%s: %s\n", passed ? "ok" : "FAILED", what);
  if (!passed) ++failures;
}

// The page's engine in the main window; the popup does not ask it anything.
class OpenerEngine : public BrowserEngine {
 public:
  void SetEvents(BrowserEvents*) override {}
  void Navigate(const std::string&) override {}
  void GoBack() override {}
  void GoForward() override {}
  void Refresh() override {}
  void Stop() override {}
  std::string LocationURL() const override { return ""; }
  bool Busy() const override { return false; }
  int ReadyState() const override { return kReadyStateComplete; }
  void SetSilent(bool) override {}
  TWindowRequest WindowRequest() const override { return {}; }
};

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

HWND Find(HWND parent, const wchar_t* windowClass) { return FindWindowExW(parent, nullptr, windowClass, nullptr); }

}  // namespace

int main() {
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);

  TfrmBrowser* form = nullptr;
  HWND window = nullptr;
  TPopupWindows popups([&](TfrmBrowser& opened, BrowserEngine&) -> std::unique_ptr<PopupView> {
    form = &opened;
    return std::make_unique<Win32PopupWindow>(opened, nullptr, nullptr);
  });
  OpenerEngine opener;
  BrowserEngine* engine = popups.Open(opener, "http://127.0.0.1:18460");
  Check("a page's new window gets a popup and its engine", engine != nullptr && form != nullptr);
  if (!engine || !form) return failures;
  window = FindWindowW(L"TfrmBrowser", nullptr);
  Check("the popup is a top-level window of class TfrmBrowser", window != nullptr);
  Check("it stays hidden until it is placed", window && !IsWindowVisible(window));
  Check("it is owned by no window of the program", window && GetWindow(window, GW_OWNER) == nullptr);

  form->WebBrowser1BeforeNavigate2();
  Pump();
  RECT rect{};
  GetWindowRect(window, &rect);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  std::printf("popup=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  Check("without a requested position it is 800 x 600",
        rect.right - rect.left == 800 && rect.bottom - rect.top == 600);
  Check("centred on the screen",
        rect.left == (screenWidth - 800) / 2 && rect.top == (screenHeight - 600) / 2);
  Check("and shown", IsWindowVisible(window));
  wchar_t caption[64] = L"?";
  GetWindowTextW(window, caption, 64);
  Check("its caption is empty until the page has a title", caption[0] == L'\0');

  HWND panel = Find(Find(window, REBARCLASSNAMEW), L"LodestackToolbarPanel");
  HWND toolbar = Find(panel, TOOLBARCLASSNAMEW);
  bool navigation = toolbar != nullptr;
  for (int id = 100; id < 105; ++id)
    navigation = navigation && !SendMessageW(toolbar, TB_ISBUTTONHIDDEN, id, 0);
  Check("Back, Forward, Refresh, Stop and Home show", navigation);
  Check("Favorites and Rebrand do not",
        toolbar && SendMessageW(toolbar, TB_ISBUTTONHIDDEN, 105, 0) &&
            SendMessageW(toolbar, TB_ISBUTTONHIDDEN, 106, 0));
  HWND status = Find(window, STATUSCLASSNAMEW);
  int parts[3] = {};
  RECT statusRect{};
  GetClientRect(status, &statusRect);
  SendMessageW(status, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(parts));
  Check("the status bar's panels: the progress panel 200 wide, the last 80",
        parts[1] - parts[0] == 200 && parts[1] == statusRect.right - 80 && parts[2] == -1);

  form->btnHomeClick();
  HWND address = Find(panel, WC_COMBOBOXEXW);
  HWND edit = reinterpret_cast<HWND>(SendMessageW(address, CBEM_GETEDITCONTROL, 0, 0));
  wchar_t text[256] = {};
  GetWindowTextW(edit, text, 256);
  Check("Home goes to the opener's home", std::wstring(text) == L"http://127.0.0.1:18460");

  // Ctrl+plus for the control's own window, as a key pressed in the page.
  HWND control = Find(window, L"Shell Embedding");
  Check("the popup holds the WebBrowser control's window", control != nullptr);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  MSG key{control, WM_KEYDOWN, VK_OEM_PLUS, 0, 0, {}};
  const bool taken = control && BrowserFrame::PreviewMessage(key);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  Check("a key in a page that cannot say whether it prevented it zooms the window",
        taken && form->Zoom() == 110);

  SendMessageW(window, WM_CLOSE, 0, 0);
  Check("closing it hides it at once", !IsWindowVisible(window));
  Check("its form stays until the next sweep", popups.Count() == 0 && IsWindow(window));
  popups.Sweep();
  Check("the sweep destroys the window", !IsWindow(window));
  OleUninitialize();
  std::printf("%d failed\n", failures);
  return failures;
}
