// The command-line modes: which argument lists start which mode, with a
// fake set of modes that records every call and knows which files exist.
#include "launcher/mode_dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace {

class FakeModes : public ModeHandlers {
 public:
  std::set<std::string> files{"C:\\work\\Config.ini", "C:\\app\\lodestack.exe", "C:\\new.ini"};
  std::vector<std::string> calls;
  TArgs downSizeFlags;
  TArgs setupArgs;

  void DownSize(const TArgs& flags) override {
    calls.push_back("downsize");
    downSizeFlags = flags;
  }
  void Splash(const std::string& configIni) override { calls.push_back("splash " + configIni); }
  void Guard(const TArgs& args) override { calls.push_back("guard " + args[2] + " " + args[3]); }
  void Setup(const TArgs& args) override {
    calls.push_back("setup");
    setupArgs = args;
  }
  void Patch(const std::string& modeWord, const std::string& target,
             const std::string& source) override {
    calls.push_back("patch " + modeWord + " " + target + " " + source);
  }
  void Command(const TArgs& args) override { calls.push_back("command " + args[1]); }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
};

using Calls = std::vector<std::string>;

const std::string kProgram = "C:\\app\\lodestack.exe";
const std::string kConfig = "C:\\work\\Config.ini";
const std::string kIni = "C:\\new.ini";
const std::string kMissing = "C:\\missing.ini";

Calls Dispatch(const TArgs& args, FakeModes* keep = nullptr) {
  FakeModes local;
  FakeModes& modes = keep ? *keep : local;
  DispatchMode(args, modes);
  return modes.calls;
}

TArgs Flags(int count) {
  TArgs flags;
  for (int i = 0; i < count; ++i) flags.push_back(i % 2 ? "-1" : "0");
  return flags;
}

TEST(ModeWord, IsTheFirstArgumentInLowerCase) {
  EXPECT_EQ(ModeWord({kProgram, "/SeTuP", "x"}), "/setup");
  EXPECT_EQ(ModeWord({kProgram}), "");
  EXPECT_EQ(ModeWord({}), "");
}

TEST(DispatchMode, DownSizeNeedsSixFlagsAndPassesSixteen) {
  TArgs args{kProgram, "DownSize"};
  TArgs all = Flags(16);
  all[15] = "-1";
  args.insert(args.end(), all.begin(), all.end());
  FakeModes modes;
  EXPECT_EQ(Dispatch(args, &modes), Calls{"downsize"});
  EXPECT_EQ(modes.downSizeFlags, all);

  // Arguments past the sixteenth flag are not flags.
  args.push_back("-1");
  FakeModes extra;
  Dispatch(args, &extra);
  EXPECT_EQ(extra.downSizeFlags, all);

  // Argument count 7 (six flags) is enough; a flag not given keeps its group.
  FakeModes six;
  EXPECT_EQ(Dispatch({kProgram, "downsize", "-1", "-1", "-1", "-1", "-1", "-1"}, &six),
            Calls{"downsize"});
  TArgs expected(16, "0");
  std::fill(expected.begin(), expected.begin() + 6, "-1");
  EXPECT_EQ(six.downSizeFlags, expected);

  // Argument count 6 does nothing.
  EXPECT_TRUE(Dispatch({kProgram, "downsize", "0", "0", "0", "0", "0"}).empty());
  EXPECT_TRUE(Dispatch({kProgram, "downsize"}).empty());
}

TEST(DispatchMode, SplashNeedsAnExistingConfigFile) {
  EXPECT_EQ(Dispatch({kProgram, "splash", kConfig}), Calls{"splash " + kConfig});
  EXPECT_EQ(Dispatch({kProgram, "SPLASH", kConfig, "more"}), Calls{"splash " + kConfig});
  EXPECT_TRUE(Dispatch({kProgram, "splash", kMissing}).empty());
  EXPECT_TRUE(Dispatch({kProgram, "splash"}).empty());
}

TEST(DispatchMode, GuardNeedsTheLauncherAndTheServer) {
  EXPECT_EQ(Dispatch({kProgram, "guard", "12", "34"}), Calls{"guard 12 34"});
  EXPECT_TRUE(Dispatch({kProgram, "guard", "12"}).empty());
}

TEST(DispatchMode, SetupNeedsAnExistingTargetAndGetsEveryArgument) {
  FakeModes modes;
  const TArgs args{kProgram, "/Setup", kProgram, kIni, "", "", "x"};
  EXPECT_EQ(Dispatch(args, &modes), Calls{"setup"});
  EXPECT_EQ(modes.setupArgs, args);
  EXPECT_EQ(Dispatch({kProgram, "/setup", kProgram}), Calls{"setup"});
  EXPECT_TRUE(Dispatch({kProgram, "/setup", kMissing, kIni}).empty());
  EXPECT_TRUE(Dispatch({kProgram, "/setup"}).empty());
}

TEST(DispatchMode, PatchModesNeedBothFilesToExist) {
  for (const std::string word : {"/config", "/icon", "/splash"}) {
    EXPECT_EQ(Dispatch({kProgram, word, kProgram, kIni}),
              Calls{"patch " + word + " " + kProgram + " " + kIni});
    std::string upper = word;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(Dispatch({kProgram, upper, kProgram, kIni}),
              Calls{"patch " + word + " " + kProgram + " " + kIni});
    EXPECT_TRUE(Dispatch({kProgram, word, kProgram, kMissing}).empty()) << word;
    EXPECT_TRUE(Dispatch({kProgram, word, kMissing, kIni}).empty()) << word;
    EXPECT_TRUE(Dispatch({kProgram, word, kProgram}).empty()) << word;
  }
}

TEST(DispatchMode, OnlyExactModeWordsCount) {
  // Words that are not modes, including pieces and joins of the slash-command table.
  for (const std::string word :
       {"", "lodestack", "setup", "/setupx", "/set", "config", "/", "|", "/setup|/config",
        "/icon|", "-config", "\\config", "splash|", "down size", "downsizex"}) {
    EXPECT_TRUE(Dispatch({kProgram, word, kProgram, kIni, "0", "0", "0", "0", "0", "0"}).empty())
        << "'" << word << "'";
  }
  // Without arguments there is no mode.
  EXPECT_TRUE(Dispatch({kProgram}).empty());
  EXPECT_TRUE(Dispatch({}).empty());
}

}  // namespace

namespace {

TEST(DispatchMode, CommandWordsGoToTheCommandLineAsWritten) {
  EXPECT_EQ(Dispatch({kProgram, "shell"}), Calls{"command shell"});
  EXPECT_EQ(Dispatch({kProgram, "shell", "-x", "a b"}), Calls{"command shell"});
  EXPECT_EQ(Dispatch({kProgram, "SHELL"}), Calls{});
  EXPECT_EQ(Dispatch({kProgram, "shells"}), Calls{});
}

}  // namespace
