// The dialog services on Win32: the system's message box, the hourglass
// over every window of the program, the open-file dialog and the folder
// picker, each owned by the window the user is working in.
#include <windows.h>
// After windows.h, which it builds on.
#include <commdlg.h>

#include <vector>

#include "util/message_pump.h"
#include "util/wide.h"
#include "views/win32/folder_picker_win32.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

BOOL CALLBACK FirstUsable(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The window to own a box or picker: the program's active window, else the
// one the user can work in (a dialog open over the disabled main window),
// else the application window.
HWND OwnerWindow(HWND application) {
  if (HWND active = GetActiveWindow()) return active;
  HWND usable = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FirstUsable, reinterpret_cast<LPARAM>(&usable));
  return usable ? usable : application;
}

// While busy, every window of the thread that sets its cursor (as the mouse
// moves over it) gets the hourglass back at once.
HHOOK busyHook = nullptr;

LRESULT CALLBACK KeepHourglass(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_SETCURSOR) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  return CallNextHookEx(busyHook, code, wParam, lParam);
}


// "description|pattern" (patterns separated by ';') as the dialog's list of
// NUL-separated pairs ending in two NULs.
std::wstring FilterList(const std::string& filter) {
  const auto bar = filter.find('|');
  const std::string description = filter.substr(0, bar);
  const std::string patterns = bar == std::string::npos ? filter : filter.substr(bar + 1);
  std::wstring list = wide::FromUtf8(description);
  list.push_back(L'\0');
  list += wide::FromUtf8(patterns);
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

class Win32DialogServices : public DialogServices {
 public:
  Win32DialogServices(HWND owner, std::function<std::string()> appTitle)
      : owner_(owner), appTitle_(std::move(appTitle)) {}
  ~Win32DialogServices() override {
    if (busyHook) SetBusy(false);
  }

  int AppMessageBox(const std::string& text, unsigned flags) override {
    // A box shown while busy (a failure reported mid-way) waits for the user:
    // its buttons get the arrow, and the hourglass comes back after it.
    const bool busy = busyHook != nullptr;
    if (busy) SetBusy(false);
    // The button pressed: IDOK, IDYES and IDNO are the modal results of the same value.
    const int pressed = MessageBoxW(OwnerWindow(owner_), wide::FromUtf8(text).c_str(),
                                    wide::FromUtf8(AppMessageBoxCaption(flags, appTitle_())).c_str(), flags);
    if (busy) SetBusy(true);
    return pressed;
  }

  void SetBusy(bool busy) override {
    if (busy && !busyHook) {
      busyHook = SetWindowsHookExW(WH_CALLWNDPROCRET, &KeepHourglass, nullptr, GetCurrentThreadId());
    } else if (!busy && busyHook) {
      UnhookWindowsHookEx(busyHook);
      busyHook = nullptr;
    }
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
    ProcessPendingMessages();
  }

  std::string OpenFile(const std::string& initialFile, const std::string& defaultExt,
                       const std::string& filter) override {
    const std::wstring filters = FilterList(filter);
    std::wstring extension = wide::FromUtf8(defaultExt);
    if (!extension.empty() && extension[0] == L'.') extension.erase(0, 1);
    // Room for long paths; the initial name is cut only when it could never fit.
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = wide::FromUtf8(initialFile);
    if (initial.size() < file.size()) initial.copy(file.data(), initial.size());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = OwnerWindow(owner_);
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    // The current folder stays the program folder, which relative entries count from.
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return "";
    return wide::ToUtf8(file.data());
  }

  std::string BrowseForFolder(const std::string& text, const std::string& initialFolder) override {
    return PickFolder(OwnerWindow(owner_), text, initialFolder);
  }

 private:
  HWND owner_;
  std::function<std::string()> appTitle_;
};

}  // namespace

std::unique_ptr<DialogServices> CreateDialogServices(HWND owner, std::function<std::string()> appTitle) {
  return std::make_unique<Win32DialogServices>(owner, std::move(appTitle));
}
