// TfrmMain's main window through a fake window: the window's part of the
// start-up, the splash's end, the tray's Show/Hide, help, popups, and a page
// that closes the main window.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "forms/main_view.h"
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

}  // namespace
