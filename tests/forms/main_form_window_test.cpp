// TfrmMain's main window through a fake window: the window's part of the
// start-up, the splash's end, the tray's Show/Hide, help and logs, popups, a page
// that closes the main window, and a server that ends while the stack runs.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "forms/main_view.h"
#include "support/resource_support.h"
#include "support/test_support.h"

namespace {

class MainWindowTest : public test::TempFolderTest {
 protected:
  MainWindowTest() {
    form_.FHttpPort = 8080;
    form_.QuitApplication = [this] { ++quits_; };
  }
  fake::MainWindow& window() { return view_.window; }

  fake::WindowedView view_;
  TfrmMain form_{&view_};
  int quits_ = 0;
  test::ProcessGuard guard_;
};

TEST_F(MainWindowTest, ThePageTitleNamesTheWindowAndTheApplication) {
  EXPECT_EQ(window().engine.events, &form_) << "the window's engine reports to the form";
  window().engine.location = "http://127.0.0.1:8080/";
  form_.WebBrowser1TitleChange("Start page");
  EXPECT_EQ(window().caption, "Start page");
  EXPECT_EQ(window().appTitle, "Start page");
  EXPECT_EQ(window().list, std::vector<std::string>{"http://127.0.0.1:8080/"});
}

TEST_F(MainWindowTest, TheSplashEndsOnceTheFirstPageIsComplete) {
  guard_.Add(form_.FSplashPid = THi::RunProgram(test::ChildProgram(), "sleep 60000", "", kShowNormal));
  ASSERT_NE(form_.FSplashPid, 0u);
  form_.FormActivate();
  EXPECT_TRUE(window().splashTimer);
  window().engine.readyState = kReadyStateComplete;
  window().engine.busy = true;
  form_.tmrCloseSplashTimer();
  EXPECT_TRUE(window().splashTimer);
  EXPECT_TRUE(THi::ProcessExists(form_.FSplashPid));
  window().engine.busy = false;
  form_.tmrCloseSplashTimer();
  EXPECT_FALSE(window().splashTimer);
  EXPECT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(form_.FSplashPid); }));
}

TEST_F(MainWindowTest, WithoutAWindowTheSplashEndsWhenTheStartPageGoesToTheBrowser) {
  struct Windowless : TfrmMain {
    using TfrmMain::ShowHome;
  } windowless;
  guard_.Add(windowless.FSplashPid = THi::RunProgram(test::ChildProgram(), "sleep 60000", "", kShowNormal));
  ASSERT_NE(windowless.FSplashPid, 0u);
  windowless.ShowHome("http://127.0.0.1:8080");
  EXPECT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(windowless.FSplashPid); }));
}

TEST_F(MainWindowTest, ShowHideHelpAndTheWebSiteOpenInTheMainWindow) {
  form_.mnuTray_ShowClick();
  EXPECT_TRUE(window().windowVisible);
  form_.mnuTray_ShowClick();
  EXPECT_FALSE(window().windowVisible);

  // No help pages beside this program: the maker's site, in the main window, shown.
  form_.mnuTray_HelpClick();
  EXPECT_TRUE(window().windowVisible);
  ASSERT_EQ(window().engine.calls.size(), 1u);
  EXPECT_EQ(window().engine.calls[0].rfind("navigate http", 0), 0u) << window().engine.calls[0];
  EXPECT_EQ(window().engine.calls[0], "navigate " + window().address);

  form_.mnuTray_AboutClick();
  EXPECT_EQ(window().about, std::vector<std::string>{"Tarnlight 7.80 2010"});
}

// The logs page is a developer's tool: a branded copy's menu has no place for it.
TEST_F(MainWindowTest, LogsOpensTheStacksLogsPageAndBrandedCopiesHideIt) {
  struct Prepared : TfrmMain {
    using TfrmMain::PrepareWindow;
    using TfrmMain::TfrmMain;
  };
  for (const char* brand : {"0", "1"}) {
    fake::WindowedView view;
    Prepared form(&view);
    form.FConfigIni = Path("Config.ini");
    test::WriteFile(form.FConfigIni, std::string("[INI]\r\nbrand=") + brand);
    form.PrepareWindow();
    EXPECT_EQ(view.window.trayItems[TTrayItem::kLogs].first, brand == std::string("0")) << "brand=" << brand;
  }
  form_.mnuTray_LogsClick();
  EXPECT_TRUE(window().windowVisible);
  EXPECT_EQ(window().engine.calls.back(), "navigate http://127.0.0.1:8080/lodestack/logs/");
}

TEST_F(MainWindowTest, PagesOpenPopupsAndTheMainPageClosingItselfEndsTheProgram) {
  BrowserEngine* engine = form_.WebBrowser1NewWindow2();
  ASSERT_EQ(window().popups.size(), 1u);
  EXPECT_EQ(engine, &window().popups[0]->engine);
  EXPECT_EQ(form_.Popups().Count(), 1u);

  static_cast<TfrmBrowser*>(window().popups[0]->engine.events)->WebBrowser1Close();
  EXPECT_EQ(quits_, 0) << "a popup closing itself ends only that popup";
  EXPECT_EQ(form_.Popups().Count(), 0u);
  window().engine.location = "http://127.0.0.1:8080/close.php";
  form_.WebBrowser1Close();
  EXPECT_EQ(quits_, 1);
}

// Only the stack's own pages (its Home address's origin) may end the
// program by closing the main window; the engine asks the same of a page,
// in either window, before it lets it read the clipboard or open windows.
TEST_F(MainWindowTest, OnlyTheStacksOwnPagesEndTheProgramByClosingTheWindow) {
  for (const char* page : {"http://example.com/", "http://127.0.0.1:8081/", "about:blank"}) {
    window().engine.location = page;
    form_.WebBrowser1Close();
    EXPECT_EQ(quits_, 0) << page;
  }
  ASSERT_NE(form_.WebBrowser1NewWindow2(), nullptr);
  EXPECT_TRUE(window().popups[0]->engine.events->IsStackPage("http://127.0.0.1:8080/x.php"));
  EXPECT_FALSE(window().popups[0]->engine.events->IsStackPage("http://example.com/"));
  window().engine.location = "http://127.0.0.1:8080/page.php";
  form_.WebBrowser1Close();
  EXPECT_EQ(quits_, 1);
}

TEST_F(MainWindowTest, FullScreenHidesBothBarsOnce) {
  form_.EnterFullScreen();
  EXPECT_TRUE(window().fullScreen);
  EXPECT_FALSE(window().toolbar);
  EXPECT_FALSE(window().statusBar);
  window().toolbar = true;
  form_.EnterFullScreen();
  EXPECT_TRUE(window().toolbar) << "already without border: nothing more happens";
}

// A web server that has ended, whose stand-in (a copy of test_child)
// reports how it was started again.
class ServerWatchTest : public MainWindowTest {
 protected:
  ServerWatchTest()
      : tempDir_(Folder(Path("tmp"))), report_("LODESTACK_TEST_REPORT", Path("restarted.txt")) {
    form_.FApacheExe = Path(std::string("Apache") + test::kExeSuffix);
    test::CopyProgram(test::ChildProgram(), form_.FApacheExe);
    form_.FHttpdConf = Path("httpd.conf");
    form_.FApacheLog = Path("apache.log");
    test::WriteFile(form_.FApacheLog, "Started\nAH00558: could not bind to address\n");
    form_.FStarted = true;
  }
  void ServerEnds() {
    guard_.Add(form_.FApachePid = THi::RunProgram(form_.FApacheExe, "exit 1", "", kShowHidden));
    ASSERT_NE(form_.FApachePid, 0u);
    ASSERT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(form_.FApachePid); }));
  }

  static std::string Folder(const std::string& path) {
    test::fs::create_directories(test::U8Path(path));
    return path;
  }

  static constexpr char kTold[] = "The web server has stopped unexpectedly.";
  test::ScopedTempDir tempDir_;
  test::ScopedEnv report_;
};

TEST_F(ServerWatchTest, AServerThatEndedIsToldOnceAndYesStartsItAgainAsBefore) {
  ServerEnds();
  window().dialogs.answers = {mrYes};
  form_.WndProc(TWindowMessage::kAny);
  EXPECT_EQ(window().dialogs.TakeBoxes(),
            std::vector<std::string>{std::string("Warning: ") + kTold +
                                     "\n\nStarted\nAH00558: could not bind to address\n\nRestart it?"});
  ASSERT_NE(form_.FApachePid, 0u);
  guard_.Add(form_.FApachePid);
  const test::ChildReport started = test::ReadChildReport(Path("restarted.txt"));
  ASSERT_GE(started.args.size(), 2u);
  EXPECT_EQ(started.args[0], "-f");
  EXPECT_EQ(started.args[1], form_.FHttpdConf) << "the same configuration";
  EXPECT_EQ(started.Get("show"), "0") << "hidden, as at the start";

  // It ends again: No leaves it, and says so in the status bar only.
  ASSERT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(form_.FApachePid); }));
  window().dialogs.answers = {mrNo};
  form_.WndProc(TWindowMessage::kAny);
  EXPECT_EQ(window().dialogs.TakeBoxes().size(), 1u);
  EXPECT_EQ(form_.FApachePid, 0u);
  EXPECT_EQ(window().status, kTold);
  form_.WndProc(TWindowMessage::kAny);
  EXPECT_TRUE(window().dialogs.boxes.empty()) << "told once";
}

// Without a window the news is a line for the terminal, and nothing restarts.
TEST_F(ServerWatchTest, WithoutAWindowItIsSaidOnceAndNothingRestarts) {
  class ConsoleView : public fake::WindowedView {
    MainWindowView* Window() override { return nullptr; }
  } console;
  TfrmMain form(&console);
  form.FApacheExe = form_.FApacheExe;
  form.FApacheLog = form_.FApacheLog;
  form.FStarted = true;
  guard_.Add(form.FApachePid = THi::RunProgram(form.FApacheExe, "exit 1", "", kShowHidden));
  ASSERT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(form.FApachePid); }));
  form.WndProc(TWindowMessage::kAny);
  form.WndProc(TWindowMessage::kAny);
  const std::vector<std::string> said = console.TakeErrors();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].rfind(kTold, 0), 0u) << said[0];
  EXPECT_NE(said[0].find("AH00558: could not bind to address"), std::string::npos) << said[0];
  EXPECT_EQ(form.FApachePid, 0u);
  EXPECT_FALSE(THi::FileExists(Path("restarted.txt")));
}

// Before the start-up has finished, and once the shut-down has begun, an
// ending server is no news.
TEST_F(ServerWatchTest, NothingIsToldBeforeTheStartUpIsDone) {
  ServerEnds();
  form_.FStarted = false;
  form_.WatchServers();
  EXPECT_TRUE(window().dialogs.boxes.empty());
  EXPECT_NE(form_.FApachePid, 0u);
}

}  // namespace
