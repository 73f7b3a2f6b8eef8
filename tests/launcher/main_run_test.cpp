// The configuration of a run (TfrmMain): the working Config.ini written out
// from the program's stored configuration, the keys read by the on/off rule,
// the bin folder (also from a CD-ROM), the command copy and the hand-over.
// What needs a program file with the launcher's resources runs in
// resource_child; the rest runs here on files the test writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>

#include "forms/main_form.h"
#include "support/resource_support.h"
#include "util/hi.h"

namespace {

const std::string kDefaultConfig =
    "[INI]\r\nfullscreen=0\r\ntitle=Tarnlight\r\nport=80\r\nip=127.0.0.1\r\n"
    "copyfilestoharddisk=0\r\nbrand=0";

class MainFormConfig : public test::TempFolderTest {
 protected:
  // Gives the form a working Config.ini that holds the given text.
  void Configure(TfrmMain& form, const std::string& text) {
    form.FConfigIni = Path("Config.ini");
    test::WriteFile(form.FConfigIni, text);
  }

  // Runs resource_child (or a copy) with a verb whose result it writes to a file.
  std::string RunChild(const std::string& program, const std::string& verb) {
    const std::string report = Path(verb + ".out");
    THi::DeleteFile(report);
    THi::RunProgramAndWait(program, test::Quoted({verb, report}), "", kShowNormal);
    EXPECT_TRUE(THi::FileExists(report)) << program << " " << verb << " wrote nothing";
    return test::ReadFile(report);
  }

  static std::map<std::string, std::string> Lines(const std::string& text) {
    std::map<std::string, std::string> values;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      const std::string line = text.substr(start, end - start);
      const std::size_t eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
      start = end == std::string::npos ? text.size() : end + 1;
    }
    return values;
  }
};

TEST_F(MainFormConfig, TheStoredDefaultIsWrittenOutByteForByteAndReadsAsTheDefaults) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);

  const std::string path = RunChild(test::ResourceChildProgram(), "prepare");
  const std::string prefix = tmp + test::kSep;
  const std::string suffix = std::string(1, test::kSep) + "Config.ini";
  ASSERT_EQ(path.size(), prefix.size() + 32 + suffix.size()) << path;
  EXPECT_EQ(path.substr(0, prefix.size()), prefix) << path << " is not in the temporary folder";
  EXPECT_TRUE(std::regex_match(path.substr(prefix.size(), 32), std::regex("[0-9a-f]{32}")))
      << path << ": the work folder is not named by the instance hash";
  EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
  ASSERT_EQ(test::ReadFile(path), kDefaultConfig);

  TfrmMain form;
  form.FConfigIni = path;
  EXPECT_EQ(form.ReadConfig("title"), "Tarnlight");
  EXPECT_EQ(form.ReadConfig("port"), "80");
  EXPECT_EQ(form.ReadConfig("ip"), "127.0.0.1");
  EXPECT_FALSE(form.ConfigIsOn("fullscreen")) << "windowed";
  EXPECT_FALSE(form.ConfigIsOn("brand")) << "unbranded";
  EXPECT_FALSE(form.ConfigIsOn("copyfilestoharddisk"));
  EXPECT_TRUE(form.ConfigIsOn("toolbar"));
  EXPECT_TRUE(form.ConfigIsOn("statusbar"));
  EXPECT_TRUE(form.ConfigIsOn("trayicon"));
  EXPECT_TRUE(form.ConfigIsOn("showsplash"));
}

TEST_F(MainFormConfig, AHandEditOfTheWorkingFileHasNoLastingEffect) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);

  const std::string path = RunChild(test::ResourceChildProgram(), "prepare");
  ASSERT_EQ(test::ReadFile(path), kDefaultConfig);
  THi::WriteIniValue(path, "INI", "title", "Edited by hand");
  THi::WriteIniValue(path, "INI", "extra", "1");
  test::WriteFile(path, test::ReadFile(path) + "\r\n[Other]\r\nkey=value\r\n");

  EXPECT_EQ(RunChild(test::ResourceChildProgram(), "prepare"), path);
  EXPECT_EQ(test::ReadFile(path), kDefaultConfig);
}

TEST_F(MainFormConfig, OnlyExactlyZeroIsOff) {
  TfrmMain form;
  Configure(form, "[INI]\r\ntitle=No switches at all\r\n");
  EXPECT_TRUE(form.ConfigIsOn("fullscreen")) << "a missing fullscreen starts full-screen";
  EXPECT_TRUE(form.ConfigIsOn("brand")) << "a missing brand behaves as a branded copy";

  Configure(form, "[ini]\r\nFullScreen=0\r\nbrand= 0 \r\ntoolbar=\r\nstatusbar=00\r\ntrayicon=no\r\n");
  EXPECT_FALSE(form.ConfigIsOn("fullscreen")) << "names compare without regard to case";
  EXPECT_FALSE(form.ConfigIsOn("brand")) << "blanks around the value do not count";
  EXPECT_TRUE(form.ConfigIsOn("toolbar")) << "an empty value is on";
  EXPECT_TRUE(form.ConfigIsOn("statusbar")) << "\"00\" is not exactly \"0\"";
  EXPECT_TRUE(form.ConfigIsOn("trayicon"));
}

TEST_F(MainFormConfig, AQuotedTitleReadsWithoutItsQuotes) {
  TfrmMain form;
  Configure(form, "[INI]\r\ntitle=\"My Program\"\r\nport=80\r\n");
  EXPECT_EQ(form.ReadConfig("title"), "My Program");
  EXPECT_EQ(form.ReadConfig("missing"), "");
}

TEST_F(MainFormConfig, WriteConfigChangesOneKeyInTheWorkingFile) {
  TfrmMain form;
  Configure(form, kDefaultConfig);
  form.WriteConfig("port", "8080");
  form.WriteConfig("ip", "all");
  EXPECT_EQ(form.ReadConfig("port"), "8080");
  EXPECT_EQ(form.ReadConfig("ip"), "all");
  EXPECT_EQ(form.ReadConfig("title"), "Tarnlight");
  EXPECT_EQ(THi::ReadIniSection(form.FConfigIni, "INI"),
            (TNameList{"fullscreen", "title", "port", "ip", "copyfilestoharddisk", "brand"}))
      << "written in place, nothing added";
}

TEST_F(MainFormConfig, TheCommandCopyTakesTheFirstNumberNotInUse) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);
  // The launcher's program file is read-only, as on a CD; its copy must not be.
  const std::string launcher = Path(std::string("launcher") + test::kExeSuffix);
  test::CopyProgram(test::ResourceChildProgram(), launcher);
  const std::string program = test::ReadFile(launcher);
  ASSERT_TRUE(THi::SetReadOnlyTree(launcher, true));

  const std::string first = tmp + test::kSep + "tnlt_cmd0.tmp";
  EXPECT_EQ(RunChild(launcher, "commandcopy"), first);
  EXPECT_TRUE(test::ReadFile(first) == program);
  EXPECT_FALSE(THi::IsFileInUse(first)) << "the copy is read-only";

  test::ProcessGuard guard;
  const TProcessId running =
      guard.Add(THi::RunProgram(first, test::Quoted({"sleep", "30000"}), "", kShowNormal));
  ASSERT_NE(running, 0u);
  ASSERT_TRUE(test::WaitUntil([&] { return THi::IsFileInUse(first); }));
  EXPECT_EQ(RunChild(launcher, "commandcopy"), tmp + test::kSep + "tnlt_cmd1.tmp")
      << "a copy that still runs keeps its number";

  ASSERT_TRUE(THi::KillProcess(running));
  ASSERT_TRUE(test::WaitUntil([&] { return !THi::IsFileInUse(first); }));
  test::WriteFile(first, "left over from an earlier run");
  EXPECT_EQ(RunChild(launcher, "commandcopy"), first) << "a copy no longer running is reused";
  EXPECT_TRUE(test::ReadFile(first) == program);
}

TEST_F(MainFormConfig, TheHandOverStartsTheCopyWithSetupAndQuits) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);
  // From a folder whose name is hard on command lines: the copy, its
  // /config child and the reopened launcher all get the paths whole.
  const std::string folder = Path(test::kAwkwardFolderName);
  test::fs::create_directory(test::U8Path(folder));
  const std::string launcher = folder + test::kSep + "launcher" + test::kExeSuffix;
  test::CopyProgram(test::ResourceChildProgram(), launcher);
  const std::string working = Path("Config.ini");
  const std::string newConfig = "[INI]\r\ntitle=Handed Over\r\nport=8088\r\nip=all\r\n";
  test::WriteFile(working, newConfig);
  const std::string quit = Path("quit.txt");

  THi::RunProgramAndWait(launcher, test::Quoted({"handover", working, quit}), "", kShowNormal);
  EXPECT_TRUE(THi::FileExists(quit)) << "the launcher did not quit";
  const std::string copy = tmp + test::kSep + "tnlt_cmd0.tmp";
  EXPECT_TRUE(THi::FileExists(copy));
  EXPECT_EQ(test::ReadFile(copy + ".ini"), newConfig);

  // The copy runs "/setup <launcher> <copy>.ini": it stores the configuration
  // into the launcher once that has ended, and reopens it.
  const std::string reopened = launcher + ".started";
  ASSERT_TRUE(test::WaitUntil([&] { return THi::FileExists(reopened); }, std::chrono::seconds(30)))
      << "the launcher was not reopened";
  EXPECT_EQ(test::ReadFile(reopened), newConfig);
  test::WaitUntil([&] { return !THi::IsFileInUse(copy) && !THi::IsFileInUse(launcher); });
  EXPECT_TRUE(THi::FileExists(copy)) << "the command copy is kept";
  EXPECT_TRUE(THi::FileExists(copy + ".ini")) << "its INI file is kept";
}

TEST_F(MainFormConfig, OffACdRomTheBinFolderIsTheProgramFolders) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);
  const std::string launcher = Path(std::string("launcher") + test::kExeSuffix);
  test::CopyProgram(test::ResourceChildProgram(), launcher);

  const auto report = Lines(RunChild(launcher, "bindir"));
  EXPECT_EQ(report.at("cdrom"), "0");
  EXPECT_EQ(report.at("bindir"), Path("bin"));
}

#ifndef _WIN32
// Server Settings on a medium that cannot be written says so before the
// launcher quits, and the stack keeps running.
TEST_F(MainFormConfig, ServerSettingsOnAReadOnlyMediumSaysSoAndTheStackRuns) {
  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);
  const std::string medium = Path("medium");
  test::fs::create_directory(test::U8Path(medium));
  const std::string launcher = medium + "/launcher";
  test::CopyProgram(test::ResourceChildProgram(), launcher);
  const bool root = test::RunningAsRoot();
  const std::string lock =
      root ? "mount --bind '" + medium + "' '" + medium + "' && mount -o remount,bind,ro '" + medium + "'"
           : "chmod a-w '" + medium + "'";
  if (std::system((lock + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "this system cannot make a folder read-only by a bind mount";
  const std::string out = Path("settings.out");
  THi::RunProgramAndWait(launcher, test::Quoted({"settings", out, "8099"}), "", kShowNormal);
  (void)!std::system(((root ? "umount '" : "chmod u+w '") + medium + "'").c_str());
  const std::string report = test::ReadFile(out);

  EXPECT_EQ(report.substr(0, report.find('\n')), "quit=0") << report;
  EXPECT_NE(report.find("Error: The settings cannot be stored in " + launcher), std::string::npos) << report;
  EXPECT_NE(report.find(root ? "Read-only file system" : "Permission denied"), std::string::npos) << report;
  EXPECT_FALSE(THi::FileExists(tmp + "/tnlt_cmd0.tmp")) << "nothing was handed over";
}

// Unmounts what the test mounted, however the test ends.
class Mount {
 public:
  Mount(const std::string& image, const std::string& folder, std::string& error) : folder_(folder) {
    const std::string errors = folder + ".err";
    mounted_ = std::system(("mount -o loop,ro \"" + image + "\" \"" + folder + "\" 2>\"" + errors +
                            "\"").c_str()) == 0;
    error = test::ReadFile(errors);
    error = error.substr(0, error.find('\n'));
  }
  ~Mount() {
    if (mounted_) (void)!std::system(("umount \"" + folder_ + "\"").c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_ = false;
};

TEST_F(MainFormConfig, OnACdRomTheBinFolderIsACopyInTheWorkFolder) {
  if (!test::RunningAsRoot()) GTEST_SKIP() << "mounting an ISO 9660 image needs root";
  const std::string cd = Path("cd");
  test::fs::create_directories(test::U8Path(cd + "/bin/php"));
  test::WriteFile(cd + "/bin/php/php.ini", "[PHP]\n");
  test::WriteFile(cd + "/bin/Browser.ini", "[Browser]\n");
  test::CopyProgram(test::ResourceChildProgram(), cd + "/launcher");
  const std::string image = Path("cd.iso");
  const std::string make = "genisoimage -quiet -R -o \"" + image + "\" \"" + cd +
                           "\" 2>/dev/null || xorriso -as mkisofs -quiet -R -o \"" + image +
                           "\" \"" + cd + "\" 2>/dev/null";
  if (std::system(make.c_str()) != 0)
    SKIP_FOR_MISSING_TOOL("neither genisoimage nor xorriso is installed to make an ISO 9660 image");
  const std::string mountPoint = Path("mnt");
  test::fs::create_directory(test::U8Path(mountPoint));
  std::string error;
  const Mount mount(image, mountPoint, error);
  if (!mount.mounted())
    GTEST_SKIP() << "this system cannot mount an ISO 9660 image through a loop device (" << error
                 << "), so there is no CD-ROM file system to start the program from";

  const std::string tmp = Path("tmp");
  test::fs::create_directory(test::U8Path(tmp));
  const test::ScopedTempDir tempDir(tmp);
  const auto report = Lines(RunChild(mountPoint + "/launcher", "bindir"));
  EXPECT_EQ(report.at("cdrom"), "1");
  const std::string work = report.at("workdir");
  ASSERT_EQ(work.rfind(tmp + "/", 0), 0u) << work;
  EXPECT_EQ(report.at("bindir"), work + "/bin");
  EXPECT_EQ(test::ReadFile(work + "/bin/php/php.ini"), "[PHP]\n");
  EXPECT_EQ(test::ReadFile(work + "/bin/Browser.ini"), "[Browser]\n");
  for (const char* file : {"/bin", "/bin/php", "/bin/php/php.ini", "/bin/Browser.ini"}) {
    const auto perms = test::fs::status(test::U8Path(work + file)).permissions();
    EXPECT_NE(perms & test::fs::perms::owner_write, test::fs::perms::none)
        << file << " is still read-only";
  }
}
#else
TEST_F(MainFormConfig, OnACdRomTheBinFolderIsACopyInTheWorkFolder) {
  GTEST_SKIP() << "a CD-ROM drive is declared to Wine from outside the program (registry and "
                  "Wine server restart); the test cdrom_bin_folder does that";
}
#endif

}  // namespace
