#include "views/win32/window_driver_win.h"

#include <atomic>
#include <thread>

#include "util/wide.h"

namespace driver {

namespace {

constexpr int kWaitSteps = 300;  // of 50 ms: 15 seconds

template <typename Test>
HWND Wait(Test test) {
  for (int step = 0; step < kWaitSteps; ++step) {
    if (HWND found = test()) return found;
    Sleep(50);
  }
  return nullptr;
}

struct Search {
  std::function<bool(HWND)> matches;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!search->matches(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopLevel(const std::function<bool(HWND)>& matches) {
  Search search{matches};
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void WhileDriven(const std::function<void()>& modal, const std::function<void()>& drive) {
  std::atomic<bool> ended{false};
  std::thread driverThread([&] {
    drive();
    // A driver that stopped early (a check failed) must not leave the test
    // hanging in a modal loop: whatever dialog is still up is closed.
    while (!ended) {
      FindTopLevel([](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32770") {
          Press(window, IDNO);
          PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return false;
      });
      Sleep(200);
    }
  });
  modal();
  ended = true;
  driverThread.join();
}

HWND WaitForWindow(const std::wstring& windowClass, const std::string& caption, DWORD process) {
  return Wait([&] {
    return FindTopLevel([&](HWND window) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      return owner == process && IsWindowVisible(window) && wide::FromUtf8(ClassOf(window)) == windowClass &&
             Text(window) == caption;
    });
  });
}

HWND WaitForOwnedDialog(HWND owner) {
  return Wait([&] {
    return FindTopLevel([&](HWND window) {
      return GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window) && ClassOf(window) == "#32770";
    });
  });
}

bool WaitGone(HWND window) {
  for (int step = 0; step < kWaitSteps; ++step) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return true;
    Sleep(50);
  }
  return false;
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return wide::ToUtf8(name);
}

std::string Text(HWND window) {
  std::wstring text(4096, L'\0');
  const LRESULT length = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return wide::ToUtf8(text);
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

HWND Child(HWND parent, const std::string& windowClass, const std::string& text) {
  for (HWND child : Children(parent))
    if (ClassOf(child) == windowClass && Text(child) == text) return child;
  return nullptr;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& windowClass) {
  std::vector<HWND> found;
  for (HWND child : Children(parent))
    if (ClassOf(child) == windowClass) found.push_back(child);
  return found;
}

bool HasStyle(HWND window, DWORD style) {
  return (static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & style) == style;
}

RECT PlaceIn(HWND parent, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

RECT ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

POINT CentredOn(const RECT& area, HWND window) {
  RECT own{};
  GetWindowRect(window, &own);
  return {area.left + (area.right - area.left) / 2 - (own.right - own.left) / 2,
          area.top + (area.bottom - area.top) / 2 - (own.bottom - own.top) / 2};
}

std::vector<std::string> Items(HWND list) {
  std::vector<std::string> items;
  const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    items.push_back(wide::ToUtf8(text));
  }
  return items;
}

int Selected(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }

void Select(HWND list, int index) {
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

void Type(HWND edit, const std::string& text) {
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide::FromUtf8(text).c_str()));
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

}  // namespace driver
