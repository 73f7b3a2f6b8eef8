// The patch modes "/config", "/icon" and "/splash" as real processes of the
// built program file: what they store, that a patched program reads its new
// configuration back, how they wait for a target that is read-only or still
// running, and what they do with missing files and invalid icons.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "packaging/patch_mode.h"
#include "support/resource_support.h"
#include "util/hi.h"

namespace {

const ResourceName kConfig = ResourceName::Named("res_Config_ini");
const ResourceName kSplash = ResourceName::Named("RES_SPLASH");
const ResourceName kMainIcon = ResourceName::Named("MAINICON");

// CR LF, no line end after the last line, and bytes no text editor would
// keep: whatever the file holds is what the resource holds.
const std::string kNewConfig =
    "[INI]\r\nfullscreen=1\r\ntitle=\"Caf\xc3\xa9 \xff\"\r\nport=8080\r\nip=all\r\nraw=" +
    std::string("\0\x01\x7f", 3);

class PatchMode : public test::TempFolderTest {
 protected:
  // A copy of a built program file in the test's folder.
  std::string CopyOf(const std::string& program, const std::string& name) {
    const std::string copy = Path(name + test::kExeSuffix);
    test::CopyProgram(program, copy);
    return copy;
  }
  std::string Source(const std::string& name, const std::string& bytes) {
    const std::string file = Path(name);
    test::WriteFile(file, bytes);
    return file;
  }
  static void Patch(const std::string& mode, const std::string& target, const std::string& source) {
    THi::RunProgramAndWait(test::LodestackProgram(), test::Quoted({mode, target, source}), "",
                           kShowNormal);
  }
  static std::string Config(const std::string& program) {
    const auto config = test::ViewResource(program, kResData, kConfig);
    return config ? config->bytes : "(no configuration)";
  }
};

TEST_F(PatchMode, ConfigStoresTheFileByteForByte) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  const auto splash = test::ViewResource(target, kResData, kSplash);
  ASSERT_TRUE(splash);

  Patch("/config", target, Source("new.ini", kNewConfig));

  const auto config = test::ViewResource(target, kResData, ResourceName::Named("RES_CONFIG_INI"));
  ASSERT_TRUE(config);
  EXPECT_EQ(config->bytes, kNewConfig);
  EXPECT_EQ(config->language, kLangNeutral);
  EXPECT_EQ(test::ResourceLanguages(target, kResData, kConfig), std::vector<std::uint16_t>{0})
      << "the configuration is replaced, not stored a second time";
  const auto splashAfter = test::ViewResource(target, kResData, kSplash);
  ASSERT_TRUE(splashAfter);
  EXPECT_TRUE(splashAfter->bytes == splash->bytes) << "the other resources stay as they were";
}

TEST_F(PatchMode, APatchedProgramExtractsItsNewConfigurationIdentically) {
  const std::string target = CopyOf(test::ResourceChildProgram(), "target");
  const std::string before = Path("before.ini");
  THi::RunProgramAndWait(target, test::Quoted({"saveresource", "res_Config_ini", before}), "",
                         kShowNormal);
  ASSERT_TRUE(THi::FileExists(before));
  ASSERT_NE(test::ReadFile(before), kNewConfig);

  Patch("/config", target, Source("new.ini", kNewConfig));

  const std::string after = Path("after.ini");
  THi::RunProgramAndWait(target, test::Quoted({"saveresource", "res_Config_ini", after}), "",
                         kShowNormal);
  EXPECT_EQ(test::ReadFile(after), kNewConfig);
}

TEST_F(PatchMode, SplashStoresTheImageByteForByte) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  std::string image = "BM";
  for (int i = 0; i < 70000; ++i) image += static_cast<char>(i * 7 % 256);

  Patch("/splash", target, Source("splash.bmp", image));

  const auto splash = test::ViewResource(target, kResData, kSplash);
  ASSERT_TRUE(splash);
  EXPECT_TRUE(splash->bytes == image);
  EXPECT_EQ(splash->language, kLangNeutral);
}

TEST_F(PatchMode, IconReplacesTheMainIconAndThePatchedProgramLoadsIt) {
  const std::string target = CopyOf(test::ResourceChildProgram(), "target");
  const std::string icon = test::MakeIcon({16, 24, 32, 48});

  Patch("/icon", target, Source("new.ico", icon));

  const auto group = test::ViewResource(target, kResGroupIcon, kMainIcon);
  ASSERT_TRUE(group);
  EXPECT_EQ(test::GroupIds(group->bytes), (std::vector<std::uint16_t>{1, 2, 3, 4}));
  const std::string report = Path("icon.txt");
  THi::RunProgramAndWait(target, test::Quoted({"mainicon", report}), "", kShowNormal);
  EXPECT_EQ(test::ReadFile(report), "loads=1\nids=1,2,3,4\n");
}

TEST_F(PatchMode, AReadOnlyTargetIsMadeWritableAndThenPatched) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  ASSERT_TRUE(THi::SetReadOnlyTree(target, true));

  Patch("/config", target, Source("new.ini", kNewConfig));

  EXPECT_EQ(Config(target), kNewConfig);
  EXPECT_FALSE(THi::IsFileInUse(target)) << "the target is still read-only";
}

TEST_F(PatchMode, ARunningTargetIsPatchedOnlyAfterItHasEnded) {
  const std::string target = CopyOf(test::ChildProgram(), "target");
  const std::string ini = Source("new.ini", kNewConfig);
  test::ProcessGuard guard;
  const TProcessId running =
      guard.Add(THi::RunProgram(target, test::Quoted({"sleep", "5000"}), "", kShowNormal));
  ASSERT_NE(running, 0u);
  ASSERT_TRUE(test::WaitUntil([&] { return THi::IsFileInUse(target); }));
  const std::string before = test::ReadFile(target);

  const TProcessId patcher = guard.Add(THi::RunProgram(
      test::LodestackProgram(), test::Quoted({"/config", target, ini}), "", kShowNormal));
  ASSERT_NE(patcher, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  ASSERT_TRUE(THi::ProcessExists(running)) << "the target ended too early for this test";
  EXPECT_TRUE(THi::ProcessExists(patcher)) << "the patch process did not wait for the target";
  EXPECT_TRUE(test::ReadFile(target) == before) << "the target was changed while it ran";

  ASSERT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(patcher); },
                              std::chrono::seconds(30)));
  EXPECT_FALSE(THi::ProcessExists(running));
  EXPECT_EQ(Config(target), kNewConfig);
}

TEST_F(PatchMode, AMissingSourceOrTargetDoesNothing) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  const std::string before = test::ReadFile(target);
  const std::string missingTarget = Path(std::string("missing") + test::kExeSuffix);
  const std::string ini = Source("new.ini", kNewConfig);
  const std::string icon = Source("new.ico", test::MakeIcon({16}));

  for (const auto& [mode, source] : {std::pair{"/config", ini}, std::pair{"/icon", icon},
                                     std::pair{"/splash", ini}}) {
    SCOPED_TRACE(mode);
    Patch(mode, target, Path("missing.source"));
    EXPECT_TRUE(test::ReadFile(target) == before);
    Patch(mode, missingTarget, source);
    EXPECT_FALSE(test::fs::exists(test::U8Path(missingTarget)));
  }
}

TEST_F(PatchMode, AnIconFailureIsReportedAndTheTargetKept) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  const std::string before = test::ReadFile(target);
  std::string icon = test::MakeIcon({16});
  icon.pop_back();
  EXPECT_EQ(RunPatchMode("/icon", target, Source("bad.ico", icon), [] {}),
            "Resource update error: Icon file is invalid");
  EXPECT_TRUE(test::ReadFile(target) == before);
}

#ifndef _WIN32
// A folder made read-only for this process: a read-only bind mount of
// itself for root (who writes anywhere else), its write permission taken
// away otherwise; undone however the test ends.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
    if (test::RunningAsRoot()) {
      mounted_ = std::system(("mount --bind '" + folder + "' '" + folder + "' 2>/dev/null && mount -o remount,bind,ro '" +
                              folder + "' 2>/dev/null").c_str()) == 0;
    } else {
      test::fs::permissions(test::U8Path(folder), test::fs::perms::owner_write, test::fs::perm_options::remove);
    }
  }
  ~ReadOnlyFolder() {
    if (test::RunningAsRoot())
      (void)!std::system(("umount '" + folder_ + "' 2>/dev/null").c_str());
    else
      test::fs::permissions(test::U8Path(folder_), test::fs::perms::owner_write, test::fs::perm_options::add);
  }
  bool ok() const { return mounted_ || !test::RunningAsRoot(); }

 private:
  std::string folder_;
  bool mounted_ = false;
};

TEST_F(PatchMode, AProgramFileOnAReadOnlyMediumEndsThePatchWithAMessage) {
  const std::string medium = Path("medium");
  test::fs::create_directories(test::U8Path(medium));
  const std::string target = medium + "/lodestack";
  test::CopyProgram(test::LodestackProgram(), target);
  const std::string before = test::ReadFile(target);
  const std::string ini = Source("new.ini", kNewConfig);
  const std::string errors = Path("stderr.txt");
  const ReadOnlyFolder readOnly(medium);
  if (!readOnly.ok()) GTEST_SKIP() << "this system cannot bind-mount a folder read-only";

  const auto started = std::chrono::steady_clock::now();
  const int status = std::system((test::Quoted({test::LodestackProgram(), "/config", target, ini}) + " 2>\"" +
                                  errors + "\"").c_str());
  const auto took = std::chrono::steady_clock::now() - started;
  EXPECT_LT(took, std::chrono::seconds(15)) << "the wait has a limit of ten seconds";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string said = test::ReadFile(errors);
  EXPECT_NE(said.find(target), std::string::npos) << said;
  if (test::RunningAsRoot()) {
    EXPECT_NE(said.find("Read-only file system"), std::string::npos) << said;
  }
  EXPECT_TRUE(test::ReadFile(target) == before);
}

TEST_F(PatchMode, AnInvalidIconShowsTheFailureTextOnStandardError) {
  const std::string target = CopyOf(test::LodestackProgram(), "target");
  const std::string before = test::ReadFile(target);
  std::string icon = test::MakeIcon({16});
  icon.pop_back();
  const std::string errors = Path("stderr.txt");
  const std::string command = test::Quoted({test::LodestackProgram(), "/icon", target,
                                            Source("bad.ico", icon)}) +
                              " 2>\"" + errors + "\"";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "the patch process must end by itself";
  EXPECT_EQ(WEXITSTATUS(status), 1) << "a failure ends the patch mode with a non-zero status";
  EXPECT_EQ(test::ReadFile(errors), "Resource update error: Icon file is invalid\n");
  EXPECT_TRUE(test::ReadFile(target) == before);
}
#else
TEST_F(PatchMode, AProgramFileOnAReadOnlyMediumEndsThePatchWithAMessage) {
  GTEST_SKIP() << "a read-only medium is a mount on Linux; Windows has no such folder to make";
}

TEST_F(PatchMode, AnInvalidIconShowsTheFailureTextOnStandardError) {
  GTEST_SKIP() << "on Windows the failure shows in a message box, which cannot be read under "
                  "Wine without a display; the text itself is checked by "
                  "AnIconFailureIsReportedAndTheTargetKept";
}
#endif

}  // namespace
