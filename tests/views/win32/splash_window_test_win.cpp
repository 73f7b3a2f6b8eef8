// The splash process's window: this test program, started again with the
// verb "splash", runs RunSplashWindow with its own built-in picture.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "util/wide.h"
#include "views/win32/window_driver_win.h"

namespace {

using namespace driver;

// The splash process of a program file; ends it when the test does.
class SplashProcess {
 public:
  SplashProcess(const std::string& program, const std::string& configIni) {
    std::wstring line = L"\"" + wide::FromUtf8(program) + L"\" splash \"" + wide::FromUtf8(configIni) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
  }
  ~SplashProcess() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 9);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  SplashProcess(const SplashProcess&) = delete;
  SplashProcess& operator=(const SplashProcess&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return process_.dwProcessId; }
  // The exit code once the process has ended within 15 seconds; -1 otherwise.
  long ExitCode() const {
    if (WaitForSingleObject(process_.hProcess, 15000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

// The exit code of the splash verb when RunSplashWindow returned by itself.
constexpr long kReturned = 4;

class SplashWindowTest : public test::TempFolderTest {
 protected:
  std::string Config(const std::string& showSplash) {
    test::WriteFile(Path("Config.ini"), "[INI]\r\nshowsplash=" + showSplash + "\r\n");
    return Path("Config.ini");
  }
};

TEST_F(SplashWindowTest, ABorderlessTopMostToolWindowCentredOnTheScreenUntilClicked) {
  SplashProcess splash(THi::GetProgramFile(), Config("1"));
  ASSERT_TRUE(splash.Started());
  HWND window = WaitForWindow(L"LodestackSplash", "", splash.Id());
  ASSERT_NE(window, nullptr);
  RECT place{};
  GetWindowRect(window, &place);
  EXPECT_EQ(place.right - place.left, 292);
  EXPECT_EQ(place.bottom - place.top, 73);
  EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - 292) / 2);
  EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - 73) / 2);
  EXPECT_TRUE(HasStyle(window, WS_POPUP));
  EXPECT_FALSE(HasStyle(window, WS_CAPTION) || HasStyle(window, WS_THICKFRAME));
  const auto exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
  Sleep(500);
  EXPECT_TRUE(IsWindow(window)) << "it does not end by itself";
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(splash.ExitCode(), 0);
}

TEST_F(SplashWindowTest, ShowSplashZeroShowsNothing) {
  SplashProcess splash(THi::GetProgramFile(), Config("0"));
  ASSERT_TRUE(splash.Started());
  EXPECT_EQ(splash.ExitCode(), kReturned);
}

TEST_F(SplashWindowTest, APictureThatDoesNotDecodeShowsNoWindow) {
  const std::string copy = Path("splash_copy.exe");
  test::CopyProgram(THi::GetProgramFile(), copy);
  ASSERT_TRUE(THi::WriteDataResource(copy, "RES_SPLASH", "BM but no bitmap after all"));
  SplashProcess splash(copy, Config("1"));
  ASSERT_TRUE(splash.Started());
  EXPECT_EQ(splash.ExitCode(), kReturned);
}

}  // namespace
