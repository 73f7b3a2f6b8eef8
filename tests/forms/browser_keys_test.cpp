// The keys of a developer's browser (zoom, print, find, inspector, full
// screen) through the forms and fake windows.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "support/test_support.h"

namespace {

class BrowserKeysTest : public test::TempFolderTest {
 protected:
  BrowserKeysTest() {
    form_.FHttpPort = 8080;
    form_.FConfigIni = Path("Config.ini");
    Config("[INI]\nbrand=0\nfullscreen=0\n");
  }
  void Config(const std::string& text) { test::WriteFile(form_.FConfigIni, text); }
  fake::MainWindow& window() { return view_.window; }
  std::vector<std::string>& calls() { return window().engine.calls; }

  fake::WindowedView view_;
  TfrmMain form_{&view_};
};

TEST_F(BrowserKeysTest, ZoomKeysAndTheWheelStepBetweenThirtyAndThreeHundredPercent) {
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyPlus, kModCtrl));
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyPlus, kModCtrl | kModShift)) << "Ctrl and the + above =";
  EXPECT_EQ(calls(), (std::vector<std::string>{"zoom 110", "zoom 125"}));
  EXPECT_EQ(window().note, "Zoom 125%") << "the status text shows the level";
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyAdd, kModCtrl)) << "the keypad's plus";
  EXPECT_EQ(form_.Zoom(), 150);
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyNumpad0, kModCtrl));
  EXPECT_EQ(form_.Zoom(), 100);
  for (int i = 0; i < 20; ++i) form_.BrowserKeyDown(kKeySubtract, kModCtrl);
  EXPECT_EQ(form_.Zoom(), 30);
  EXPECT_EQ(calls().back(), "zoom 30");
  for (int i = 0; i < 20; ++i) form_.ZoomStep(1);
  EXPECT_EQ(form_.Zoom(), 300);
  form_.ZoomStep(-1);
  EXPECT_EQ(window().note, "Zoom 250%");
  EXPECT_TRUE(form_.BrowserKeyDown(kKey0, kModCtrl));
  EXPECT_EQ(form_.Zoom(), 100);

  calls().clear();
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyPlus, 0)) << "a plain + is the page's";
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyMinus, kModCtrl | kModAlt));
  EXPECT_TRUE(calls().empty());
}

TEST_F(BrowserKeysTest, CtrlPPrintsAndCtrlFOpensTheFindBarOrGoesToTheEngine) {
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyP, kModCtrl));
  EXPECT_EQ(calls(), std::vector<std::string>{"print"});
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyP, kModCtrl | kModShift));
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyF, kModCtrl));
  EXPECT_EQ(window().findBars, 1);
  window().hasFindBar = false;  // Windows: the control finds on its own
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyF, kModCtrl));
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyF, 0));
  EXPECT_EQ(calls().size(), 1u);
}

TEST_F(BrowserKeysTest, TheInspectorFollowsTheDevtoolsKeyInTheWindowAndItsPopups) {
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyF12, 0)) << "an unbranded stack has no such key: it has the inspector";
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyI, kModCtrl | kModShift));
  EXPECT_EQ(calls(), (std::vector<std::string>{"inspector", "inspector"}));

  Config("[INI]\nbrand=0\nfullscreen=0\ndevtools=0\n");
  calls().clear();
  EXPECT_FALSE(form_.BrowserKeyDown(kKeyF12, 0));
  EXPECT_TRUE(calls().empty());
  form_.Popups().SetDeveloperTools(false);
  ASSERT_NE(form_.WebBrowser1NewWindow2(), nullptr);
  fake::Popup& popup = *window().popups.at(0);
  EXPECT_FALSE(popup.engine.devtools);
  auto* popupForm = static_cast<TfrmBrowser*>(popup.engine.events);
  EXPECT_FALSE(popupForm->BrowserKeyDown(kKeyF12, 0));
  EXPECT_FALSE(popupForm->BrowserKeyDown(kKeyF11, 0)) << "only the main window fills the screen";
  EXPECT_TRUE(popupForm->BrowserKeyDown(kKeyPlus, kModCtrl));
  EXPECT_EQ(popupForm->Zoom(), 110);
  EXPECT_EQ(form_.Zoom(), 100) << "each window has its own zoom";
}

TEST_F(BrowserKeysTest, F11FillsTheScreenAndGivesBackTheMaximisedWindowWithItsBars) {
  form_.FShowToolbar = false;
  form_.FShowStatusBar = true;
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyF11, 0));
  EXPECT_TRUE(window().fullScreen);
  EXPECT_FALSE(window().statusBar);
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyF11, 0));
  EXPECT_FALSE(window().fullScreen);
  EXPECT_FALSE(window().toolbar) << "\"toolbar\" asks for none";
  EXPECT_TRUE(window().statusBar);
  EXPECT_TRUE(window().maximized);

  // A branded copy made to start full screen stays so.
  Config("[INI]\nbrand=1\nfullscreen=1\n");
  form_.EnterFullScreen();
  EXPECT_TRUE(form_.BrowserKeyDown(kKeyF11, 0));
  EXPECT_TRUE(window().fullScreen);
}

}  // namespace
