// Driving the program's windows from outside, as a user would: find them by
// class and caption, read their controls, press their buttons. The driver
// runs on a thread of its own while the window's thread sits in its modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// Runs `drive` on another thread while `modal` runs here; returns once both ended.
void WhileDriven(const std::function<void()>& modal, const std::function<void()>& drive);

// A visible top-level window of this process (or of `process`) with that
// class and caption, waited for up to 15 seconds; null when none came.
HWND WaitForWindow(const std::wstring& windowClass, const std::string& caption,
                   DWORD process = GetCurrentProcessId());
// A visible dialog (class #32770) owned by `owner`, waited for likewise.
HWND WaitForOwnedDialog(HWND owner);
// True once `window` is gone or hidden, waited for up to 15 seconds.
bool WaitGone(HWND window);

std::string ClassOf(HWND window);
std::string Text(HWND window);
// The children of a window in the order Tab walks them.
std::vector<HWND> Children(HWND parent);
// The first child of that class with that text; null when none has it.
HWND Child(HWND parent, const std::string& windowClass, const std::string& text);
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& windowClass);
bool HasStyle(HWND window, DWORD style);
// Where a control sits in its parent's client area.
RECT PlaceIn(HWND parent, HWND control);
// The client area's size as (0, 0, width, height).
RECT ClientSize(HWND window);
// Where a window would sit centred on `area` (rounded toward zero).
POINT CentredOn(const RECT& area, HWND window);

// A combo box's items and the selected one.
std::vector<std::string> Items(HWND list);
int Selected(HWND list);
// Selects an item as the user would, the change reaching the dialog.
void Select(HWND list, int index);
// Types a text into an edit (the change reaching the dialog).
void Type(HWND edit, const std::string& text);
// Presses a button (or a check box) without waiting for what it starts.
void Click(HWND button);
// Presses a dialog's button by its command id (IDYES, IDOK, ...).
void Press(HWND dialog, int id);

}  // namespace driver
