// "/setup" end to end: a copy of the built program file runs it on a target
// program file (resource_child, which carries the launcher's resources and,
// started without arguments as a reopened launcher, writes the configuration
// it now carries to "<its path>.started").
#include <gtest/gtest.h>

#include <thread>

#include "support/resource_support.h"
#include "util/hi.h"

namespace {

const ResourceName kConfig = ResourceName::Named("RES_CONFIG_INI");
const std::string kDefaultConfig =
    "[INI]\r\nfullscreen=0\r\ntitle=Tarnlight\r\nport=80\r\nip=127.0.0.1\r\n"
    "copyfilestoharddisk=0\r\nbrand=0";
const std::string kNewConfig = "[INI]\r\ntitle=After Setup\r\nport=8081\r\nip=all";

class SetupMode : public test::TempFolderTest {
 protected:
  void SetUp() override {
    command_ = Path(std::string("command") + test::kExeSuffix);
    test::CopyProgram(test::LodestackProgram(), command_);
    target_ = Path(std::string("target") + test::kExeSuffix);
    test::CopyProgram(test::ResourceChildProgram(), target_);
    reopened_ = target_ + ".started";
    ini_ = Path("handed-over.ini");
    test::WriteFile(ini_, kNewConfig);
  }
  void TearDown() override {
    // The reopened target may still be writing its marker.
    test::WaitUntil([&] { return !THi::IsFileInUse(target_); });
  }

  std::string StoredConfig() const {
    const auto config = test::ViewResource(target_, kResData, kConfig);
    return config ? config->bytes : "(no configuration)";
  }
  bool Reopened(std::chrono::milliseconds limit) const {
    return test::WaitUntil([&] { return THi::FileExists(reopened_); }, limit);
  }

  std::string command_;
  std::string target_;
  std::string reopened_;
  std::string ini_;
};

TEST_F(SetupMode, WaitsWhileTheTargetRunsThenStoresTheConfigurationAndReopensTheTarget) {
  test::ProcessGuard guard;
  const TProcessId running =
      guard.Add(THi::RunProgram(target_, test::Quoted({"sleep", "5000"}), "", kShowNormal));
  ASSERT_NE(running, 0u);
  ASSERT_TRUE(test::WaitUntil([&] { return THi::IsFileInUse(target_); }));
  const std::string before = test::ReadFile(target_);

  const TProcessId setup = guard.Add(
      THi::RunProgram(command_, test::Quoted({"/setup", target_, ini_}), "", kShowNormal));
  ASSERT_NE(setup, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  ASSERT_TRUE(THi::ProcessExists(running)) << "the target ended too early for this test";
  EXPECT_TRUE(THi::ProcessExists(setup)) << "/setup did not wait for the target";
  EXPECT_TRUE(test::ReadFile(target_) == before) << "the target was changed while it ran";
  EXPECT_FALSE(THi::FileExists(reopened_));

  ASSERT_TRUE(Reopened(std::chrono::seconds(30))) << "the target was not reopened";
  EXPECT_EQ(test::ReadFile(reopened_), kNewConfig)
      << "the reopened program reads the configuration handed over";
  EXPECT_EQ(StoredConfig(), kNewConfig);
  EXPECT_TRUE(test::WaitUntil([&] { return !THi::ProcessExists(setup); }));
}

TEST_F(SetupMode, WithSixArgumentsItPatchesButDoesNotReopen) {
  THi::RunProgramAndWait(
      command_, test::Quoted({"/setup", target_, ini_, Path("no.ico"), Path("no.bmp"), "x"}), "",
      kShowNormal);
  EXPECT_EQ(StoredConfig(), kNewConfig);
  // The one wait for something that must not happen: the reopening would
  // come right before /setup ends.
  EXPECT_FALSE(Reopened(std::chrono::seconds(3))) << "the target was reopened";
}

TEST_F(SetupMode, AMissingIniFileSkipsConfigButIconAndSplashAreStillApplied) {
  const std::string icon = test::MakeIcon({16, 32, 48, 64, 24, 20});
  const std::string iconFile = Path("new.ico");
  test::WriteFile(iconFile, icon);
  const std::string splash = "BM" + std::string(5000, '\x42');
  const std::string splashFile = Path("new.bmp");
  test::WriteFile(splashFile, splash);

  THi::RunProgramAndWait(
      command_, test::Quoted({"/setup", target_, Path("missing.ini"), iconFile, splashFile}), "",
      kShowNormal);

  EXPECT_EQ(StoredConfig(), kDefaultConfig);
  const auto storedSplash = test::ViewResource(target_, kResData, ResourceName::Named("RES_SPLASH"));
  ASSERT_TRUE(storedSplash);
  EXPECT_TRUE(storedSplash->bytes == splash);
  const auto group =
      test::ViewResource(target_, kResGroupIcon, ResourceName::Named("MAINICON"));
  ASSERT_TRUE(group);
  EXPECT_EQ(test::GroupIds(group->bytes), (std::vector<std::uint16_t>{1, 2, 3, 4, 5, 6}));

  ASSERT_TRUE(Reopened(std::chrono::seconds(30))) << "the target was not reopened";
  EXPECT_EQ(test::ReadFile(reopened_), kDefaultConfig);
  const std::string report = Path("icon.txt");
  ASSERT_TRUE(test::WaitUntil([&] { return !THi::IsFileInUse(target_); }));
  THi::RunProgramAndWait(target_, test::Quoted({"mainicon", report}), "", kShowNormal);
  EXPECT_EQ(test::ReadFile(report), "loads=1\nids=1,2,3,4,5,6\n")
      << "the system loads the new icon from the patched program";
}

TEST_F(SetupMode, WithOnlyTheTargetItReopensItUnchanged) {
  const std::string before = test::ReadFile(target_);
  THi::RunProgramAndWait(command_, test::Quoted({"/setup", target_}), "", kShowNormal);
  ASSERT_TRUE(Reopened(std::chrono::seconds(30))) << "the target was not reopened";
  EXPECT_EQ(test::ReadFile(reopened_), kDefaultConfig);
  EXPECT_TRUE(test::ReadFile(target_) == before);
}

}  // namespace
