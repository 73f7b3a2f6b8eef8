// The tools' Win32 dialogs with their real forms, driven from outside as a
// user would: their layout and texts, then OK, Cancel, the title bar's close
// and the confirmation box, and what the forms got back.
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>
#include <gtest/gtest.h>

#include "forms/brand_form.h"
#include "forms/down_size_form.h"
#include "forms/settings_form.h"
#include "support/test_support.h"
#include "views/win32/tool_dialogs_win32.h"
#include "views/win32/window_driver_win.h"

namespace {

using namespace driver;

// Where a window sits centred on the screen (rounded toward zero).
POINT ScreenCentred(HWND window) {
  RECT own{};
  GetWindowRect(window, &own);
  return {(GetSystemMetrics(SM_CXSCREEN) - (own.right - own.left)) / 2,
          (GetSystemMetrics(SM_CYSCREEN) - (own.bottom - own.top)) / 2};
}

void ExpectPlacedAt(HWND dialog, POINT place) {
  RECT own{};
  GetWindowRect(dialog, &own);
  EXPECT_EQ(own.left, place.x);
  EXPECT_EQ(own.top, place.y);
}

void ExpectClientSize(HWND dialog, int width, int height) {
  const RECT client = ClientSize(dialog);
  EXPECT_EQ(client.right, width);
  EXPECT_EQ(client.bottom, height);
}

void ExpectTahoma8(HWND dialog) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
  EXPECT_STREQ(font.lfFaceName, L"Tahoma");
  EXPECT_EQ(font.lfHeight, -11);
}

// Answers the confirmation that OK asks for.
void Confirm(HWND dialog, int answer) {
  HWND box = WaitForOwnedDialog(dialog);
  ASSERT_NE(box, nullptr) << "no confirmation box";
  EXPECT_EQ(Text(box), "Confirm");
  EXPECT_NE(Child(box, "Static", "Are you sure you want to do this?"), nullptr);
  Press(box, answer);
  EXPECT_TRUE(WaitGone(box));
}

class ToolDialogsTest : public test::TempFolderTest {
 protected:
  std::unique_ptr<DialogServices> services_ = CreateDialogServices(nullptr, [] { return std::string("Lodestack"); });
};

TEST_F(ToolDialogsTest, ServerSettingsReturnsTheNewAddressAndPortOnlyOnceConfirmed) {
  TfrmSettings form(*services_);
  form.IP = "all";
  form.Port = 8080;
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunSettingsDialog(nullptr, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Server Settings");
    ASSERT_NE(dialog, nullptr);
    ExpectClientSize(dialog, 291, 131);
    ExpectPlacedAt(dialog, ScreenCentred(dialog));
    ExpectTahoma8(dialog);
    EXPECT_NE(Child(dialog, "Static", "IP address:"), nullptr);
    EXPECT_NE(Child(dialog, "Static", "Server port:"), nullptr);
    HWND ip = ChildrenOfClass(dialog, "ComboBox").at(0);
    EXPECT_EQ(Items(ip), (std::vector<std::string>{"127.0.0.1 - LOOPBACK (Y)", "127.0.0.1 - LOOPBACK (N)"}));
    EXPECT_EQ(Selected(ip), 1);
    HWND port = ChildrenOfClass(dialog, "Edit").at(0);
    EXPECT_EQ(Text(port), "8080");
    EXPECT_TRUE(HasStyle(port, ES_NUMBER));
    HWND arrows = ChildrenOfClass(dialog, "msctls_updown32").at(0);
    INT low = 0, high = 0;
    SendMessageW(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 65535);
    HWND ok = Child(dialog, "Button", "OK");
    HWND cancel = Child(dialog, "Button", "Cancel");
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(HasStyle(ip, WS_TABSTOP) && HasStyle(port, WS_TABSTOP));
    EXPECT_FALSE(HasStyle(ok, WS_TABSTOP) || HasStyle(cancel, WS_TABSTOP));
    EXPECT_FALSE(IsWindowEnabled(ok)) << "OK before any change";
    EXPECT_TRUE(IsWindowEnabled(cancel));

    Select(ip, 0);
    EXPECT_TRUE(IsWindowEnabled(ok));
    Type(port, "8081");
    Click(ok);
    Confirm(dialog, IDNO);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "No keeps the dialog open";
    EXPECT_EQ(Text(port), "8081");
    Click(ok);
    Confirm(dialog, IDYES);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(result, mrOK);
  EXPECT_EQ(form.IP, "127.0.0.1");
  EXPECT_EQ(form.Port, 8081);
}

TEST_F(ToolDialogsTest, ServerSettingsPortFieldAndTitleBarClose) {
  TfrmSettings form(*services_);
  form.IP = "127.0.0.1";
  form.Port = 80;
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunSettingsDialog(nullptr, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Server Settings");
    ASSERT_NE(dialog, nullptr);
    HWND ip = ChildrenOfClass(dialog, "ComboBox").at(0);
    HWND port = ChildrenOfClass(dialog, "Edit").at(0);
    EXPECT_EQ(Selected(ip), 0);
    const auto leave = [&](const std::string& text) {
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(port), TRUE);
      Type(port, text);
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ip), TRUE);
      return Text(port);
    };
    EXPECT_EQ(leave("70000"), "65535");
    EXPECT_EQ(leave(""), "65535") << "an emptied field gets its text back";
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(form.Port, 80);
}

TEST_F(ToolDialogsTest, DownSizeOffersThePresentComponentsAndReturnsTheChosenOnes) {
  std::filesystem::create_directories(test::U8Path(Path("bin\\mysql")));
  std::filesystem::create_directories(test::U8Path(Path("bin\\php\\ext")));
  std::filesystem::create_directories(test::U8Path(Path("www\\phpmyadmin")));
  test::WriteFile(Path("bin\\php\\ext\\php_gd2.dll"), "MZ");
  TfrmDownSize form(*services_, temp_.path() + "\\");
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunDownSizeDialog(nullptr, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Down Size");
    ASSERT_NE(dialog, nullptr);
    ExpectClientSize(dialog, 241, 465);
    ExpectPlacedAt(dialog, ScreenCentred(dialog));
    ExpectTahoma8(dialog);
    int frames = 0;
    for (HWND child : ChildrenOfClass(dialog, "Static")) frames += HasStyle(child, SS_ETCHEDFRAME) ? 1 : 0;
    EXPECT_EQ(frames, 4);
    for (HWND child : Children(dialog)) EXPECT_FALSE(HasStyle(child, WS_TABSTOP)) << Text(child);
    // Top to bottom: the four groups in turn.
    std::vector<std::string> expected;
    for (int group = 1; group <= 4; ++group)
      for (const auto& row : form.Table().rows)
        if (row.group == group) expected.push_back(row.caption);
    std::vector<std::string> shown;
    std::vector<HWND> boxes;
    for (HWND child : ChildrenOfClass(dialog, "Button")) {
      if (Text(child) == "OK" || Text(child) == "Cancel") continue;
      shown.push_back(Text(child));
      boxes.push_back(child);
      if (boxes.size() > 1) {
        EXPECT_GT(PlaceIn(dialog, child).top, PlaceIn(dialog, boxes[boxes.size() - 2]).top);
      }
    }
    ASSERT_EQ(shown, expected);
    const auto box = [&](const std::string& caption) { return Child(dialog, "Button", caption); };
    for (HWND child : boxes) {
      const std::string caption = Text(child);
      const bool present = caption == "Delete MySQL" || caption == "Delete GD" || caption == "Delete phpMyAdmin";
      EXPECT_EQ(IsWindowEnabled(child) != FALSE, present) << caption;
    }
    HWND ok = box("OK");
    EXPECT_FALSE(IsWindowEnabled(ok));
    const auto okBecomes = [&](bool enabled) {
      return test::WaitUntil([&] { return (IsWindowEnabled(ok) != FALSE) == enabled; }, std::chrono::seconds(5));
    };
    Click(box("Delete GD"));
    EXPECT_TRUE(okBecomes(true)) << "a box checked";
    Click(box("Delete GD"));
    EXPECT_TRUE(okBecomes(false)) << "no box checked";
    Click(box("Delete GD"));
    Click(box("Delete phpMyAdmin"));
    EXPECT_TRUE(okBecomes(true));
    Click(ok);
    Confirm(dialog, IDYES);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(result, mrOK);
  EXPECT_EQ(DownSizeParameters(form.Choice()), "downsize 0 0 0 0 -1 0 0 0 0 0 0 0 -1 0 0 0");
}

TEST_F(ToolDialogsTest, DownSizeCancel) {
  TfrmDownSize form(*services_, temp_.path() + "\\");
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunDownSizeDialog(nullptr, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Down Size");
    ASSERT_NE(dialog, nullptr);
    Click(Child(dialog, "Button", "Cancel"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(ToolDialogsTest, RebrandShowsEveryRowAndReturnsTheFields) {
  HWND owner = CreateWindowExW(0, L"Static", L"Owner", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40, 30, 1000,
                               700, nullptr, nullptr, nullptr, nullptr);
  std::filesystem::create_directories(test::U8Path(Path("out")));
  test::WriteFile(Path("splash.bmp"), "BM");
  TfrmBrand form(*services_);
  form.Title = "My Program";
  form.IP = "127.0.0.1";
  form.Port = 80;
  form.Toolbar = form.StatusBar = "1";
  form.TrayIcon = form.FullScreen = form.CopyFiles = "0";
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunBrandDialog(owner, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Rebrand");
    ASSERT_NE(dialog, nullptr);
    ExpectClientSize(dialog, 573, 429);
    RECT ownerPlace{};
    GetWindowRect(owner, &ownerPlace);
    ExpectPlacedAt(dialog, CentredOn(ownerPlace, dialog));
    ExpectTahoma8(dialog);
    for (const char* label :
         {"Splash screen (optional):", "Product name (optional):", "Product icon (optional):",
          "Toolbar/Statusbar (optional):", "Tray icon/Full screen (optional):", "IP address/Port (optional):",
          "Copy files to HD (optional):", "Website directory (optional):", "Database directory (optional):",
          "Output directory (optional):",
          "NOTE: Click GO! button to immediately get rebranded software. (Y=Yes, N=No)"})
      EXPECT_NE(Child(dialog, "Static", label), nullptr) << label;
    int browse = 0;
    for (HWND button : ChildrenOfClass(dialog, "Button")) {
      EXPECT_EQ(HasStyle(button, WS_TABSTOP), Text(button) == "Allow developer tools") << Text(button);
      browse += Text(button) == "Browse..." ? 1 : 0;
    }
    EXPECT_EQ(browse, 5);
    // Tab walks the table's rows: three edits, five lists with the port
    // between the address and copy-files lists, three edits, the check box.
    std::vector<std::string> tabOrder;
    std::vector<HWND> stops;
    for (HWND child : Children(dialog))
      if (HasStyle(child, WS_TABSTOP)) {
        tabOrder.push_back(ClassOf(child));
        stops.push_back(child);
      }
    ASSERT_EQ(tabOrder, (std::vector<std::string>{"Edit", "Edit", "Edit", "ComboBox", "ComboBox", "ComboBox",
                                                  "ComboBox", "ComboBox", "Edit", "ComboBox", "Edit", "Edit",
                                                  "Edit", "Button"}));
    HWND image = stops[0], title = stops[1], icon = stops[2], tray = stops[5], ip = stops[7], port = stops[8];
    HWND copy = stops[9], src = stops[10], data = stops[11], output = stops[12];
    EXPECT_EQ(Text(image), TfrmBrand::kImageHint);
    EXPECT_EQ(Text(title), "My Program");
    EXPECT_EQ(Text(icon), TfrmBrand::kIconHint);
    EXPECT_EQ(Text(src), TfrmBrand::kSrcDirHint);
    EXPECT_EQ(Text(data), TfrmBrand::kDataDirHint);
    EXPECT_EQ(Text(output), TfrmBrand::kOutputDirHint);
    EXPECT_EQ(Items(stops[3]), (std::vector<std::string>{"Show Toolbar & Addressbar (Y)",
                                                         "Show Toolbar & Addressbar (N)"}));
    EXPECT_EQ(Items(copy).at(1),
              "Copy site files from CD to hard disk on startup so PHP can write files (N)");
    EXPECT_EQ((std::vector<int>{Selected(stops[3]), Selected(stops[4]), Selected(tray), Selected(stops[6]),
                                Selected(ip), Selected(copy)}),
              (std::vector<int>{0, 0, 1, 1, 0, 1}));
    EXPECT_EQ(Text(port), "80");
    EXPECT_EQ(IsWindowEnabled(src) != FALSE, THi::DirectoryExists(THi::GetAppPath() + "www"));
    EXPECT_EQ(IsWindowEnabled(data) != FALSE, THi::DirectoryExists(THi::GetAppPath() + "data\\mysql"));

    // The splash's Browse...: the open-file dialog starts at the entry's file.
    Type(image, Path("splash.bmp"));
    Click(ChildrenOfClass(dialog, "Button").at(0));
    HWND open = WaitForOwnedDialog(dialog);
    ASSERT_NE(open, nullptr) << "no open-file dialog";
    const int kFileTypes = 0x470;  // the dialog's list of file types
    EXPECT_EQ(Items(GetDlgItem(open, kFileTypes)), std::vector<std::string>{"*.bmp;*.jpg;*.jpeg;*.png"});
    Press(open, IDOK);
    EXPECT_TRUE(WaitGone(open));
    EXPECT_EQ(Text(image), Path("splash.bmp"));

    // The output folder's Browse...: the folder picker, centred on the dialog.
    Type(output, Path("out"));
    HWND outputBrowse = ChildrenOfClass(dialog, "Button").at(4);
    Click(outputBrowse);
    HWND picker = WaitForOwnedDialog(dialog);
    ASSERT_NE(picker, nullptr) << "no folder picker";
    EXPECT_NE(Child(picker, "Static", "Select a directory:"), nullptr);
    RECT dialogPlace{};
    GetWindowRect(dialog, &dialogPlace);
    Sleep(300);
    ExpectPlacedAt(picker, CentredOn(dialogPlace, picker));
    Press(picker, IDOK);
    EXPECT_TRUE(WaitGone(picker));
    EXPECT_EQ(Text(output), Path("out"));

    Type(title, "  Shop  ");
    Select(tray, 0);
    Type(port, "8080");
    Click(Child(dialog, "Button", "Go!"));
    EXPECT_TRUE(WaitGone(dialog));
  });
  DestroyWindow(owner);
  EXPECT_EQ(result, mrOK);
  EXPECT_EQ(form.Title, "Shop");
  EXPECT_EQ(form.TrayIcon, "1");
  EXPECT_EQ(form.Port, 8080);
  EXPECT_EQ(form.SplashFileName, Path("splash.bmp"));
  EXPECT_EQ(form.OutputDir, Path("out"));
  EXPECT_EQ(form.SrcDir, "") << "a hint is never stored";
}

TEST_F(ToolDialogsTest, RebrandClosedByTheTitleBarCancels) {
  TfrmBrand form(*services_);
  form.Title = "Kept";
  TModalResult result = mrNone;
  WhileDriven([&] { result = RunBrandDialog(nullptr, form); }, [&] {
    HWND dialog = WaitForWindow(L"#32770", "Rebrand");
    ASSERT_NE(dialog, nullptr);
    ExpectPlacedAt(dialog, ScreenCentred(dialog));
    Type(ChildrenOfClass(dialog, "Edit").at(1), "Changed");
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitGone(dialog));
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(form.Title, "Kept");
}

TEST_F(ToolDialogsTest, MessageBoxCaptionAndAnswerAndTheHourglass) {
  int answer = 0;
  WhileDriven([&] { answer = services_->AppMessageBox("It failed.", kMbOk | kMbIconError); }, [&] {
    HWND box = WaitForWindow(L"#32770", "Error");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(Child(box, "Static", "It failed."), nullptr);
    Press(box, IDOK);
  });
  EXPECT_EQ(answer, mrOK);

  HWND window = CreateWindowExW(0, L"Static", L"Busy", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  services_->SetBusy(true);
  EXPECT_EQ(GetCursor(), wait);
  // A window that sets its own cursor as the mouse moves over it.
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), wait);
  // A failure reported while busy: the hourglass is back once the box is answered.
  WhileDriven([&] { services_->AppMessageBox("It failed.", kMbOk | kMbIconError); }, [&] {
    Press(WaitForWindow(L"#32770", "Error"), IDOK);
  });
  EXPECT_EQ(GetCursor(), wait);
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), wait);
  services_->SetBusy(false);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), wait);
  DestroyWindow(window);
}

}  // namespace
