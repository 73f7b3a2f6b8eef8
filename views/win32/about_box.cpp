#include "views/win32/about_box.h"

#include <commctrl.h>

#include "forms/about_form.h"
#include "util/wide.h"
#include "views/win32/browser_frame.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TfrmLodestackAbout";
constexpr int kClientWidth = 295;
constexpr int kClientHeight = 194;
constexpr int kMailId = 10;
constexpr int kSiteId = 11;
constexpr int kLabelTops[3] = {20, 66, 86};
constexpr int kIconTop = 14;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);
constexpr COLORREF kPressedColour = RGB(255, 0, 0);

class Win32AboutBox : public AboutView {
 public:
  Win32AboutBox(HWND owner, HICON icon) : owner_(owner) {
    Register();
    RECT frame{0, 0, kClientWidth, kClientHeight};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    window_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kWindowClass, L"About", style,
                              (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                              (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner,
                              nullptr, GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    titleFont_ = CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    linkFont_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    Child(L"STATIC", SS_WHITERECT, 7, 7, 282, 147, 0);
    Child(L"STATIC", SS_ETCHEDFRAME, 7, 7, 282, 147, 0);
    icon_ = Child(L"STATIC", SS_ICON, 0, kIconTop, 32, 32, 0);
    SendMessageW(icon_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    for (int i = 0; i < 3; ++i) labels_[i] = Child(L"STATIC", SS_LEFT, 0, kLabelTops[i], 10, 16, 0);
    SendMessageW(labels_[0], WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
    ok_ = Child(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, (kClientWidth - 75) / 2, 162, 75, 25, IDOK);
    SetWindowTextW(ok_, L"OK");
  }

  ~Win32AboutBox() override {
    DestroyWindow(window_);
    DeleteObject(titleFont_);
    DeleteObject(linkFont_);
  }

  // Modal: the owner takes no input until the dialog is closed.
  void Run() {
    EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(ok_);
    MSG message;
    while (!done_) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got <= 0) {
        if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      if (IsDialogMessageW(window_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
  }

  TfrmLodestackAbout* form = nullptr;

  int ClientWidth() const override { return kClientWidth; }
  void SetLabel(TAboutLabel label, const std::string& text) override {
    SetWindowTextW(labels_[static_cast<int>(label)], wide::FromUtf8(text).c_str());
  }
  int LabelWidth(TAboutLabel label) const override {
    return TextWidth(labels_[static_cast<int>(label)]);
  }
  void MoveLabel(TAboutLabel label, int left) override {
    HWND widget = labels_[static_cast<int>(label)];
    SetWindowPos(widget, nullptr, left, kLabelTops[static_cast<int>(label)], TextWidth(widget),
                 TextHeight(widget), SWP_NOZORDER);
  }
  int IconWidth() const override { return 32; }
  void MoveIcon(int left) override {
    SetWindowPos(icon_, nullptr, left, kIconTop, 32, 32, SWP_NOZORDER | SWP_NOSIZE);
  }
  void SetLinks(const std::string& mail, const std::string& website) override {
    Link(112, L"Our Mail:", mail, kMailId);
    Link(130, L"Our Site:", website, kSiteId);
  }

 private:
  static void Register() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    registered = RegisterClassW(&windowClass) != 0;
  }

  HWND Child(const wchar_t* windowClass, DWORD style, int left, int top, int width, int height, int id) {
    HWND child = CreateWindowExW(0, windowClass, L"", WS_CHILD | WS_VISIBLE | style, left, top, width,
                                 height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(BrowserFont()), FALSE);
    return child;
  }

  void Link(int top, const wchar_t* caption, const std::string& text, int id) {
    HWND label = Child(L"STATIC", SS_LEFT, 30, top, 55, 14, 0);
    SetWindowTextW(label, caption);
    HWND link = Child(L"STATIC", SS_LEFT | SS_NOTIFY, 90, top, 10, 14, id);
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), FALSE);
    SetWindowTextW(link, wide::FromUtf8(text).c_str());
    SetWindowPos(link, nullptr, 0, 0, TextWidth(link), TextHeight(link), SWP_NOZORDER | SWP_NOMOVE);
    SetWindowSubclass(link, LinkProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }

  static SIZE TextSize(HWND widget) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(widget)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(widget, text.data(), static_cast<int>(text.size()))));
    HDC dc = GetDC(widget);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(widget, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(widget, dc);
    return size;
  }
  static int TextWidth(HWND widget) { return TextSize(widget).cx; }
  static int TextHeight(HWND widget) { return TextSize(widget).cy; }

  // A pressed link is red until the button is released; links show the hand.
  static LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR self) {
    auto* box = reinterpret_cast<Win32AboutBox*>(self);
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      case WM_LBUTTONDOWN:
        box->pressed_ = link;
        InvalidateRect(link, nullptr, TRUE);
        break;
      case WM_LBUTTONUP:
        box->pressed_ = nullptr;
        InvalidateRect(link, nullptr, TRUE);
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(link, LinkProc, 0);
        break;
      default:
        break;
    }
    return DefSubclassProc(link, message, wParam, lParam);
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<Win32AboutBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (box) {
      switch (message) {
        case WM_CTLCOLORSTATIC: {
          HWND control = reinterpret_cast<HWND>(lParam);
          const int id = GetDlgCtrlID(control);
          HDC dc = reinterpret_cast<HDC>(wParam);
          SetBkMode(dc, TRANSPARENT);
          if (id == kMailId || id == kSiteId)
            SetTextColor(dc, control == box->pressed_ ? kPressedColour : kLinkColour);
          return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_COMMAND:
          if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            box->done_ = true;
          } else if (box->form && HIWORD(wParam) == STN_CLICKED) {
            if (LOWORD(wParam) == kMailId) box->form->lblEmailAddrClick();
            if (LOWORD(wParam) == kSiteId) box->form->lblWebsiteAddrClick();
          }
          return 0;
        case WM_CLOSE:
          box->done_ = true;
          return 0;
        default:
          break;
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  HWND owner_;
  HWND window_ = nullptr;
  HWND icon_ = nullptr;
  HWND labels_[3] = {};
  HWND ok_ = nullptr;
  HWND pressed_ = nullptr;
  HFONT titleFont_ = nullptr;
  HFONT linkFont_ = nullptr;
  bool done_ = false;
};

}  // namespace

void ShowWin32About(HWND owner, HICON icon, const std::string& title, const std::string& version,
                    const std::string& year) {
  Win32AboutBox box(owner, icon);
  TfrmLodestackAbout form(box);
  box.form = &form;
  form.FTitle = title;
  form.FVersion = version;
  form.FYear = year;
  form.FormShow();
  box.Run();
}
