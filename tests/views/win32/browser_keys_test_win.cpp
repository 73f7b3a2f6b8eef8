// The Win32 window's key and wheel messages through the main window's form
// to a fake engine: each key makes its engine call, Ctrl+F goes to the
// control, and what is not the program's is dispatched as before.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "support/test_support.h"
#include "views/win32/browser_keys_win32.h"

namespace {

MSG Key(int key) { return MSG{nullptr, WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}}; }

TEST(BrowserKeysWin32, EachKeyMakesItsEngineCallAndCtrlFGoesToTheControl) {
  test::TempFolder temp;
  fake::WindowedView view;
  view.window.hasFindBar = false;
  TfrmMain form(&view);
  form.FConfigIni = temp / "Config.ini";
  test::WriteFile(form.FConfigIni, "[INI]\nbrand=0\nfullscreen=0\n");
  std::vector<std::string>& calls = view.window.engine.calls;

  EXPECT_EQ(RouteBrowserKey(form, Key(VK_OEM_PLUS), kModCtrl), TKeyRoute::kConsumed);
  EXPECT_EQ(RouteBrowserKey(form, Key(VK_ADD), kModCtrl), TKeyRoute::kConsumed);
  EXPECT_EQ(RouteBrowserKey(form, Key(VK_SUBTRACT), kModCtrl), TKeyRoute::kConsumed);
  EXPECT_EQ(RouteBrowserKey(form, Key('0'), kModCtrl), TKeyRoute::kConsumed);
  const MSG wheel{nullptr, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0, 0, {}};
  EXPECT_EQ(RouteBrowserKey(form, wheel, 0), TKeyRoute::kConsumed);
  EXPECT_EQ(RouteBrowserKey(form, Key('P'), kModCtrl), TKeyRoute::kConsumed);
  EXPECT_EQ(calls, (std::vector<std::string>{"zoom 110", "zoom 125", "zoom 110", "zoom 100", "zoom 110",
                                             "print"}));
  EXPECT_EQ(view.window.note, "Zoom 110%");

  EXPECT_EQ(RouteBrowserKey(form, Key(VK_F11), 0), TKeyRoute::kConsumed);
  EXPECT_TRUE(view.window.fullScreen);
  EXPECT_EQ(RouteBrowserKey(form, Key(VK_F11), 0), TKeyRoute::kConsumed);
  EXPECT_FALSE(view.window.fullScreen);

  EXPECT_EQ(RouteBrowserKey(form, Key('F'), kModCtrl), TKeyRoute::kToControl);
  calls.clear();
  EXPECT_EQ(RouteBrowserKey(form, Key(VK_F5), 0), TKeyRoute::kDispatch) << "F5 refreshes and goes on";
  EXPECT_EQ(RouteBrowserKey(form, Key('A'), kModCtrl), TKeyRoute::kDispatch);
  const MSG plainWheel{nullptr, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0, 0, {}};
  EXPECT_EQ(RouteBrowserKey(form, plainWheel, 0), TKeyRoute::kDispatch);
  EXPECT_EQ(calls, std::vector<std::string>{"refresh"});
}

}  // namespace
