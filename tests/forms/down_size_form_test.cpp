// The Down Size dialog's form through a fake view: which components it
// offers, when OK may be pressed, the confirmation, the parameter string; and
// the tray command around it.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "forms/down_size_form.h"
#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "forms/main_view.h"
#include "support/test_support.h"

namespace {

class FakeDownSizeView : public DownSizeView {
 public:
  explicit FakeDownSizeView(TfrmDownSize& form) : form_(form) { form.Attach(*this); }
  bool BoxChecked(int box) const override { return checked.at(static_cast<std::size_t>(box)); }
  void SetBoxEnabled(int box, bool e) override { enabled.at(static_cast<std::size_t>(box)) = e; }
  void SetOkEnabled(bool e) override { ok = e; }
  void Close(TModalResult result) override { closed = result; }
  void Click(int box) {
    checked.at(static_cast<std::size_t>(box)) = !checked.at(static_cast<std::size_t>(box));
    form_.CheckBoxClick();
  }

  std::array<bool, kDownSizeComponents> checked{};
  std::array<bool, kDownSizeComponents> enabled{};
  bool ok = true;
  TModalResult closed = mrNone;

 private:
  TfrmDownSize& form_;
};

constexpr int kMySql = 0, kPhpMyAdmin = 12, kExif = 15;

class DownSizeFormTest : public test::TempFolderTest {
 protected:
  // The program folder, with the marker of each given component present.
  std::string Tree(std::initializer_list<int> present) {
    const std::string app = temp_.path() + test::kSep;
    for (const int box : present) {
      const TDownSizeRow& row = DownSizeTable().rows[static_cast<std::size_t>(box)];
      const auto marker = test::U8Path(app + row.marker);
      std::filesystem::create_directories(row.markerIsFolder ? marker : marker.parent_path());
      if (!row.markerIsFolder) test::WriteFile(app + row.marker, "x");
    }
    return app;
  }
  fake::FakeDialogs dialogs_;
};

TEST_F(DownSizeFormTest, OffersWhatIsPresentAndOkFollowsTheChecks) {
  TfrmDownSize form(dialogs_, Tree({kMySql, kExif}));
  FakeDownSizeView view(form);
  form.FormShow();
  std::array<bool, kDownSizeComponents> expected{};
  expected[kMySql] = expected[kExif] = true;
  EXPECT_EQ(view.enabled, expected);
  EXPECT_FALSE(view.ok);

  view.Click(kMySql);
  EXPECT_TRUE(view.ok);
  view.Click(kExif);
  view.Click(kMySql);
  EXPECT_TRUE(view.ok) << "EXIF is still checked";
  view.Click(kExif);
  EXPECT_FALSE(view.ok);

  // A tree without any of the components offers nothing.
  TfrmDownSize bare(dialogs_, temp_ / "none" + test::kSep);
  FakeDownSizeView bareView(bare);
  bare.FormShow();
  EXPECT_EQ(bareView.enabled, (std::array<bool, kDownSizeComponents>{}));
  EXPECT_FALSE(bareView.ok);
}

TEST_F(DownSizeFormTest, OkAsksFirstAndNoKeepsTheDialogOpen) {
  TfrmDownSize form(dialogs_, Tree({kExif, kPhpMyAdmin}));
  FakeDownSizeView view(form);
  form.FormShow();
  view.Click(kExif);
  dialogs_.answers = {mrNo, mrYes};
  form.btnOKClick();
  EXPECT_EQ(view.closed, mrNone);
  EXPECT_EQ(dialogs_.TakeBoxes(), std::vector<std::string>{"Confirm: Are you sure you want to do this?"});
  view.Click(kPhpMyAdmin);
  form.btnOKClick();
  EXPECT_EQ(dialogs_.TakeBoxes(), std::vector<std::string>{"Confirm: Are you sure you want to do this?"});
  EXPECT_EQ(view.closed, mrOK);
  EXPECT_TRUE(form.Choice()[kExif] && form.Choice()[kPhpMyAdmin] && !form.Choice()[kMySql]);

  form.btnCancelClick();
  EXPECT_EQ(view.closed, mrCancel);
}

TEST(DownSizeParameters, OneFlagPerComponentInPositionOrder) {
  TDownSizeChoice choice{};
  EXPECT_EQ(DownSizeParameters(choice), "downsize 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0");
  choice[kExif] = true;
  EXPECT_EQ(DownSizeParameters(choice), "downsize 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 -1");
  choice = {};
  choice[kPhpMyAdmin] = true;
  EXPECT_EQ(DownSizeParameters(choice), "downsize 0 0 0 0 0 0 0 0 0 0 0 0 -1 0 0 0");
  EXPECT_STREQ(DownSizeTable().rows[kPhpMyAdmin].checkBox, "chkPHPMyAdmin");
  EXPECT_EQ(DownSizeTable().rows[kPhpMyAdmin].position, 14);
}

TEST(DownSizeCommand, CancelLeavesTheLauncherRunning) {
  fake::WindowedView view;
  TfrmMain form(&view);
  int quits = 0;
  form.QuitApplication = [&] { ++quits; };
  int shown = 0;
  view.window.downSize = [&](TfrmDownSize& dialog) {
    ++shown;
    FakeDownSizeView dialogView(dialog);
    dialog.FormShow();
    dialog.btnCancelClick();
    return dialogView.closed;
  };
  form.mnuTray_DownSizeClick();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(quits, 0);
}

}  // namespace
