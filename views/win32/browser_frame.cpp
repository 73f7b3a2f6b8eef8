#include "views/win32/browser_frame.h"

#include <commctrl.h>

#include <algorithm>

#include "util/wide.h"
#include "views/win32/browser_keys_win32.h"
#include "views/win32/toolbar_images.h"

namespace {

constexpr const char* kCaptions[kToolButtonCount] = {"Back", "Forward", "Refresh", "Stop",
                                                     "Home", "Favorites", "Rebrand"};
constexpr int kFirstButtonId = 100;
constexpr int kSeparatorId = 99;
constexpr int kGoId = 200;
constexpr int kAddressId = 300;
constexpr int kButtonSize = 52;
constexpr int kSeparatorWidth = 8;
constexpr int kGoWidth = 51;
constexpr int kGoHeight = 26;
constexpr int kStatusBarHeight = 21;
constexpr int kProgressPanelWidth = 200;
constexpr int kAddressDropDownCount = 8;
constexpr UINT_PTR kNoteTimer = 0x5A1;
constexpr UINT kNoteMilliseconds = 1500;
constexpr wchar_t kPanelClass[] = L"LodestackToolbarPanel";
constexpr wchar_t kFrameProperty[] = L"LodestackBrowserFrame";

// The tool bar's carrier: what its controls report goes to the browser
// window, whose frame serves it.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY)
    return SendMessageW(GetAncestor(panel, GA_ROOT), message, wParam, lParam);
  return DefWindowProcW(panel, message, wParam, lParam);
}

void RegisterPanelClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW panelClass{};
  panelClass.lpfnWndProc = PanelProc;
  panelClass.hInstance = GetModuleHandleW(nullptr);
  panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  panelClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panelClass.lpszClassName = kPanelClass;
  registered = RegisterClassW(&panelClass) != 0;
}

HWND Child(const wchar_t* windowClass, DWORD style, HWND parent, int id, int width = 0,
           int height = 0) {
  HWND child = CreateWindowExW(0, windowClass, nullptr, WS_CHILD | style, 0, 0, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(BrowserFont()), FALSE);
  return child;
}

int Height(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

HFONT BrowserFont() {
  static HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
  return font;
}

BrowserFrame::BrowserFrame(HWND window, int lastPanelWidth)
    : window_(window), lastPanelWidth_(lastPanelWidth) {
  SetPropW(window_, kFrameProperty, this);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(BrowserFont()), FALSE);
  MakeTopBar();
  engine_ = std::make_unique<WebBrowserHost>(window_);
  MakeStatusBar();
  Layout();
}

BrowserFrame::~BrowserFrame() {
  form_ = nullptr;
  if (addressEdit_) RemoveWindowSubclass(addressEdit_, AddressEditProc, 0);
  engine_.reset();
  RemovePropW(window_, kFrameProperty);
  DestroyWindow(window_);
  // The controls do not own their image lists.
  for (HIMAGELIST images : images_) ImageList_Destroy(images);
}

void BrowserFrame::MakeTopBar() {
  RegisterPanelClass();
  rebar_ = Child(REBARCLASSNAMEW, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                      CCS_NODIVIDER | CCS_TOP,
                 window_, 0);
  REBARINFO rebarInfo{};
  rebarInfo.cbSize = sizeof rebarInfo;
  SendMessageW(rebar_, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&rebarInfo));
  panel_ = Child(kPanelClass, WS_VISIBLE | WS_CLIPCHILDREN, rebar_, 0);

  toolbar_ = Child(TOOLBARCLASSNAMEW,
                   WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                       CCS_NOPARENTALIGN,
                   panel_, 0);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  images_[0] = CreateToolbarImages();
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_[0]));
  static std::wstring captions[kToolButtonCount];
  std::vector<TBBUTTON> buttons;
  for (int i = 0; i < kToolButtonCount; ++i) {
    captions[i] = wide::FromUtf8(kCaptions[i]);
    TBBUTTON button{};
    button.iBitmap = i;
    button.idCommand = kFirstButtonId + i;
    button.fsState = TBSTATE_ENABLED;
    // The drop-down button grows by its arrow, so its caption still fits.
    button.fsStyle = static_cast<BYTE>(static_cast<TToolButton>(i) == TToolButton::kFavorites
                                           ? BTNS_DROPDOWN | BTNS_AUTOSIZE
                                           : BTNS_BUTTON);
    button.iString = reinterpret_cast<INT_PTR>(captions[i].c_str());
    buttons.push_back(button);
    if (static_cast<TToolButton>(i) == TToolButton::kHome) {
      TBBUTTON separator{};
      separator.iBitmap = kSeparatorWidth;
      separator.idCommand = kSeparatorId;
      separator.fsStyle = BTNS_SEP;
      buttons.push_back(separator);
    }
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kButtonSize, kButtonSize));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);

  address_ = Child(WC_COMBOBOXEXW, WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, panel_,
                   kAddressId, 300, 24 + kAddressDropDownCount * 18);
  images_[1] = CreateAddressImages();
  SendMessageW(address_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_[1]));
  addressEdit_ = reinterpret_cast<HWND>(SendMessageW(address_, CBEM_GETEDITCONTROL, 0, 0));
  if (addressEdit_) {
    SendMessageW(addressEdit_, WM_SETFONT, reinterpret_cast<WPARAM>(BrowserFont()), FALSE);
    SetWindowSubclass(addressEdit_, AddressEditProc, 0, reinterpret_cast<DWORD_PTR>(this));
  }

  go_ = Child(TOOLBARCLASSNAMEW,
              WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER | CCS_NORESIZE |
                  CCS_NOPARENTALIGN,
              panel_, 0, kGoWidth, kGoHeight);
  SendMessageW(go_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  images_[2] = CreateGoImages();
  SendMessageW(go_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_[2]));
  static const wchar_t kGo[] = L"Go";
  TBBUTTON goButton{};
  goButton.iBitmap = 0;
  goButton.idCommand = kGoId;
  goButton.fsState = TBSTATE_ENABLED;
  goButton.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
  goButton.iString = reinterpret_cast<INT_PTR>(kGo);
  SendMessageW(go_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&goButton));
  SendMessageW(go_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kGoWidth, kGoHeight));
  SetWindowPos(go_, nullptr, 0, 0, kGoWidth, kGoHeight, SWP_NOMOVE | SWP_NOZORDER);

  // One fixed band without gripper, as tall as the tool bar.
  REBARBANDINFOW band{};
  band.cbSize = sizeof band;
  band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
  band.fStyle = RBBS_FIXEDSIZE | RBBS_NOGRIPPER;
  band.hwndChild = panel_;
  band.cyMinChild = static_cast<UINT>(ToolbarHeight());
  band.cyChild = band.cyMinChild;
  band.cx = 600;
  SendMessageW(rebar_, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void BrowserFrame::MakeStatusBar() {
  statusBar_ = Child(STATUSCLASSNAMEW, WS_VISIBLE | SBARS_SIZEGRIP, window_, 0);
  SendMessageW(statusBar_, SB_SETMINHEIGHT, kStatusBarHeight, 0);
  progress_ = Child(PROGRESS_CLASSW, PBS_SMOOTH, statusBar_, 0);
}

// The tool bar's height is its buttons'; its width ends at the last button shown.
int BrowserFrame::ToolbarHeight() const {
  return HIWORD(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
}

int BrowserFrame::TopBarHeight() const { return Height(rebar_); }

int BrowserFrame::StatusBarHeight() const { return Height(statusBar_); }

void BrowserFrame::Layout() {
  RECT client{};
  GetClientRect(window_, &client);
  int top = 0;
  if (toolbarVisible_) {
    int toolbarWidth = 0;
    const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      RECT item{};
      if (SendMessageW(toolbar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
        toolbarWidth = std::max<int>(toolbarWidth, item.right);
    }
    const int toolbarHeight = ToolbarHeight();
    REBARBANDINFOW band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.cyMinChild = static_cast<UINT>(toolbarHeight);
    band.cyChild = band.cyMinChild;
    band.cx = static_cast<UINT>(client.right);
    SendMessageW(rebar_, RB_SETBANDINFOW, 0, reinterpret_cast<LPARAM>(&band));
    SendMessageW(rebar_, WM_SIZE, 0, 0);
    top = Height(rebar_);

    RECT panel{};
    GetClientRect(panel_, &panel);
    MoveWindow(toolbar_, 0, 0, toolbarWidth, toolbarHeight, TRUE);
    const int goLeft = panel.right - kGoWidth - 4;
    MoveWindow(go_, goLeft, (panel.bottom - kGoHeight) / 2, kGoWidth, kGoHeight, TRUE);
    // A combo box's window is as tall as its closed field; its list drops below.
    HWND combo = reinterpret_cast<HWND>(SendMessageW(address_, CBEM_GETCOMBOCONTROL, 0, 0));
    const int addressHeight = combo ? Height(combo) : 22;
    const int addressLeft = toolbarWidth + 8;
    MoveWindow(address_, addressLeft, (panel.bottom - addressHeight) / 2,
               std::max(0, goLeft - addressLeft - 4), addressHeight + kAddressDropDownCount * 18, TRUE);
  }
  int bottom = client.bottom;
  if (statusBarVisible_) {
    SendMessageW(statusBar_, WM_SIZE, 0, 0);
    bottom -= Height(statusBar_);
    RECT status{};
    GetClientRect(statusBar_, &status);
    const int parts[3] = {std::max(0, static_cast<int>(status.right) - kProgressPanelWidth - lastPanelWidth_),
                          std::max(0, static_cast<int>(status.right) - lastPanelWidth_), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    RECT panel{};
    if (SendMessageW(statusBar_, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&panel)))
      MoveWindow(progress_, panel.left, panel.top, panel.right - panel.left, panel.bottom - panel.top,
                 TRUE);
  }
  engine_->Resize({0, top, client.right, std::max<LONG>(top, bottom)});
  RedrawWindow(rebar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool BrowserFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Layout();
      return false;
    case WM_TIMER:
      if (wParam != kNoteTimer) return false;
      KillTimer(window_, kNoteTimer);
      noteShown_ = false;
      SetStatusText(status_);
      result = 0;
      return true;
    case WM_COMMAND:
      if (lParam == 0) return false;  // menus are the window's
      Command(LOWORD(wParam), HIWORD(wParam));
      result = 0;
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == toolbar_ && header->code == TBN_DROPDOWN) {
        RECT button{};
        SendMessageW(toolbar_, TB_GETRECT, reinterpret_cast<const NMTOOLBARW*>(lParam)->iItem,
                     reinterpret_cast<LPARAM>(&button));
        POINT below{button.left, button.bottom};
        ClientToScreen(toolbar_, &below);
        if (onFavoritesMenu) onFavoritesMenu(below);
        result = TBDDRET_DEFAULT;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

void BrowserFrame::Command(int id, int code) {
  if (!form_) return;
  if (id == kGoId) {
    form_->btnGoClick();
  } else if (id == kAddressId) {
    if (updatingAddress_) return;
    if (code == CBN_SELENDOK) {
      // The picked entry's text goes into the box before the form reads it.
      const int index = static_cast<int>(SendMessageW(address_, CB_GETCURSEL, 0, 0));
      if (index < 0) return;
      wchar_t text[2048] = {};
      COMBOBOXEXITEMW item{};
      item.mask = CBEIF_TEXT;
      item.iItem = index;
      item.pszText = text;
      item.cchTextMax = static_cast<int>(std::size(text));
      SendMessageW(address_, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      SetAddressText(wide::ToUtf8(text));
      form_->cboAddressClick(index);
    } else if (code == CBN_EDITCHANGE) {
      form_->cboAddressChange(AddressText());
    }
  } else if (id >= kFirstButtonId && id < kFirstButtonId + kToolButtonCount) {
    switch (static_cast<TToolButton>(id - kFirstButtonId)) {
      case TToolButton::kBack: form_->btnBackClick(); break;
      case TToolButton::kForward: form_->btnForwardClick(); break;
      case TToolButton::kRefresh: form_->btnRefreshClick(); break;
      case TToolButton::kStop: form_->btnStopClick(); break;
      case TToolButton::kHome: form_->btnHomeClick(); break;
      case TToolButton::kFavorites:
        if (onFavorites) onFavorites();
        break;
      case TToolButton::kRebrand:
        if (onBrand) onBrand();
        break;
    }
  }
}

// The address box's keys go to the form first; a key it takes goes no further.
LRESULT CALLBACK BrowserFrame::AddressEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR, DWORD_PTR self) {
  auto* frame = reinterpret_cast<BrowserFrame*>(self);
  if (frame->form_ && message == WM_KEYDOWN && wParam != VK_F5 &&
      frame->form_->cboAddressKeyDown(static_cast<int>(wParam)))
    return 0;
  // The Return that navigated must not reach the box as a character (it beeps).
  if (message == WM_CHAR && wParam == VK_RETURN) return 0;
  return DefSubclassProc(edit, message, wParam, lParam);
}

namespace {

// The page of a browser window, found again by its window after a dispatch
// that may have closed it.
class FramePage final : public PageKeys {
 public:
  FramePage(HWND root, WebBrowserHost& engine) : root_(root), engine_(engine) {}
  bool HasFocus(const MSG& message) const override { return engine_.HasFocus(message.hwnd); }
  TAnswer DispatchToPage(MSG& message) override {
    void* frame = GetPropW(root_, kFrameProperty);
    const bool prevented = engine_.DispatchToPage(message);
    if (!IsWindow(root_) || GetPropW(root_, kFrameProperty) != frame) return TAnswer::kWindowGone;
    return prevented ? TAnswer::kPrevented : TAnswer::kNotPrevented;
  }
  bool ToControl(MSG& message) override { return engine_.ForwardKey(message); }

 private:
  HWND root_;
  WebBrowserHost& engine_;
};

}  // namespace

bool BrowserFrame::PreviewMessage(MSG& message) {
  if ((message.message != WM_KEYDOWN && message.message != WM_MOUSEWHEEL) || !message.hwnd) return false;
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  auto* frame = static_cast<BrowserFrame*>(GetPropW(root, kFrameProperty));
  if (!frame || !frame->form_) return false;
  FramePage page(root, *frame->engine_);
  return RouteBrowserKey(*frame->form_, message, HeldModifiers(), page);
}

void BrowserFrame::SetCaption(const std::string& caption) {
  SetWindowTextW(window_, wide::FromUtf8(caption).c_str());
}

std::string BrowserFrame::AddressText() const {
  return addressEdit_ ? wide::ToUtf8(WindowText(addressEdit_)) : "";
}

void BrowserFrame::SetAddressText(const std::string& text) {
  updatingAddress_ = true;
  if (addressEdit_) SetWindowTextW(addressEdit_, wide::FromUtf8(text).c_str());
  updatingAddress_ = false;
}

// Every entry shows the address box's page image.
void BrowserFrame::SetAddressList(const std::vector<std::string>& items, int selected) {
  const std::string text = AddressText();
  updatingAddress_ = true;
  while (SendMessageW(address_, CB_GETCOUNT, 0, 0) > 0) SendMessageW(address_, CBEM_DELETEITEM, 0, 0);
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::wstring entry = wide::FromUtf8(items[i]);
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = static_cast<INT_PTR>(i);
    item.pszText = entry.data();
    item.iImage = 0;
    item.iSelectedImage = 0;
    SendMessageW(address_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  updatingAddress_ = false;
  if (selected >= 0 && selected < static_cast<int>(items.size())) {
    updatingAddress_ = true;
    SendMessageW(address_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    updatingAddress_ = false;
    SetAddressText(items[static_cast<std::size_t>(selected)]);
  } else {
    SetAddressText(text);
  }
}

void BrowserFrame::SetStatusText(const std::string& text) {
  status_ = text;
  if (!noteShown_)
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide::FromUtf8(text).c_str()));
}

void BrowserFrame::ShowStatusNote(const std::string& text) {
  noteShown_ = true;
  SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide::FromUtf8(text).c_str()));
  SetTimer(window_, kNoteTimer, kNoteMilliseconds, nullptr);
}

// The second panel's bevel is lowered while no progress shows over it.
void BrowserFrame::SetProgress(bool visible, int position, int maximum) {
  SendMessageW(statusBar_, SB_SETTEXTW, 1 | (visible ? SBT_NOBORDERS : 0),
               reinterpret_cast<LPARAM>(L""));
  ShowWindow(progress_, visible ? SW_SHOWNA : SW_HIDE);
  SendMessageW(progress_, PBM_SETRANGE32, 0, std::max(0, maximum));
  SendMessageW(progress_, PBM_SETSTEP, 1, 0);
  SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(std::max(0, position)), 0);
}

void BrowserFrame::SetButtonEnabled(TToolButton button, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kFirstButtonId + static_cast<int>(button), MAKELPARAM(enabled, 0));
}

// The separator after Home goes with the buttons after it.
void BrowserFrame::SetButtonVisible(TToolButton button, bool visible) {
  SendMessageW(toolbar_, TB_HIDEBUTTON, kFirstButtonId + static_cast<int>(button), MAKELPARAM(!visible, 0));
  bool later = false;
  for (int i = kNavigationButtons; i < kToolButtonCount; ++i)
    later = later || !SendMessageW(toolbar_, TB_ISBUTTONHIDDEN, kFirstButtonId + i, 0);
  SendMessageW(toolbar_, TB_HIDEBUTTON, kSeparatorId, MAKELPARAM(!later, 0));
  Layout();
}

void BrowserFrame::SetToolbarVisible(bool visible) {
  toolbarVisible_ = visible;
  ShowWindow(rebar_, visible ? SW_SHOW : SW_HIDE);
  Layout();
}

void BrowserFrame::SetStatusBarVisible(bool visible) {
  statusBarVisible_ = visible;
  ShowWindow(statusBar_, visible ? SW_SHOW : SW_HIDE);
  Layout();
}
