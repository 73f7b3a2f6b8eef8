#include "views/win32/folder_picker_win32.h"

#include <shlobj.h>

#include "util/wide.h"
#include "views/win32/centre_window_win32.h"

namespace {

// Only folders of the file system, with an edit box for the path.
constexpr UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;

const wchar_t kOldProcedure[] = L"Lodestack.PickerProcedure";

// The picker's own procedure, put back in front of this one: the picker is
// centred on its owner once, as it is first shown.
LRESULT CALLBACK CentringProcedure(HWND picker, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto old = reinterpret_cast<WNDPROC>(GetPropW(picker, kOldProcedure));
  if (message == WM_SHOWWINDOW && wParam) {
    SetWindowLongPtrW(picker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropW(picker, kOldProcedure);
    CentreWindowOnOwner(picker, GetWindow(picker, GW_OWNER));
    InvalidateRect(picker, nullptr, TRUE);
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(picker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropW(picker, kOldProcedure);
  }
  return CallWindowProcW(old, picker, message, wParam, lParam);
}

int CALLBACK PickerEvents(HWND picker, UINT message, LPARAM, LPARAM data) {
  if (message != BFFM_INITIALIZED) return 0;
  const auto old = SetWindowLongPtrW(picker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CentringProcedure));
  SetPropW(picker, kOldProcedure, reinterpret_cast<HANDLE>(old));
  const auto* initial = reinterpret_cast<const std::wstring*>(data);
  if (!initial->empty()) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
  return 0;
}

}  // namespace

std::string PickFolder(HWND owner, const std::string& text, const std::string& initialFolder) {
  const std::wstring caption = wide::FromUtf8(text);
  const std::wstring initial = wide::FromUtf8(initialFolder);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = displayName;
  info.lpszTitle = caption.c_str();
  info.ulFlags = kPickerFlags | BIF_NEWDIALOGSTYLE;
  info.lpfn = &PickerEvents;
  info.lParam = reinterpret_cast<LPARAM>(&initial);
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (!item) return "";
  // Long paths too: the shell allocates the text.
  PWSTR path = nullptr;
  std::string chosen;
  if (SUCCEEDED(SHGetNameFromIDList(item, SIGDN_FILESYSPATH, &path))) {
    chosen = wide::ToUtf8(path);
    CoTaskMemFree(path);
  }
  CoTaskMemFree(item);
  return chosen;
}
