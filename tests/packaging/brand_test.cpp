// Rebrand: the dialog's form through a fake dialog, and whole builds by
// TfrmMain::DoRebrand in resource_child placed in a stack tree of its own,
// whose patch processes are that program itself: what the copy holds, and
// that a refused build leaves no program file and the tree unchanged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

#include "forms/brand_form.h"
#include "forms/fake_views.h"
#include "forms/main_form.h"
#include "forms/main_view.h"
#include "packaging/brand_ini.h"
#include "support/resource_support.h"
#include "util/icon_file.h"

namespace {

namespace fs = std::filesystem;
using E = BrandView;

class BrandForm : public test::TempFolderTest {};

TEST_F(BrandForm, TheFirstDialogShowsHintsAndDefaultsAndCancelWritesNothing) {
  fake::WindowedView view;
  TfrmMain main(&view);
  main.FBrandIni = Path("Brand.ini");
  ::WriteDefaultBrandIni(main.FBrandIni);
  const std::string before = test::ReadFile(main.FBrandIni);
  fake::BrandDialog dialog;
  view.window.brand = [&](TfrmBrand& form) {
    form.Attach(dialog);
    form.FormShow();
    dialog.edits[E::kTitle] = "Changed";
    form.btnCancelClick();
    return dialog.result;
  };
  main.DoRebrand();

  EXPECT_EQ(dialog.edits[E::kImage], TfrmBrand::kImageHint);
  EXPECT_EQ(dialog.edits[E::kIcon], TfrmBrand::kIconHint);
  EXPECT_EQ(dialog.edits[E::kSrcDir], TfrmBrand::kSrcDirHint);
  EXPECT_EQ(dialog.edits[E::kDataDir], TfrmBrand::kDataDirHint);
  EXPECT_EQ(dialog.edits[E::kOutputDir], TfrmBrand::kOutputDirHint);
  const std::map<E::TList, int> lists = {{E::kToolbar, 0},    {E::kStatusbar, 0}, {E::kTrayIcon, 1},
                                         {E::kFullScreen, 1}, {E::kIP, 0},        {E::kCopyFiles, 1}};
  EXPECT_EQ(dialog.lists, lists);
  EXPECT_EQ(dialog.port, "80");
  EXPECT_FALSE(dialog.devTools) << "a branded copy gets no inspector unless its maker allows one";
  // The test program's folder has neither www nor data/mysql.
  EXPECT_EQ(dialog.rows, (std::map<E::TRow, bool>{{E::kSrcDirRow, false}, {E::kDataDirRow, false}}));
  EXPECT_EQ(test::ReadFile(main.FBrandIni), before);
  EXPECT_TRUE(view.window.dialogs.boxes.empty());
  EXPECT_EQ(view.window.dialogs.busyCalls, (std::vector<bool>{true, false}));
}

TEST_F(BrandForm, GoStoresOnlyWhatNamesSomethingAndExpandsRelativeNames) {
  fake::FakeDialogs dialogs;
  fake::BrandDialog dialog;
  TfrmBrand form(dialogs);
  form.Attach(dialog);
  const std::string splash = Path("old.png");
  test::WriteFile(splash, "x");
  form.SplashFileName = splash;
  form.SrcDir = "";
  form.Port = 8080;
  form.FormShow();
  EXPECT_EQ(dialog.edits[E::kImage], splash);

  dialog.edits[E::kImage] = "  " + Path("missing.png");
  dialog.edits[E::kTitle] = "   ";
  dialog.edits[E::kSrcDir] = " test_pictures ";  // beside the test program
  dialog.edits[E::kOutputDir] = "";              // names nothing, not the program folder
  dialog.lists[E::kIP] = 1;
  dialog.lists[E::kTrayIcon] = 0;
  dialog.port = " ";
  form.SpinEdit1Exit();
  EXPECT_EQ(dialog.port, "8080") << "an emptied field gets its number back";
  dialog.port = "70000";
  form.SpinEdit1Exit();
  EXPECT_EQ(dialog.port, "65535");
  form.btnOKClick();

  EXPECT_EQ(dialog.result, mrOK);
  EXPECT_EQ(form.SplashFileName, splash);
  EXPECT_EQ(form.Title, "");
  EXPECT_EQ(form.IconFile, "") << "the hint is never stored";
  EXPECT_EQ(form.SrcDir, THi::GetAppPath() + "test_pictures");
  EXPECT_EQ(form.OutputDir, "");
  EXPECT_EQ(form.IP, "all");
  EXPECT_EQ(form.TrayIcon, "1");
  EXPECT_EQ(form.Port, 65535);
}

TEST_F(BrandForm, BrowseStartsFromTheEntryOrItsDefaultAndKeepsTheEditOnCancel) {
  // On Linux the desktop folder follows HOME; Windows keeps the user's own.
  fs::create_directories(test::U8Path(Path("Desktop")));
  const test::ScopedEnv home("HOME", temp_.path());
  const test::ScopedEnv config("XDG_CONFIG_HOME", Path("config"));
  const std::string desktop = THi::GetDesktopDir();
  fake::FakeDialogs dialogs;
  fake::BrandDialog dialog;
  TfrmBrand form(dialogs);
  form.Attach(dialog);
  form.FormShow();
  form.btnSelectImageClick();
  form.btnSelectSrcDirClick();
  EXPECT_EQ(dialog.edits[E::kImage], TfrmBrand::kImageHint);
  dialogs.chosen = temp_.path();
  form.btnSelectOutputDirClick();
  EXPECT_EQ(dialog.edits[E::kOutputDir], temp_.path());
  form.btnSelectOutputDirClick();
  EXPECT_EQ(dialogs.pickers,
            (std::vector<std::string>{"file  .bmp " + std::string(TfrmBrand::kImageFilter),
                                      "folder Select a directory: ",  // no www beside the test program
                                      "folder Select a directory: " + desktop,
                                      "folder Select a directory: " + temp_.path()}));
}

// A stack tree with resource_child as its program, a home of its own and a
// desktop opener that records what it is asked to open.
class BrandBuild : public test::TempFolderTest {
 protected:
  void SetUp() override {
    if (test::kSep == '\\') GTEST_SKIP() << "the build opens its output in Explorer";
    for (const char* dir : {"tree/bin/Apache", "tree/data/mysql", "tree/data/other", "tree/www/help",
                            "home", "tmp", "opener", "site", "db"})
      fs::create_directories(test::U8Path(Path(dir)));
    tree_ = Path("tree");
    program_ = tree_ + "/lodestack";
    test::CopyProgram(test::ResourceChildProgram(), program_);
    test::WriteFile(tree_ + "/bin/Apache/Apache", "#!/bin/sh\n");
    fs::permissions(tree_ + "/bin/Apache/Apache", fs::perms::owner_exec, fs::perm_options::add);
    test::WriteFile(tree_ + "/data/mysql/user.frm", "u");
    test::WriteFile(tree_ + "/data/other/t.frm", "t");
    test::WriteFile(tree_ + "/www/index.php", "<?php");
    test::WriteFile(tree_ + "/www/help/index.php", "help");
    test::WriteFile(tree_ + "/www/readonly.txt", "r");
    THi::SetReadOnlyTree(tree_ + "/www/readonly.txt", true);
    test::WriteFile(Path("site/page.html"), "site");
    test::WriteFile(Path("db/x.frm"), "db");
    test::WriteFile(Path("opener/xdg-open"), "#!/bin/sh\necho \"$1\" >> \"" + Path("opened") + "\"\n");
    fs::permissions(Path("opener/xdg-open"), fs::perms::owner_all);
    tempDir_ = std::make_unique<test::ScopedTempDir>(Path("tmp"));
    env_.push_back(std::make_unique<test::ScopedEnv>("HOME", Path("home")));
    env_.push_back(std::make_unique<test::ScopedEnv>("XDG_CONFIG_HOME", Path("home/.config")));
    env_.push_back(std::make_unique<test::ScopedEnv>(
        "PATH", Path("opener") + ":" + test::GetEnv("PATH").value_or("/usr/bin:/bin")));
  }

  // Runs DoRebrand with these edit texts; returns the report's lines by key,
  // the error boxes under "box".
  std::map<std::string, std::string> Rebrand(std::vector<std::string> edits) {
    const std::string report = Path("report.txt");
    THi::DeleteFile(report);
    edits.insert(edits.begin(), {"rebrand", report});
    THi::RunProgramAndWait(program_, test::Quoted(edits), "", kShowNormal);
    std::map<std::string, std::string> values;
    std::istringstream lines(test::ReadFile(report));
    for (std::string line; std::getline(lines, line);) {
      const auto eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
      else values["box"] += line;
    }
    return values;
  }

  // Every entry of the tree with its size and permissions.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(test::U8Path(tree_)))
      entries[entry.path().string()] =
          std::to_string(entry.is_regular_file() ? entry.file_size() : 0) + " " +
          std::to_string(static_cast<int>(entry.status().permissions()));
    return entries;
  }

  static bool Runnable(const std::string& file) {
    std::error_code ec;
    return (fs::status(file, ec).permissions() & fs::perms::owner_exec) != fs::perms::none;
  }

  std::string ConfigOf(const std::string& program) {
    const std::string saved = Path("saved.ini");
    THi::RunProgramAndWait(program, test::Quoted({"saveresource", "res_Config_ini", saved}), "", kShowNormal);
    return test::ReadFile(saved);
  }

  std::string tree_;
  std::string program_;
  std::unique_ptr<test::ScopedTempDir> tempDir_;
  std::vector<std::unique_ptr<test::ScopedEnv>> env_;
};

TEST_F(BrandBuild, TheDefaultCopyHoldsTheStackWithBrandIniAndTheDefaultIcon) {
  auto report = Rebrand({"title=   ", "icon=" + std::string(TfrmBrand::kIconHint)});
  const std::string out = Path("home/Documents/$Output$");
  ASSERT_EQ(report["box"], "");
  EXPECT_EQ(report["rows"], "11");
  EXPECT_EQ(report["busy"], "2off");
  EXPECT_EQ(test::EntriesOf(out),
            (std::set<std::string>{"runme", "autorun.sh", "bin", "data", "www"}));
  EXPECT_TRUE(Runnable(out + "/runme"));
  EXPECT_TRUE(Runnable(out + "/autorun.sh"));
  EXPECT_TRUE(Runnable(out + "/bin/Apache/Apache"));
  EXPECT_EQ(test::ReadFile(out + "/autorun.sh"), test::ViewResource(program_, kResData,
                                                                    ResourceName::Named("RES_AUTORUN"))->bytes);
  EXPECT_EQ(test::EntriesOf(out + "/data"), (std::set<std::string>{"mysql", "other"}));
  EXPECT_EQ(test::EntriesOf(out + "/www"), (std::set<std::string>{"index.php", "help", "readonly.txt"}));
  EXPECT_FALSE(THi::IsFileInUse(out + "/www/readonly.txt")) << "copied files end up writable";
  EXPECT_EQ(test::ReadFile(Path("opened")), out + "\n");

  const std::string brandIni = report["brandini"];
  EXPECT_EQ(THi::ReadIniValue(brandIni, "INI", "title"), "");
  EXPECT_EQ(THi::ReadIniValue(brandIni, "INI", "devtools"), "0") << "the check box was left unchecked";
  EXPECT_EQ(ConfigOf(out + "/runme"), test::ReadFile(brandIni)) << "the copy runs and carries Brand.ini";
  const std::string cd = test::ViewResource(program_, kResData, ResourceName::Named("RES_CD"))->bytes;
  const auto group = test::ViewResource(out + "/runme", kResGroupIcon, ResourceName::Named("MAINICON"));
  ASSERT_TRUE(group);
  EXPECT_EQ(test::GroupIds(group->bytes).size(), icon_file::ImageCount(cd));
  EXPECT_EQ(test::ViewResource(out + "/runme", kResIcon, ResourceName::Numbered(1))->bytes,
            icon_file::Image(cd, 0));
}

TEST_F(BrandBuild, ChosenSplashIconSiteAndDatabaseGoIntoTheCopy) {
  const std::string icon = Path("new.ico");
  test::WriteFile(icon, test::MakeIcon({16, 32}));
  const std::string splash = THi::GetAppPath() + "test_pictures/rgba.png";
  fs::create_directories(test::U8Path(Path("out")));
  auto report = Rebrand({"image=" + splash, "icon=" + icon, "srcdir=" + Path("site"),
                         "datadir=" + Path("db"), "outputdir=" + Path("out"), "devtools=1"});
  ASSERT_EQ(report["box"], "");
  const std::string runme = Path("out/runme");
  EXPECT_EQ(THi::ReadIniValue(report["brandini"], "INI", "devtools"), "1")
      << "the maker allowed the inspector";
  EXPECT_EQ(test::ViewResource(runme, kResData, ResourceName::Named("RES_SPLASH"))->bytes,
            test::ReadFile(splash));
  const auto group = test::ViewResource(runme, kResGroupIcon, ResourceName::Named("MAINICON"));
  ASSERT_TRUE(group);
  EXPECT_EQ(test::GroupIds(group->bytes), (std::vector<std::uint16_t>{1, 2}));
  EXPECT_EQ(test::EntriesOf(Path("out/data")), (std::set<std::string>{"mysql", "db"}));
  EXPECT_EQ(test::EntriesOf(Path("out/www")), std::set<std::string>{"page.html"});
  EXPECT_EQ(ConfigOf(runme), test::ReadFile(report["brandini"]));
}

TEST_F(BrandBuild, RefusedBuildsReportOnceAndLeaveNoProgramAndTheTreeUnchanged) {
  const std::string notIcon = Path("program.ico");
  test::WriteFile(notIcon, "MZ" + std::string(200, '\x01'));  // a program file, not an icon
  const std::string notPicture = Path("notes.png");
  test::WriteFile(notPicture, "\x89PNG but no picture");
  fs::create_directories(test::U8Path(tree_ + "/www/out"));
  fs::create_directories(test::U8Path(Path("old/www")));  // an earlier copy's site
  const auto before = Snapshot();
  const struct {
    std::vector<std::string> edits;
    std::string output;
    std::string message;
  } cases[] = {
      {{"icon=" + notIcon}, Path("home/Documents/$Output$"), "is not a valid icon file"},
      {{"image=" + notPicture}, Path("home/Documents/$Output$"), "is not a BMP, JPEG or PNG picture"},
      {{"outputdir=" + tree_ + "/www/out"}, tree_ + "/www/out", "lies inside " + tree_ + "/www"},
      {{"outputdir=" + tree_}, tree_, "is the program's own folder"},
      {{"outputdir=" + Path("old"), "srcdir=" + Path("old/www")}, Path("old"),
       "holds " + Path("old/www") + " in its www, which a new copy would replace"},
  };
  for (const auto& c : cases) {
    auto report = Rebrand(c.edits);
    EXPECT_EQ(report["box"].rfind("Error: ", 0), 0u) << report["box"];
    EXPECT_NE(report["box"].find(c.message), std::string::npos) << report["box"];
    EXPECT_EQ(report["busy"], "2off");
    EXPECT_FALSE(THi::FileExists(c.output + "/runme"));
    EXPECT_FALSE(test::fs::exists(test::U8Path(c.output + "/.rebrand")));
  }
  // A file where the documents folder should be: the default output cannot be made.
  test::WriteFile(Path("home/Documents"), "in the way");
  auto report = Rebrand({});
  EXPECT_NE(report["box"].find("Unable to create the output folder"), std::string::npos) << report["box"];
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(test::ReadFile(Path("opened")), "") << "nothing opened";
}

// Every entry below the folder with its contents (files) or nothing (folders).
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(test::U8Path(folder)))
    entries[entry.path().string()] = entry.is_regular_file() ? test::ReadFile(entry.path().string()) : "";
  return entries;
}

TEST_F(BrandBuild, AnEarlierCopyIsReplacedWholeOnlyWhenTheUserAgreesAndTheUsersFilesStay) {
  const std::string out = Path("out");
  fs::create_directories(test::U8Path(out));
  test::WriteFile(out + "/notes.txt", "the user's");
  ASSERT_EQ(Rebrand({"outputdir=" + out})["box"], "");
  // Since then a page and a database went, and a table was dropped.
  fs::remove_all(test::U8Path(tree_ + "/www/help"));
  fs::remove_all(test::U8Path(tree_ + "/data/other"));
  test::WriteFile(tree_ + "/data/mysql/user.frm", "changed");
  const std::string question = "Confirm: The output folder " + out +
                               " holds an earlier copy (runme, autorun.sh, bin, data and www). Replace it with "
                               "the new copy once that is complete? The folder's other files stay as they are.";
  const auto before = Contents(out);

  auto report = Rebrand({"outputdir=" + out, "answer=no"});
  EXPECT_EQ(report["box"], question);
  EXPECT_EQ(Contents(out), before) << "declining changes nothing";
  EXPECT_EQ(test::ReadFile(Path("opened")), out + "\n") << "and opens nothing";

  report = Rebrand({"outputdir=" + out, "answer=yes"});
  EXPECT_EQ(report["box"], question);
  EXPECT_EQ(test::EntriesOf(out),
            (std::set<std::string>{"runme", "autorun.sh", "bin", "data", "www", "notes.txt"}));
  EXPECT_EQ(test::ReadFile(out + "/notes.txt"), "the user's");
  EXPECT_EQ(test::EntriesOf(out + "/www"), (std::set<std::string>{"index.php", "readonly.txt"}));
  EXPECT_EQ(test::EntriesOf(out + "/data"), std::set<std::string>{"mysql"});
  EXPECT_EQ(test::ReadFile(out + "/data/mysql/user.frm"), "changed");
  EXPECT_EQ(ConfigOf(out + "/runme"), test::ReadFile(report["brandini"]));
  EXPECT_EQ(test::EntriesOf(temp_.path()).count(".out.rebrand"), 0u) << "the staging folder goes";
}

TEST_F(BrandBuild, ADatabaseServerThatHadToBeEndedOrAPipeInTheSiteMeansNoCopyAndTheEarlierOneStays) {
  const std::string out = Path("out");
  fs::create_directories(test::U8Path(out));
  test::WriteFile(out + "/notes.txt", "the user's");
  ASSERT_EQ(Rebrand({"outputdir=" + out})["box"], "");
  const auto before = Contents(out);
  const std::string question = "Confirm: The output folder " + out + " holds an earlier copy";
  // A database server that ignores the request to stop.
  test::ProcessGuard guard;
  const TProcessId server = guard.Add(
      THi::RunProgram("/bin/sh", test::Quoted({"-c", "trap '' TERM; exec sleep 60"}), "", kShowHidden));
  ASSERT_NE(server, 0);
  std::string box = Rebrand({"outputdir=" + out, "answer=yes", "mysqlpid=" + std::to_string(server)})["box"];
  EXPECT_EQ(box.rfind(question, 0), 0u) << box;
  EXPECT_EQ(box.substr(box.find("Error: ")),
            "Error: No copy was made: the database server did not shut down within 15 seconds when asked and had "
            "to be ended, so its data may not have been written whole. Try again once the database server is "
            "not busy.");
  EXPECT_FALSE(THi::ProcessExists(server));
  EXPECT_EQ(Contents(out), before);

  const std::string pipe = tree_ + "/www/help/pipe";
  ASSERT_EQ(std::system(("mkfifo '" + pipe + "'").c_str()), 0);
  box = Rebrand({"outputdir=" + out, "answer=yes"})["box"];
  EXPECT_EQ(box.substr(box.find("Error: ")),
            "Error: Unable to copy " + pipe + ": it is a named pipe (FIFO), which a copy cannot hold.");
  EXPECT_EQ(Contents(out), before);
  EXPECT_EQ(test::EntriesOf(temp_.path()).count(".out.rebrand"), 0u) << "the staging folder goes";
}

// A file system of a given size mounted on a folder (root only), unmounted
// however the test ends.
class SmallFileSystem {
 public:
  SmallFileSystem(const std::string& folder, std::size_t megabytes) : folder_(folder) {
    fs::create_directories(test::U8Path(folder));
    mounted_ = std::system(("mount -t tmpfs -o size=" + std::to_string(megabytes) + "m tmpfs '" + folder +
                            "' 2>/dev/null").c_str()) == 0;
  }
  ~SmallFileSystem() {
    if (mounted_) (void)!std::system(("umount '" + folder_ + "'").c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

// A build that stops says why once and leaves neither a program file nor
// the unfinished copy in the output folder.
void ExpectOneFailureAndNothingHalfMade(const std::string& box, const std::string& cause,
                                        const std::string& output) {
  std::size_t boxes = 0;
  for (std::size_t at = box.find("Error: "); at != std::string::npos; at = box.find("Error: ", at + 1)) ++boxes;
  EXPECT_EQ(boxes, 1u) << box;
  EXPECT_NE(box.find(cause), std::string::npos) << box;
  EXPECT_FALSE(THi::FileExists(output + "/runme"));
  EXPECT_EQ(test::EntriesOf(output), std::set<std::string>{}) << "the output folder is as it was";
}

TEST_F(BrandBuild, AFileThatCannotBeReadEndsTheBuildNamingIt) {
  const std::string secret = tree_ + "/www/secret.php";
  test::WriteFile(secret, "<?php");
  fs::permissions(secret, fs::perms::none);
  fs::create_directories(test::U8Path(Path("out")));
  const auto build = [&] { return Rebrand({"outputdir=" + Path("out")})["box"]; };
  std::string box;
  if (test::RunningAsRoot()) {
    // Root reads every file: the build runs as an ordinary user, who may
    // use everything else here.
    for (const auto& entry : fs::recursive_directory_iterator(test::U8Path(temp_.path())))
      if (entry.path() != secret && !entry.is_symlink()) fs::permissions(entry.path(), fs::perms::all);
    fs::permissions(test::U8Path(temp_.path()), fs::perms::all);
    box = test::RunUnprivileged(build);
  } else {
    box = build();
  }
  ExpectOneFailureAndNothingHalfMade(box, "Unable to copy " + secret, Path("out"));
  EXPECT_NE(box.find("Permission denied"), std::string::npos) << box;
}

TEST_F(BrandBuild, AFullOrUnwritableOutputEndsTheBuildSayingSo) {
  const std::string out = Path("out");
  if (test::RunningAsRoot()) {
    // Room for the program file and its patches, not for the site, which
    // alone is larger than the whole file system (whatever the order of the copy).
    const std::size_t megabytes = 2 * fs::file_size(test::U8Path(program_)) / 1000000 + 8;
    const SmallFileSystem small(out, megabytes);
    if (!small.mounted()) GTEST_SKIP() << "this system cannot mount a tmpfs here";
    test::WriteFile(tree_ + "/www/big.bin", std::string((megabytes + 1) << 20, 'b'));
    const std::string box = Rebrand({"outputdir=" + out})["box"];
    ExpectOneFailureAndNothingHalfMade(box, "Unable to copy " + tree_ + "/www/big.bin", out);
    EXPECT_NE(box.find("No space left on device"), std::string::npos) << box;
  } else {
    fs::create_directories(test::U8Path(out));
    fs::permissions(test::U8Path(out), fs::perms::owner_read | fs::perms::owner_exec);
    ExpectOneFailureAndNothingHalfMade(Rebrand({"outputdir=" + out})["box"],
                                       "Unable to write to the output folder " + out + ": Permission denied",
                                       out);
    fs::permissions(test::U8Path(out), fs::perms::owner_all);
  }
}

}  // namespace
