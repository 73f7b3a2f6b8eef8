// Files pages send to be saved, through the main window's form and its
// popups on fake windows: where the save dialog starts, the partial file and
// the chosen name, what the status bar and the progress panel say, and what
// a failure, a cancel or a closed window leave on disk.
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "support/test_support.h"
#include "util/hi.h"

namespace {

namespace fs = test::fs;

class DownloadsTest : public test::TempFolderTest {
 protected:
  DownloadsTest() { fs::create_directories(test::U8Path(Path("saved"))); }
  fake::MainWindow& window() { return view_.window; }
  // The engine writes what arrived to the file the form gave it.
  static void Arrive(const std::string& file, const std::string& bytes) {
    ASSERT_FALSE(file.empty());
    THi::SaveFile(file, bytes);
  }
  std::vector<std::string> Saved() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(test::U8Path(Path("saved"))))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fake::WindowedView view_;
  TfrmMain form_{&view_};
};

TEST_F(DownloadsTest, AFileArrivesUnderAPartialNameAndTakesTheChosenOneWhenComplete) {
  const std::string target = Path("saved") + "/report.sql";
  THi::SaveFile(target, "last week's report, which the user chose to replace");
  window().saveAs = target;
  const std::string partial = form_.WebBrowser1FileDownload(7, "report.sql");
  ASSERT_EQ(window().saveDialogs.size(), 1u);
  EXPECT_EQ(window().saveDialogs[0], THi::GetDownloadsDir() + " | report.sql")
      << "the first dialog starts in the Downloads folder";
  EXPECT_NE(partial, target);
  EXPECT_EQ(partial.rfind(Path("saved"), 0), 0u) << "written beside the chosen file: " << partial;
  EXPECT_EQ(window().status, "Saving report.sql to " + Path("saved"));

  Arrive(partial, "half");
  form_.WebBrowser1FileDownloadProgress(7, 400, 1000);
  EXPECT_TRUE(window().progressVisible);
  EXPECT_EQ(window().progress * 1000 / window().progressMax, 400);
  EXPECT_EQ(THi::LoadFile(target), "last week's report, which the user chose to replace")
      << "the chosen name changes only once the file is complete";

  Arrive(partial, "CREATE TABLE t (a INT);");
  form_.WebBrowser1FileDownloadEnd(7, "");
  EXPECT_EQ(THi::LoadFile(target), "CREATE TABLE t (a INT);");
  EXPECT_EQ(Saved(), std::vector<std::string>{"report.sql"});
  EXPECT_EQ(window().status, "Saved report.sql to " + Path("saved"));
  EXPECT_FALSE(window().progressVisible);
}

TEST_F(DownloadsTest, AFailureLeavesNothingUnderTheChosenNameAndSpoilsNoFileItWasToReplace) {
  THi::SaveFile(Path("saved") + "/kept.sql", "the old export");
  THi::SaveFile(Path("saved") + "/kept.sql.part", "a file of the user's");
  window().saveAs = Path("saved") + "/kept.sql";
  const std::string partial = form_.WebBrowser1FileDownload(1, "kept.sql");
  EXPECT_NE(partial, Path("saved") + "/kept.sql.part") << "an existing file is never the partial one";
  Arrive(partial, "the first megabyte");
  form_.WebBrowser1FileDownloadEnd(1, "Connection terminated unexpectedly");
  EXPECT_EQ(window().status,
            "Could not save kept.sql to " + Path("saved") + ": Connection terminated unexpectedly");
  EXPECT_EQ(THi::LoadFile(Path("saved") + "/kept.sql"), "the old export");
  EXPECT_EQ(THi::LoadFile(Path("saved") + "/kept.sql.part"), "a file of the user's");
  EXPECT_EQ(Saved(), (std::vector<std::string>{"kept.sql", "kept.sql.part"}));

  // A folder that refuses the file is said before anything is fetched.
  window().saveAs = Path("missing") + "/refused.sql";
  EXPECT_EQ(form_.WebBrowser1FileDownload(2, "refused.sql"), "") << "the engine cancels it";
  const std::string said = "Could not save refused.sql to " + Path("missing") + ": ";
  EXPECT_EQ(window().status.substr(0, said.size()), said);
  EXPECT_GT(window().status.size(), said.size()) << "with the system's reason";
  EXPECT_FALSE(fs::exists(test::U8Path(Path("missing"))));
}

TEST_F(DownloadsTest, CancelWritesNothingAndTheNextDialogStartsWhereTheLastFileWent) {
  window().saveAs = "";
  window().status = "as before";
  EXPECT_EQ(form_.WebBrowser1FileDownload(1, "a.bin"), "") << "the engine cancels it";
  EXPECT_EQ(window().status, "as before");
  form_.WebBrowser1FileDownloadEnd(1, "cancelled");  // not one of the window's downloads
  EXPECT_EQ(window().status, "as before");
  EXPECT_TRUE(Saved().empty());

  window().saveAs = Path("saved") + "/b.bin";
  Arrive(form_.WebBrowser1FileDownload(2, "b.bin"), "b");
  form_.WebBrowser1FileDownloadEnd(2, "");

  // A popup's dialog starts there too, and its download is the popup's own.
  form_.WebBrowser1NewWindow2();
  fake::Popup& popupWindow = *window().popups.at(0);
  auto* popup = static_cast<TfrmBrowser*>(popupWindow.engine.events);
  popupWindow.saveAs = Path("saved") + "/c.bin";
  Arrive(popup->WebBrowser1FileDownload(3, "c.bin"), "c");
  EXPECT_EQ(popupWindow.saveDialogs.back(), Path("saved") + " | c.bin");
  popup->WebBrowser1FileDownloadEnd(3, "");
  EXPECT_EQ(popupWindow.status, "Saved c.bin to " + Path("saved"));
  EXPECT_EQ(window().status, "Saved b.bin to " + Path("saved"));

  // Once that folder is gone, the dialog starts in the Downloads folder again.
  fs::remove_all(test::U8Path(Path("saved")));
  window().saveAs = "";
  form_.WebBrowser1FileDownload(4, "d.bin");
  EXPECT_EQ(window().saveDialogs.back(), THi::GetDownloadsDir() + " | d.bin");
}

TEST_F(DownloadsTest, TheServersNameCannotLeadOutOfTheFolderTheDialogShows) {
  for (const char* name : {"../../.bashrc", "..\\..\\autoexec.bat", "/etc/passwd", "..", ""})
    form_.WebBrowser1FileDownload(1, name);
  form_.WebBrowser1FileDownload(1, std::string("a\nb\x01.txt"));
  const std::string folder = THi::GetDownloadsDir() + " | ";
  EXPECT_EQ(window().saveDialogs,
            (std::vector<std::string>{folder + ".bashrc", folder + "autoexec.bat", folder + "passwd",
                                      folder + "download", folder + "download", folder + "a_b_.txt"}));
}

TEST_F(DownloadsTest, TheProgressPanelShowsThePageWhileItLoadsElseTheDownloads) {
  window().saveAs = Path("saved") + "/big.bin";
  const std::string first = form_.WebBrowser1FileDownload(1, "big.bin");
  const std::string second = form_.WebBrowser1FileDownload(2, "big.bin");
  EXPECT_NE(first, second) << "two downloads to one name write partial files of their own";
  form_.WebBrowser1FileDownloadProgress(1, 300, 1000);
  form_.WebBrowser1FileDownloadProgress(2, 0, 1000);
  EXPECT_TRUE(window().progressVisible);
  EXPECT_EQ(window().progress, 150);
  EXPECT_EQ(window().progressMax, 1000);

  form_.WebBrowser1ProgressChange(60, 100);  // a page loads meanwhile
  EXPECT_EQ(window().progress, 60);
  EXPECT_EQ(window().progressMax, 100);
  form_.WebBrowser1ProgressChange(0, 100);  // and is complete
  EXPECT_TRUE(window().progressVisible) << "the downloads still run";
  EXPECT_EQ(window().progressMax, 1000);

  form_.WebBrowser1FileDownloadProgress(1, 700, 0);  // a server that did not say how much
  form_.WebBrowser1FileDownloadEnd(2, "");
  EXPECT_TRUE(window().progressVisible);
  EXPECT_EQ(window().progress, 0);
  form_.WebBrowser1FileDownloadEnd(1, "");
  EXPECT_FALSE(window().progressVisible);
}

TEST_F(DownloadsTest, AWindowThatGoesWhileItsDownloadsRunTakesTheirPartialFilesAlong) {
  form_.WebBrowser1NewWindow2();
  fake::Popup& popupWindow = *window().popups.at(0);
  auto* popup = static_cast<TfrmBrowser*>(popupWindow.engine.events);
  popupWindow.saveAs = Path("saved") + "/e.bin";
  Arrive(popup->WebBrowser1FileDownload(1, "e.bin"), "half of e");
  popup->FormClose();
  form_.Popups().Sweep();
  EXPECT_TRUE(Saved().empty());

  // A popup closed by its page while its save dialog is open stays until the dialog closes.
  form_.WebBrowser1NewWindow2();
  fake::Popup& secondWindow = *window().popups.at(1);
  auto* second = static_cast<TfrmBrowser*>(secondWindow.engine.events);
  secondWindow.saveAs = Path("saved") + "/f.bin";
  secondWindow.whileSaveDialog = [&] {
    second->WebBrowser1Close();
    form_.Popups().Sweep();
    EXPECT_TRUE(second->InSaveDialog());
  };
  second->WebBrowser1FileDownload(2, "f.bin");
  EXPECT_EQ(form_.Popups().Count(), 0u);
  form_.Popups().Sweep();
  EXPECT_TRUE(Saved().empty());
}

}  // namespace
