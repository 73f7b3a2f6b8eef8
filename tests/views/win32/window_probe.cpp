// Looks at the launcher's windows from outside, as another program on the
// desktop sees them, and prints what it finds as key=value lines:
//   window_probe main      the main window: placement, tool bar, address box, status bar
//   window_probe tray      the notification area and the icon's window
//   window_probe menu      right-clicks the icon (its callback message) and
//                          reports the menu that opens
//   window_probe click     left-clicks the icon
//   window_probe taskbarcreated  tells the icon's window the taskbar restarted
//   window_probe favorites drops the Favorites button's menu down
//   window_probe messagebox [answer]  the open message box's text; Return to answer it
//   window_probe send minimize|close|queryendsession|devicechange
//                          what the system sends the main window
//   window_probe key <vk>...  presses keys in the open menu
//   window_probe about     the About dialog's caption, labels and button
//   window_probe close-about  presses Return in it
//   window_probe dialog <caption>  a dialog's client size and its controls,
//                          one line each: index|class|text|enabled|checked
//   window_probe set <caption> <index> <text>  sets a control's text
//   window_probe press <caption> <text>  presses the button (or toggles the
//                          check box) of that text, ampersands left out
//   window_probe toolbar <id>  clicks a button of the main window's tool bar
// Controls are found by class (EnumChildWindows); texts that only travel by
// pointer are read through memory lent in the launcher's process.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return "";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      nullptr);
  return text;
}

// The visible top-level windows of a class.
std::vector<HWND> TopLevel(const std::wstring& windowClass, bool visibleOnly) {
  struct Search {
    std::wstring windowClass;
    bool visibleOnly;
    std::vector<HWND> found;
  } search{windowClass, visibleOnly, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ClassOf(window) == s->windowClass && (!s->visibleOnly || IsWindowVisible(window)))
          s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND parent, const std::wstring& windowClass) {
  struct Search {
    std::wstring windowClass;
    std::vector<HWND> found;
  } search{windowClass, {}};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ClassOf(window) == s->windowClass) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Memory in the window's process, for messages that fill a buffer.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  bool Read(void* into) const {
    return address_ && ReadProcessMemory(process_, address_, into, size_, nullptr);
  }

 private:
  std::size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

std::string ButtonText(HWND toolbar, int id) {
  RemoteBuffer buffer(toolbar, 256 * sizeof(wchar_t));
  wchar_t text[256] = {};
  if (SendMessageW(toolbar, TB_GETBUTTONTEXTW, id, buffer.Address()) < 0 || !buffer.Read(text)) return "?";
  text[255] = L'\0';
  return Utf8(text);
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// The first shown top-level window of the class, once the count of them is
// printed under `key`.
HWND FirstShown(const std::wstring& windowClass, const char* key) {
  const std::vector<HWND> windows = TopLevel(windowClass, true);
  std::printf("%s=%zu\n", key, windows.size());
  return windows.empty() ? nullptr : windows.front();
}

void PrintRect(const char* key, RECT rect) {
  std::printf("%s=%ld,%ld,%ld,%ld\n", key, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
}

// The main window and its controls.
int Main() {
  HWND main = FirstShown(L"TfrmMain", "found");
  if (!main) return 1;
  std::printf("caption=%s\n", Utf8(TextOf(main)).c_str());
  std::printf("maximized=%d\n", IsZoomed(main) ? 1 : 0);
  PrintRect("window", ScreenRect(main));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  PrintRect("workarea", work);
  RECT client{};
  GetClientRect(main, &client);
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);

  for (HWND rebar : Children(main, REBARCLASSNAMEW)) {
    std::printf("rebar.visible=%d\n", IsWindowVisible(rebar) ? 1 : 0);
    PrintRect("rebar", ScreenRect(rebar));
  }
  for (HWND toolbar : Children(main, TOOLBARCLASSNAMEW)) {
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    if (count == 1) {
      std::printf("go.text=%s\n", ButtonText(toolbar, 200).c_str());
      PrintRect("go", ScreenRect(toolbar));
      continue;
    }
    std::printf("toolbar.count=%d\n", count);
    PrintRect("toolbar", ScreenRect(toolbar));
    const LRESULT size = SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0);
    std::printf("toolbar.buttonsize=%dx%d\n", LOWORD(size), HIWORD(size));
    for (int id = 100; id < 107; ++id) {
      const LRESULT state = SendMessageW(toolbar, TB_GETSTATE, id, 0);
      std::printf("button.%d=%s|%s|%s\n", id - 100, ButtonText(toolbar, id).c_str(),
                  (state & TBSTATE_ENABLED) ? "enabled" : "disabled",
                  (state & TBSTATE_HIDDEN) ? "hidden" : "shown");
    }
  }
  for (HWND address : Children(main, WC_COMBOBOXEXW)) {
    PrintRect("address", ScreenRect(address));
    for (HWND edit : Children(address, L"Edit")) std::printf("address.text=%s\n", Utf8(TextOf(edit)).c_str());
  }
  for (HWND status : Children(main, STATUSCLASSNAMEW)) {
    std::printf("statusbar.visible=%d\n", IsWindowVisible(status) ? 1 : 0);
    PrintRect("statusbar", ScreenRect(status));
    const int parts = static_cast<int>(SendMessageW(status, SB_GETPARTS, 0, 0));
    std::printf("statusbar.parts=%d\n", parts);
    for (HWND progress : Children(status, PROGRESS_CLASSW))
      std::printf("progress.visible=%d\n", IsWindowVisible(progress) ? 1 : 0);
  }
  return 0;
}

HWND IconWindow() {
  const std::vector<HWND> windows = TopLevel(L"TTrayIconMan", false);
  return windows.empty() ? nullptr : windows.front();
}

int Tray() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  DWORD shell = 0;
  if (taskbar) GetWindowThreadProcessId(taskbar, &shell);
  std::printf("taskbar=%d\ntaskbar.pid=%lu\n", taskbar ? 1 : 0, shell);
  if (taskbar) {
    std::printf("taskbar.visible=%d\n", IsWindowVisible(taskbar) ? 1 : 0);
    PrintRect("taskbar", ScreenRect(taskbar));
  }
  std::printf("iconwindow=%d\n", IconWindow() ? 1 : 0);
  return IconWindow() ? 0 : 1;
}

// The open menu: Windows shows a pop-up menu as a window of class #32768.
HWND OpenMenu() {
  const std::vector<HWND> menus = TopLevel(L"#32768", true);
  return menus.empty() ? nullptr : menus.front();
}

int Menu() {
  HWND icon = IconWindow();
  if (!icon) {
    std::printf("iconwindow=0\n");
    return 1;
  }
  // A menu still open from an earlier try that the busy window answered
  // late is reported as it is, not opened a second time.
  HWND menu = OpenMenu();
  if (!menu) PostMessageW(icon, WM_USER + 1, 0, WM_RBUTTONUP);
  for (int i = 0; i < 100 && !menu; ++i) {
    Sleep(100);
    menu = OpenMenu();
  }
  std::printf("menu=%d\n", menu ? 1 : 0);
  if (!menu) return 1;
  PrintRect("menu.rect", ScreenRect(menu));
  return 0;
}

// A press on the Favorites button's arrow, which drops its menu down.
int Favorites() {
  const std::vector<HWND> windows = TopLevel(L"TfrmMain", true);
  if (windows.empty()) return 1;
  for (HWND toolbar : Children(windows.front(), TOOLBARCLASSNAMEW)) {
    if (SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0) == 1) continue;
    RemoteBuffer buffer(toolbar, sizeof(RECT));
    RECT button{};
    if (!SendMessageW(toolbar, TB_GETRECT, 105, buffer.Address()) || !buffer.Read(&button)) return 1;
    const LPARAM arrow = MAKELPARAM(button.right - 4, (button.top + button.bottom) / 2);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, arrow);
  }
  HWND menu = nullptr;
  for (int i = 0; i < 50 && !menu; ++i) {
    Sleep(100);
    menu = OpenMenu();
  }
  std::printf("menu=%d\n", menu ? 1 : 0);
  return menu ? 0 : 1;
}

// What the system sends the main window: minimise (the title bar's
// button), the end of the session, a medium removed.
int Send(const std::string& what) {
  const std::vector<HWND> windows = TopLevel(L"TfrmMain", true);
  if (windows.empty()) return 1;
  HWND main = windows.front();
  if (what == "minimize") PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (what == "close") PostMessageW(main, WM_CLOSE, 0, 0);
  // The devices changed (DBT_DEVNODES_CHANGED): a removal names its device
  // through a pointer, which cannot be posted to another process.
  if (what == "devicechange") PostMessageW(main, WM_DEVICECHANGE, 0x0007, 0);
  if (what == "queryendsession") {
    // Sent as the system sends it, and waited for as long as a busy
    // machine may need: a time-out would withdraw the message unanswered.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 30000, &answer);
    std::printf("answer=%lu\n", static_cast<unsigned long>(answer));
  }
  return 0;
}

// A message box (class #32770) of the launcher: its text, then (when asked
// to answer) Return.
int MessageBoxAnswer(bool answer) {
  HWND box = FirstShown(L"#32770", "messagebox");
  if (!box) return 1;
  for (HWND label : Children(box, L"Static")) {
    const std::string text = Utf8(TextOf(label));
    if (!text.empty()) std::printf("messagebox.text=%s\n", text.c_str());
  }
  if (answer) PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
  return 0;
}

// What the shell broadcasts when it (re)starts its taskbar.
int TaskbarCreated() {
  HWND icon = IconWindow();
  if (!icon) return 1;
  PostMessageW(icon, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  return 0;
}

// A left click on the icon (its callback message).
int Click() {
  HWND icon = IconWindow();
  if (!icon) return 1;
  PostMessageW(icon, WM_USER + 1, 0, WM_LBUTTONUP);
  return 0;
}

// Keys reach a menu through the message queue of the thread that tracks it.
int Keys(const std::vector<int>& keys) {
  HWND icon = IconWindow();
  if (!OpenMenu() || !icon) {
    std::printf("menu=0\n");
    return 1;
  }
  for (int key : keys) {
    PostMessageW(icon, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    PostMessageW(icon, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
    Sleep(100);
  }
  for (int i = 0; i < 50 && OpenMenu(); ++i) Sleep(100);
  std::printf("menu=%d\n", OpenMenu() ? 1 : 0);
  return 0;
}

// The About dialog: its caption, and each label with its place and width.
int About() {
  HWND box = FirstShown(L"TfrmLodestackAbout", "about");
  if (!box) return 1;
  std::printf("about.caption=%s\n", Utf8(TextOf(box)).c_str());
  RECT client{};
  GetClientRect(box, &client);
  std::printf("about.client=%ldx%ld\n", client.right, client.bottom);
  for (HWND label : Children(box, L"Static")) {
    const std::string text = Utf8(TextOf(label));
    if (text.empty()) continue;
    RECT rect = ScreenRect(label);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("label=%s|%ld|%ld\n", text.c_str(), rect.left, rect.right - rect.left);
  }
  for (HWND button : Children(box, L"Button")) std::printf("button=%s\n", Utf8(TextOf(button)).c_str());
  return 0;
}

// Return in the About dialog: its OK.
int CloseAbout() {
  const std::vector<HWND> boxes = TopLevel(L"TfrmLodestackAbout", true);
  if (boxes.empty()) return 1;
  PostMessageW(boxes.front(), WM_KEYDOWN, VK_RETURN, 1);
  for (int i = 0; i < 50 && !TopLevel(L"TfrmLodestackAbout", true).empty(); ++i) Sleep(100);
  std::printf("about=%zu\n", TopLevel(L"TfrmLodestackAbout", true).size());
  return 0;
}

// A dialog (class #32770) of the launcher found by its caption.
HWND DialogNamed(const std::string& caption) {
  for (HWND box : TopLevel(L"#32770", true))
    if (Utf8(TextOf(box)) == caption) return box;
  return nullptr;
}

std::vector<HWND> AllChildren(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string WithoutAmpersands(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  return out;
}

int Dialog(const std::string& caption) {
  HWND box = DialogNamed(caption);
  std::printf("dialog=%d\n", box ? 1 : 0);
  if (!box) return 1;
  RECT client{};
  GetClientRect(box, &client);
  std::printf("dialog.client=%ldx%ld\n", client.right, client.bottom);
  int index = 0;
  for (HWND control : AllChildren(box)) {
    const LRESULT checked = ClassOf(control) == L"Button" ? SendMessageW(control, BM_GETCHECK, 0, 0) : 0;
    std::printf("control=%d|%s|%s|%d|%d\n", index++, Utf8(ClassOf(control)).c_str(),
                Utf8(TextOf(control)).c_str(), IsWindowEnabled(control) ? 1 : 0, checked == BST_CHECKED ? 1 : 0);
  }
  return 0;
}

int Set(const std::string& caption, int index, const std::string& text) {
  HWND box = DialogNamed(caption);
  if (!box) return 1;
  const std::vector<HWND> controls = AllChildren(box);
  if (index < 0 || index >= static_cast<int>(controls.size())) return 1;
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  SendMessageTimeoutW(controls[static_cast<std::size_t>(index)], WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
  // What leaving the field tells the dialog.
  const int id = GetDlgCtrlID(controls[static_cast<std::size_t>(index)]);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(controls[static_cast<std::size_t>(index)]));
  return 0;
}

int Press(const std::string& caption, const std::string& text) {
  HWND box = DialogNamed(caption);
  std::printf("dialog=%d\n", box ? 1 : 0);
  if (!box) return 1;
  for (HWND button : Children(box, L"Button")) {
    if (WithoutAmpersands(Utf8(TextOf(button))) != text) continue;
    const LONG style = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) {
      const bool on = SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
      SendMessageW(button, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    std::printf("pressed=1\n");
    return 0;
  }
  std::printf("pressed=0\n");
  return 1;
}

int ToolbarButton(int id) {
  const std::vector<HWND> windows = TopLevel(L"TfrmMain", true);
  if (windows.empty()) return 1;
  for (HWND toolbar : Children(windows.front(), TOOLBARCLASSNAMEW)) {
    if (SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0) == 1) continue;
    RemoteBuffer buffer(toolbar, sizeof(RECT));
    RECT button{};
    if (!SendMessageW(toolbar, TB_GETRECT, static_cast<WPARAM>(id), buffer.Address()) || !buffer.Read(&button))
      return 1;
    const LPARAM middle = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, middle);
    std::printf("clicked=1\n");
    return 0;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "main") return Main();
  if (command == "tray") return Tray();
  if (command == "menu") return Menu();
  if (command == "click") return Click();
  if (command == "taskbarcreated") return TaskbarCreated();
  if (command == "messagebox") return MessageBoxAnswer(argc > 2 && std::string(argv[2]) == "answer");
  if (command == "favorites") return Favorites();
  if (command == "send" && argc > 2) return Send(argv[2]);
  if (command == "about") return About();
  if (command == "close-about") return CloseAbout();
  if (command == "dialog" && argc > 2) return Dialog(argv[2]);
  if (command == "set" && argc > 4) return Set(argv[2], std::atoi(argv[3]), argv[4]);
  if (command == "press" && argc > 3) return Press(argv[2], argv[3]);
  if (command == "toolbar" && argc > 2) return ToolbarButton(std::atoi(argv[2]));
  if (command == "key" && argc > 2) {
    std::vector<int> keys;
    for (int i = 2; i < argc; ++i) keys.push_back(std::atoi(argv[i]));
    return Keys(keys);
  }
  std::fprintf(stderr, "usage: window_probe main|tray|menu|click|taskbarcreated|favorites|messagebox [answer]|send <message>|key <virtual key>...|about|close-about|dialog <caption>|set <caption> <index> <text>|press <caption> <text>|toolbar <id>\n");
  return 2;
}
