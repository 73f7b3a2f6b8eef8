// The Server Settings dialog's rules through a fake view: what it shows for
// the stored values, when OK may be pressed, the port field's limits, and
// what a confirmation gives back.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/settings_form.h"

namespace {

class FakeSettingsView : public SettingsView {
 public:
  int IpIndex() const override { return ip; }
  void SetIpIndex(int index) override { ip = index; }
  std::string PortText() const override { return port; }
  void SetPortText(const std::string& text) override { port = text; }
  void SetOkEnabled(bool enabled) override { ok = enabled; }
  void Close(TModalResult r) override { result = r; }

  int ip = -1;
  std::string port;
  bool ok = true;
  TModalResult result = mrNone;
};

class SettingsFormTest : public testing::Test {
 protected:
  void Show(const std::string& ip, int port) {
    form_.IP = ip;
    form_.Port = port;
    form_.Attach(view_);
    form_.FormShow();
  }
  fake::FakeDialogs dialogs_;
  TfrmSettings form_{dialogs_};
  FakeSettingsView view_;
};

TEST_F(SettingsFormTest, OnlyTheLoopbackAddressShowsTheLoopbackChoice) {
  Show("127.0.0.1", 8080);
  EXPECT_EQ(view_.ip, 0);
  EXPECT_EQ(view_.port, "8080");
  Show("all", 80);
  EXPECT_EQ(view_.ip, 1);
  Show("192.168.1.2", 70000);
  EXPECT_EQ(view_.ip, 1);
  EXPECT_EQ(view_.port, "65535");
}

TEST_F(SettingsFormTest, OkWaitsForAChangeAndAsksFirst) {
  Show("127.0.0.1", 80);
  EXPECT_FALSE(view_.ok);
  view_.ip = 1;
  form_.cboIPChange();
  EXPECT_TRUE(view_.ok);

  dialogs_.answers = {mrNo};
  form_.btnOKClick();
  EXPECT_EQ(view_.result, mrNone) << "No keeps the dialog open";
  EXPECT_EQ(dialogs_.TakeBoxes(), std::vector<std::string>{"Confirm: Are you sure you want to do this?"});
  EXPECT_EQ(form_.IP, "127.0.0.1");

  view_.port = " 8081 ";
  form_.btnOKClick();
  EXPECT_EQ(dialogs_.TakeBoxes(), std::vector<std::string>{"Confirm: Are you sure you want to do this?"});
  EXPECT_EQ(view_.result, mrOK);
  EXPECT_EQ(form_.IP, "all");
  EXPECT_EQ(form_.Port, 8081);
}

TEST_F(SettingsFormTest, ThePortStaysANumberFromOneTo65535) {
  Show("127.0.0.1", 8080);
  view_.port = "  ";
  form_.SpinEdit1Exit();
  EXPECT_EQ(view_.port, "8080") << "an emptied field gets its text back";
  view_.port = "70000";
  form_.SpinEdit1Exit();
  EXPECT_EQ(view_.port, "65535");
  view_.port = "";
  form_.SpinEdit1Exit();
  EXPECT_EQ(view_.port, "65535") << "the text it was last left with";
  view_.port = "0";
  form_.SpinEdit1Exit();
  EXPECT_EQ(view_.port, "1");
  // Confirmed without leaving the field: never outside the range.
  view_.port = "99999999999";
  form_.btnOKClick();
  EXPECT_EQ(form_.Port, 65535);
  view_.port = "eighty";
  form_.btnOKClick();
  EXPECT_EQ(form_.Port, 1) << "no number at all gives the minimum";
  view_.port = "-5";
  form_.btnOKClick();
  EXPECT_EQ(form_.Port, 1);
  EXPECT_EQ(dialogs_.TakeBoxes().size(), 3u) << "each OK asks first";
}

TEST_F(SettingsFormTest, CancelGivesNothingBack) {
  Show("127.0.0.1", 80);
  view_.ip = 1;
  form_.cboIPChange();
  form_.btnCancelClick();
  EXPECT_EQ(view_.result, mrCancel);
  EXPECT_EQ(form_.IP, "127.0.0.1");
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST(AppMessageBoxTest, TheCaptionFollowsTheIcon) {
  EXPECT_EQ(AppMessageBoxCaption(kMbYesNo | kMbIconQuestion, "App"), "Confirm");
  EXPECT_EQ(AppMessageBoxCaption(kMbOk | kMbIconError, "App"), "Error");
  EXPECT_EQ(AppMessageBoxCaption(kMbIconWarning, "App"), "Warning");
  EXPECT_EQ(AppMessageBoxCaption(kMbIconInformation, "App"), "Information");
  EXPECT_EQ(AppMessageBoxCaption(kMbOk, "App"), "App");
}

}  // namespace
