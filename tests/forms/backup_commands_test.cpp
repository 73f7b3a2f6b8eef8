// The tray's backups through a fake window, where this copy has no database
// programs: each item says what is missing, and a tool whose automatic
// backup failed goes on only when the user says so.
#include <gtest/gtest.h>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "support/test_support.h"
#include "util/platform.h"

namespace {

class BackupCommandsTest : public test::TempFolderTest {
 protected:
  fake::WindowedView view_;
  TfrmMain form_{&view_};
  fake::FakeDialogs& dialogs() { return view_.window.dialogs; }
};

TEST_F(BackupCommandsTest, WithoutTheDumpProgramTheItemsSayWhatIsMissing) {
  const std::string dump = THi::GetAppPath() + "bin" + std::string(1, platform::kPathDelim) + "mysql";
  form_.mnuTray_BackUpClick();
  std::vector<std::string> boxes = dialogs().TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Error: The database cannot be backed up: MySQL's dump and client programs are not "
                           "in this copy of the stack (" + dump, 0), 0u) << boxes[0];
  form_.mnuTray_RestoreClick();
  boxes = dialogs().TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("Error: The database cannot be restored: ", 0), 0u) << boxes[0];
  EXPECT_TRUE(dialogs().pickers.empty());

  // The automatic backup cannot be made in such a tree, and does not hold the tool up.
  EXPECT_TRUE(form_.AutomaticBackup("Down Size"));
  EXPECT_TRUE(dialogs().TakeBoxes().empty());
}

}  // namespace
