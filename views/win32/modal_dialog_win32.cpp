#include "views/win32/modal_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "util/wide.h"
#include "views/win32/centre_window_win32.h"

namespace {

// An empty dialog template: the dialog's class, frame, caption and font. Its
// controls are placed in pixels afterwards, so the client area has the exact
// size the forms were laid out for whatever the font's dialog units are.
std::vector<WORD> Template(const std::wstring& caption) {
  const DWORD style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  std::vector<WORD> words = {LOWORD(style), HIWORD(style), 0, 0,  // style, extended style
                             0,                                    // no controls
                             0, 0, 0, 0,                           // x, y, cx, cy
                             0, 0};                                // no menu, the dialog class
  words.insert(words.end(), caption.begin(), caption.end());
  words.push_back(0);
  words.push_back(8);  // point size
  const std::wstring face = L"Tahoma";
  words.insert(words.end(), face.begin(), face.end());
  words.push_back(0);
  return words;
}

void InitControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{static_cast<DWORD>(sizeof(INITCOMMONCONTROLSEX)), ICC_UPDOWN_CLASS};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace

Win32ModalDialog::Win32ModalDialog(HWND owner, const std::string& caption, int clientWidth,
                                   int clientHeight, TPlacement placement)
    : owner_(owner), placement_(placement) {
  InitControls();
  const std::vector<WORD> dialogTemplate = Template(wide::FromUtf8(caption));
  dialog_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                       reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                       owner, &Procedure, reinterpret_cast<LPARAM>(this));
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE)));
  SetWindowPos(dialog_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  OnCloseQuery = [this] { Close(mrCancel); };
}

Win32ModalDialog::~Win32ModalDialog() {
  if (!dialog_) return;
  // Controls that lose the focus while they go must not reach a view that is going too.
  SetWindowLongPtrW(dialog_, DWLP_USER, 0);
  DestroyWindow(dialog_);
}

HWND Win32ModalDialog::Put(const wchar_t* windowClass, const std::string& text, DWORD style, int left,
                           int top, int width, int height, DWORD exStyle, int id) {
  if (id == 0) id = nextId_++;
  HWND control = CreateWindowExW(exStyle, windowClass, wide::FromUtf8(text).c_str(),
                                 WS_CHILD | WS_VISIBLE | style, left, top, width, height, dialog_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog_, WM_GETFONT, 0, 0), FALSE);
  return control;
}

HWND Win32ModalDialog::Label(const std::string& text, int left, int top, int width) {
  HWND label = Put(L"Static", text, SS_LEFT | SS_NOPREFIX, left, top, width > 0 ? width : 1, 13);
  if (width <= 0) {
    // As wide as its text.
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring wideText = wide::FromUtf8(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wideText.c_str(), static_cast<int>(wideText.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, size.cx + 2, 13, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return label;
}

HWND Win32ModalDialog::Button(const std::string& caption, int left, int top, int width, int height,
                              std::function<void()> onClick, int id) {
  const DWORD kind = id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  HWND button = Put(L"Button", caption, kind, left, top, width, height, 0, id);
  OnCommand(button, BN_CLICKED, std::move(onClick));
  return button;
}

HWND Win32ModalDialog::List(const std::vector<std::string>& items, int left, int top, int width) {
  // The height includes the dropped-down part.
  HWND list = Put(L"ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, left, top, width, 120);
  int widest = 0;
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  for (const std::string& item : items) {
    const std::wstring text = wide::FromUtf8(item);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    widest = std::max<int>(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  // Items longer than the list is wide are shown whole once it drops down.
  SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::max(width, widest + 12)), 0);
  return list;
}

HWND Win32ModalDialog::Edit(int left, int top, int width) {
  return Put(L"Edit", "", ES_AUTOHSCROLL | WS_TABSTOP, left, top, width, 21, WS_EX_CLIENTEDGE);
}

HWND Win32ModalDialog::Bevel(int left, int top, int width, int height) {
  return Put(L"Static", "", SS_ETCHEDFRAME, left, top, width, height);
}

HWND Win32ModalDialog::SpinEdit(int left, int top, int width, int low, int high) {
  HWND edit = Put(L"Edit", "", ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP, left, top, width, 21,
                  WS_EX_CLIENTEDGE);
  // The arrows sit inside the edit's place, at its right.
  HWND arrows = Put(UPDOWN_CLASSW, "",
                    UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK,
                    0, 0, 0, 0);
  SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  return edit;
}

void Win32ModalDialog::OnCommand(HWND control, WORD code, std::function<void()> handler) {
  handlers_[{GetDlgCtrlID(control), code}] = std::move(handler);
}

TModalResult Win32ModalDialog::ShowModal(const std::function<void()>& onShow, HWND focus) {
  result_ = mrNone;
  // Filled before it is shown, so no one sees it empty.
  onShow();
  if (result_ != mrNone) return result_;
  if (placement_ == kOwnerCentre) CentreWindowOnOwner(dialog_, owner_);
  else CentreWindowOnScreen(dialog_);
  HWND owner = GetWindow(dialog_, GW_OWNER);
  const bool ownerEnabled = owner && IsWindowEnabled(owner);
  if (ownerEnabled) EnableWindow(owner, FALSE);
  ShowWindow(dialog_, SW_SHOW);
  SetForegroundWindow(dialog_);
  if (focus) SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  MSG message{};
  while (result_ == mrNone) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The application is ending: leave the request to its own loop.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      result_ = mrCancel;
      break;
    }
    if (!IsDialogMessageW(dialog_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // The owner first, so that it is the window activated when the dialog goes.
  if (ownerEnabled) EnableWindow(owner, TRUE);
  ShowWindow(dialog_, SW_HIDE);
  return result_;
}

INT_PTR CALLBACK Win32ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  auto* self = reinterpret_cast<Win32ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;
  switch (message) {
    case WM_COMMAND: {
      const auto found = self->handlers_.find({LOWORD(wParam), HIWORD(wParam)});
      if (found == self->handlers_.end()) return FALSE;
      HWND control = GetDlgItem(dialog, LOWORD(wParam));
      if (control && !IsWindowEnabled(control)) return TRUE;
      // A copy: the handler may close the dialog, and nothing else runs after it.
      const std::function<void()> handler = found->second;
      handler();
      return TRUE;
    }
    case WM_CLOSE:
      self->OnCloseQuery();
      return TRUE;
    default:
      return FALSE;
  }
}

std::string ControlText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return wide::ToUtf8(text);
}

void SetControlText(HWND window, const std::string& text) {
  SetWindowTextW(window, wide::FromUtf8(text).c_str());
}

void SetEnabled(std::initializer_list<HWND> controls, bool enabled) {
  for (HWND control : controls) EnableWindow(control, enabled);
}
