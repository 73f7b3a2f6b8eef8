#include "views/win32/main_window.h"

#include <commctrl.h>

#include <cfloat>

#include "util/hi.h"
#include "util/wide.h"
#include "views/win32/about_box.h"
#include "views/win32/popup_window.h"
#include "views/win32/program_icon.h"
#include "views/win32/repaint_fix.h"
#include "views/win32/tool_dialogs_win32.h"
#include "views/win32/tray_icon_win32.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TfrmMain";
constexpr int kDesignWidth = 632;
constexpr int kDesignHeight = 453;
constexpr int kMainLastPanelWidth = 60;
constexpr UINT_PTR kSplashTimer = 1;
constexpr UINT_PTR kTickTimer = 2;
constexpr UINT kTickInterval = 500;
constexpr UINT kTrayFirstId = 1000;
constexpr UINT kFavoriteFirstId = 2000;

// The tray menu's captions; "&" marks the access key.
constexpr const char* kTrayCaptions[kTrayItemCount] = {
    "&Show/Hide Main Window", "-", "&Down Size...", "Server S&ettings...",
    "&Back Up Database...", "&Restore Database...", "-",
    "Open Command &Prompt", "&Logs", "-",
    "&Help Contents", "&Contact Us", "&Visit Website", "&About...", "-", "E&xit",
};

HWND NewWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;  // until the view takes it over
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    registered = RegisterClassW(&windowClass) != 0;
  }
  // The client area of the design size; the position is the system's.
  RECT frame{0, 0, kDesignWidth, kDesignHeight};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  return CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                         CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A menu caption that shows its "&" as it is.
std::wstring PlainCaption(const std::string& caption) {
  std::wstring text;
  for (wchar_t c : wide::FromUtf8(caption)) {
    text += c;
    if (c == L'&') text += L'&';
  }
  return text;
}

}  // namespace

Win32MainWindow::Win32MainWindow()
    : BrowserFrameView<MainWindowView>(NewWindow(), kMainLastPanelWidth),
      window_(widgets_.Window()),
      icon_(LoadProgramIcon(32)),
      smallIcon_(LoadProgramIcon(16)),
      dialogs_(CreateDialogServices(window_, [this] { return appTitle_; })) {
  for (int i = 0; i < kTrayItemCount; ++i) trayVisible_[i] = trayEnabled_[i] = true;
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  widgets_.onFavoritesMenu = [this](POINT at) { PopupFavorites(at); };
  SetTimer(window_, kTickTimer, kTickInterval, nullptr);
}

Win32MainWindow::~Win32MainWindow() {
  KillTimer(window_, kTickTimer);
  KillTimer(window_, kSplashTimer);
  widgets_.SetForm(nullptr);
  form_ = nullptr;
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
}

void Win32MainWindow::Attach(TfrmMain& form) {
  form_ = &form;
  widgets_.SetForm(&form);
  widgets_.onFavorites = [this] { form_->btnFavoritesClick(); };
  widgets_.onBrand = [this] { form_->btnBrandClick(); };
}

void Win32MainWindow::SetTitle(const std::string& title) {
  appTitle_ = title;
  SetCaption(title);
}

void Win32MainWindow::SetApplicationTitle(const std::string& title) { appTitle_ = title; }

void Win32MainWindow::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_ = true;
      continue;
    }
    if (Filter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// An optional step of the start-up stopped at an error: once the user has
// read it, the window opens all the same, so the run can be seen and ended
// by closing it.
void Win32MainWindow::ShowError(const std::string& message) {
  MessageBoxW(window_, wide::FromUtf8(message).c_str(), wide::FromUtf8(appTitle_).c_str(),
              MB_OK | MB_ICONERROR);
  ShowWindow(true);
}

void Win32MainWindow::OpenHome(const std::string&) {}

// Once the queue is empty, windows whose keyboard cues changed are repainted.
void Win32MainWindow::RunMessageLoop() {
  MSG message;
  while (!quit_) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      RepaintAfterCueChanges();
      WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) break;
    if (Filter(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  quit_ = true;
}

void Win32MainWindow::QuitApplication() {
  quit_ = true;
  PostQuitMessage(0);
}

// Every message with the Return key's code goes to the page of the main
// window first, whatever window it is for; the page's own key handling
// (forms, scripts) would not see it otherwise.
bool Win32MainWindow::Filter(MSG& message) {
  if (message.wParam == VK_RETURN) widgets_.Engine().ForwardKey(message);
  return BrowserFrame::PreviewMessage(message);
}

void Win32MainWindow::SetFavorites(const std::vector<TFavoriteEntry>& menu) { favorites_ = menu; }

void Win32MainWindow::SetTrayItem(TTrayItem item, bool visible, bool enabled) {
  trayVisible_[static_cast<int>(item)] = visible;
  trayEnabled_[static_cast<int>(item)] = enabled;
}

// Before the window is shown the state is only noted: showing it maximises it.
void Win32MainWindow::Maximize() {
  if (IsWindowVisible(window_))
    ::ShowWindow(window_, SW_MAXIMIZE);
  else
    maximize_ = true;
}

void Win32MainWindow::ShowWindow(bool show) {
  if (!show) {
    ::ShowWindow(window_, SW_HIDE);
    return;
  }
  if (maximize_ && !fullScreen_) {
    maximize_ = false;
    ::ShowWindow(window_, SW_SHOWMAXIMIZED);
  } else if (IsIconic(window_)) {
    ::ShowWindow(window_, SW_RESTORE);
  } else {
    ::ShowWindow(window_, SW_SHOW);
  }
  SetForegroundWindow(window_);
  THi::ForceForeground(reinterpret_cast<TWindowHandle>(window_));
  widgets_.Layout();
}

bool Win32MainWindow::WindowVisible() const { return IsWindowVisible(window_) != FALSE; }

bool Win32MainWindow::HasBorder() const {
  return (GetWindowLongPtrW(window_, GWL_STYLE) & WS_CAPTION) != 0;
}

// The whole screen without border; the window stays that way.
void Win32MainWindow::EnterFullScreen() {
  fullScreen_ = true;
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  SetWindowLongPtrW(window_, GWL_STYLE,
                    (style & ~(WS_OVERLAPPEDWINDOW | WS_MAXIMIZE)) | WS_POPUP | WS_CLIPCHILDREN);
  SetWindowPos(window_, HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_FRAMECHANGED | SWP_NOACTIVATE);
}

// The window as it was before full screen: framed, maximised.
void Win32MainWindow::LeaveFullScreen() {
  fullScreen_ = false;
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  SetWindowLongPtrW(window_, GWL_STYLE, (style & ~WS_POPUP) | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

void Win32MainWindow::EnableCloseSplashTimer(bool enabled) {
  if (enabled)
    SetTimer(window_, kSplashTimer, 1, nullptr);
  else
    KillTimer(window_, kSplashTimer);
}

std::unique_ptr<TrayIconView> Win32MainWindow::CreateTrayIcon(TrayIconEvents& events) {
  return std::make_unique<Win32TrayIcon>(events, smallIcon_, window_,
                                         [this](HWND owner, POINT at) { PopupTrayMenu(owner, at); });
}

std::unique_ptr<PopupView> Win32MainWindow::CreatePopup(TfrmBrowser& form, BrowserEngine&) {
  return std::make_unique<Win32PopupWindow>(form, icon_, smallIcon_);
}

void Win32MainWindow::ShowAbout(const std::string& title, const std::string& version,
                                const std::string& year) {
  ShowWin32About(window_, icon_, title, version, year);
}

TModalResult Win32MainWindow::ShowSettings(TfrmSettings& form) { return RunSettingsDialog(window_, form); }

TModalResult Win32MainWindow::ShowDownSize(TfrmDownSize& form) { return RunDownSizeDialog(window_, form); }

TModalResult Win32MainWindow::ShowBrand(TfrmBrand& form) { return RunBrandDialog(window_, form); }

// The tray menu is made as it pops up, from the items' current states; the
// first item is the default (bold) one.
void Win32MainWindow::PopupTrayMenu(HWND owner, POINT at) {
  HMENU menu = CreatePopupMenu();
  for (int i = 0; i < kTrayItemCount; ++i) {
    if (!trayVisible_[i]) continue;
    const std::string caption = kTrayCaptions[i];
    if (caption == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    AppendMenuW(menu, MF_STRING | (trayEnabled_[i] ? 0 : MF_GRAYED), kTrayFirstId + i,
                wide::FromUtf8(caption).c_str());
  }
  SetMenuDefaultItem(menu, kTrayFirstId, FALSE);
  const UINT command = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                                      owner, nullptr);
  DestroyMenu(menu);
  if (command >= kTrayFirstId && command < kTrayFirstId + kTrayItemCount)
    TrayCommand(static_cast<TTrayItem>(command - kTrayFirstId));
}

void Win32MainWindow::TrayCommand(TTrayItem item) {
  if (!form_) return;
  switch (item) {
    case TTrayItem::kShow: form_->mnuTray_ShowClick(); break;
    case TTrayItem::kDownSize: form_->mnuTray_DownSizeClick(); break;
    case TTrayItem::kSettings: form_->mnuTray_SettingsClick(); break;
    case TTrayItem::kBackUp: form_->mnuTray_BackUpClick(); break;
    case TTrayItem::kRestore: form_->mnuTray_RestoreClick(); break;
    case TTrayItem::kTerminal: form_->mnuTray_TerminalClick(); break;
    case TTrayItem::kLogs: form_->mnuTray_LogsClick(); break;
    case TTrayItem::kHelp: form_->mnuTray_HelpClick(); break;
    case TTrayItem::kEmail: form_->mnuTray_EmailClick(); break;
    case TTrayItem::kWebsite: form_->mnuTray_WebsiteClick(); break;
    case TTrayItem::kAbout: form_->mnuTray_AboutClick(); break;
    case TTrayItem::kExit: form_->mnuTray_ExitClick(); break;
    default: break;
  }
}

// The favorites button's drop-down: "Organize Favorites..." (the default
// item), then the folders and the addresses of the favorites file.
void Win32MainWindow::PopupFavorites(POINT at) {
  HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < favorites_.size(); ++i) {
    const TFavoriteEntry& entry = favorites_[i];
    const UINT id = kFavoriteFirstId + static_cast<UINT>(i);
    switch (entry.kind) {
      case TFavoriteEntry::Kind::kSeparator:
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        break;
      case TFavoriteEntry::Kind::kOrganize:
        AppendMenuW(menu, MF_STRING, id, wide::FromUtf8(entry.caption).c_str());
        SetMenuDefaultItem(menu, id, FALSE);
        break;
      default:
        AppendMenuW(menu, MF_STRING, id, PlainCaption(entry.caption).c_str());
        break;
    }
  }
  const UINT command =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window_, nullptr);
  DestroyMenu(menu);
  if (!form_ || command < kFavoriteFirstId || command >= kFavoriteFirstId + favorites_.size()) return;
  const TFavoriteEntry entry = favorites_[command - kFavoriteFirstId];
  switch (entry.kind) {
    case TFavoriteEntry::Kind::kOrganize: form_->mnuMenu_OrganizeFavoritesClick(); break;
    case TFavoriteEntry::Kind::kFolder: form_->FavoriteFolderClick(entry.caption); break;
    case TFavoriteEntry::Kind::kUrl: form_->FavoriteUrlClick(entry.caption); break;
    case TFavoriteEntry::Kind::kSeparator: break;
  }
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!view) return DefWindowProcW(window, message, wParam, lParam);
  return view->Message(message, wParam, lParam);
}

LRESULT Win32MainWindow::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (widgets_.HandleMessage(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE:
      // Closing the main window ends the program.
      if (form_) form_->QuitApplication();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && form_) form_->FormActivate();
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED && form_) form_->WndProc(TWindowMessage::kMinimized);
      break;
    case WM_TIMER:
      if (wParam == kSplashTimer && form_) form_->tmrCloseSplashTimer();
      if (wParam == kTickTimer && form_) form_->WndProc(TWindowMessage::kAny);
      return 0;
    case WM_QUERYENDSESSION:
      if (form_) form_->WndProc(TWindowMessage::kQueryEndSession);
      return TRUE;
    case WM_ENDSESSION:
      // The system may end the process as soon as this returns: the servers
      // are stopped and the work files removed before that.
      if (wParam && form_) {
        form_->FormDestroy();
        THi::KillSelf();
      }
      return 0;
    case WM_DEVICECHANGE: {
      const LRESULT handled = DefWindowProcW(window_, message, wParam, lParam);
      if (form_) form_->WndProc(TWindowMessage::kDeviceChange);
      return handled;
    }
    case WM_UPDATEUISTATE:
      NoteCueChange(window_);
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

std::unique_ptr<MainView> CreateWin32MainView() {
  // The page engine's scripts and plug-ins expect every floating-point
  // exception masked, as the system's own programs run them.
  _controlfp(_MCW_EM, _MCW_EM);
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_USEREX_CLASSES |
                   ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);
  return std::make_unique<Win32MainWindow>();
}
