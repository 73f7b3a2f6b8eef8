// The Win32 window's key and wheel messages through the main window's form
// to a fake engine and a fake page: each key makes its engine call, Ctrl+F
// goes to the control, a key pressed in the page is the page's first, and
// what is not the program's is dispatched as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "support/test_support.h"
#include "views/win32/browser_keys_win32.h"

namespace {

MSG Key(int key) { return MSG{nullptr, WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}}; }

// A page that has focus or not, and prevents the keys it is told to.
struct FakePage final : PageKeys {
  bool focus = false;
  std::vector<int> prevents;
  bool closes = false;
  bool controlTakes = true;
  std::vector<std::string> seen;

  bool HasFocus(const MSG&) const override { return focus; }
  TAnswer DispatchToPage(MSG& message) override {
    const int key = static_cast<int>(message.wParam);
    seen.push_back("page " + std::to_string(key));
    if (closes) return TAnswer::kWindowGone;
    return std::find(prevents.begin(), prevents.end(), key) != prevents.end() ? TAnswer::kPrevented
                                                                               : TAnswer::kNotPrevented;
  }
  bool ToControl(MSG&) override {
    seen.push_back("control");
    return controlTakes;
  }
};

class BrowserKeysWin32 : public ::testing::Test {
 protected:
  BrowserKeysWin32() {
    view_.window.hasFindBar = false;
    form_.FConfigIni = temp_ / "Config.ini";
    test::WriteFile(form_.FConfigIni, "[INI]\nbrand=0\nfullscreen=0\n");
  }
  // True when the message is not to be dispatched (again).
  bool Route(const MSG& message, unsigned modifiers = 0) {
    MSG copy = message;
    return RouteBrowserKey(form_, copy, modifiers, page_);
  }
  std::vector<std::string>& calls() { return view_.window.engine.calls; }

  test::TempFolder temp_;
  fake::WindowedView view_;
  TfrmMain form_{&view_};
  FakePage page_;
};

TEST_F(BrowserKeysWin32, EachKeyMakesItsEngineCallAndCtrlFGoesToTheControl) {
  EXPECT_TRUE(Route(Key(VK_OEM_PLUS), kModCtrl));
  EXPECT_TRUE(Route(Key(VK_ADD), kModCtrl));
  EXPECT_TRUE(Route(Key(VK_SUBTRACT), kModCtrl));
  EXPECT_TRUE(Route(Key('0'), kModCtrl));
  const MSG wheel{nullptr, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0, 0, {}};
  EXPECT_TRUE(Route(wheel));
  EXPECT_TRUE(Route(Key('P'), kModCtrl));
  EXPECT_EQ(calls(), (std::vector<std::string>{"zoom 110", "zoom 125", "zoom 110", "zoom 100", "zoom 110",
                                               "print"}));
  EXPECT_EQ(view_.window.note, "Zoom 110%");

  EXPECT_TRUE(Route(Key(VK_F11)));
  EXPECT_TRUE(view_.window.fullScreen);
  EXPECT_TRUE(Route(Key(VK_F11)));
  EXPECT_FALSE(view_.window.fullScreen);

  EXPECT_TRUE(Route(Key('F'), kModCtrl));
  page_.controlTakes = false;
  EXPECT_FALSE(Route(Key('F'), kModCtrl)) << "a Ctrl+F the control leaves is dispatched";
  EXPECT_EQ(page_.seen, (std::vector<std::string>{"control", "control"})) << "focus is not in the page";
  calls().clear();
  EXPECT_FALSE(Route(Key(VK_F5))) << "F5 refreshes and goes on";
  EXPECT_FALSE(Route(Key('A'), kModCtrl));
  const MSG plainWheel{nullptr, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0, 0, {}};
  EXPECT_FALSE(Route(plainWheel));
  EXPECT_EQ(calls(), std::vector<std::string>{"refresh"});
}

TEST_F(BrowserKeysWin32, APageThatPreventsAKeyKeepsItAndOneThatDoesNotGetsTheProgramsAction) {
  page_.focus = true;
  page_.prevents = {'F', 'P', VK_OEM_PLUS};
  EXPECT_TRUE(Route(Key('P'), kModCtrl)) << "the page had it: not dispatched again";
  EXPECT_TRUE(Route(Key(VK_OEM_PLUS), kModCtrl));
  EXPECT_TRUE(Route(Key('F'), kModCtrl));
  EXPECT_TRUE(calls().empty()) << "no print, no zoom";
  EXPECT_EQ(page_.seen, (std::vector<std::string>{"page 80", "page 187", "page 70"})) << "no control find";

  page_.seen.clear();
  page_.prevents.clear();  // a page that does not prevent them, or whose answer is not known
  EXPECT_TRUE(Route(Key('P'), kModCtrl));
  EXPECT_TRUE(Route(Key(VK_OEM_PLUS), kModCtrl));
  EXPECT_TRUE(Route(Key(VK_F11)));
  EXPECT_TRUE(view_.window.fullScreen);
  page_.controlTakes = false;
  EXPECT_TRUE(Route(Key('F'), kModCtrl)) << "already dispatched to the page";
  EXPECT_EQ(calls(), (std::vector<std::string>{"print", "zoom 110"}));
  EXPECT_EQ(page_.seen, (std::vector<std::string>{"page 80", "page 187", "page 122", "page 70", "control"}));

  page_.seen.clear();
  EXPECT_FALSE(Route(Key('A'), kModCtrl)) << "not a program key: dispatched as usual";
  EXPECT_FALSE(Route(Key(VK_F5)));
  EXPECT_TRUE(page_.seen.empty());
  page_.closes = true;
  calls().clear();
  EXPECT_TRUE(Route(Key('P'), kModCtrl)) << "the page closed its window: nothing more";
  EXPECT_TRUE(calls().empty());
}

}  // namespace
