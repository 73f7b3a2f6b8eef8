// The splash process: its switch in Config.ini, the picture from the
// program's own resource, the window's place and the click, through a fake
// view; then real processes of a program file that carries the built-in
// resources (splash_child): its own picture, a picture the patch stored, and
// the click ending the process.
#include <gtest/gtest.h>

#include <optional>

#include "forms/splash_form.h"
#include "picture/picture_builder.h"
#include "support/test_support.h"
#include "util/hi.h"

namespace {

// Records what the form asks of its window.
class FakeSplashView : public SplashView {
 public:
  int ScreenWidth() override { return screenWidth; }
  int ScreenHeight() override { return screenHeight; }
  void Show(const TPicture& picture, int left, int top, SplashEvents& events) override {
    ++shows;
    shown = picture;
    shownLeft = left;
    shownTop = top;
    events_ = &events;
  }
  void RunUntilEnded() override {
    ++runs;
    if (clickWhileRunning && events_) events_->Image1Click();
  }

  int screenWidth = 1280;
  int screenHeight = 800;
  bool clickWhileRunning = false;
  int shows = 0;
  int runs = 0;
  TPicture shown;
  int shownLeft = 0;
  int shownTop = 0;

 private:
  SplashEvents* events_ = nullptr;
};

class SplashFormTest : public test::TempFolderTest {
 protected:
  // A Config.ini with the given [INI] lines.
  std::string ConfigIni(const std::string& lines) {
    const std::string file = Path("Config.ini");
    test::WriteFile(file, "[INI]\r\n" + lines);
    return file;
  }
  // Runs the splash process with the resource's bytes in place of the
  // program's own; the process's end is counted, not carried out.
  void RunSplash(const std::string& configIni, const std::optional<std::string>& resource) {
    TfrmSplash form(view_);
    form.LoadResource = [this, resource](const std::string& name) {
      requested_ = name;
      return resource.value_or("");
    };
    form.EndProcess = [this] { ++ends_; };
    RunSplashProcess(configIni, form);
  }

  FakeSplashView view_;
  std::string requested_;
  int ends_ = 0;
  const std::string picture_ = test::MakePlainBitmap(292, 73, 0x2B6F8F);
};

TEST_F(SplashFormTest, ShowSplashZeroShowsNothing) {
  RunSplash(ConfigIni("showsplash=0\r\n"), picture_);
  EXPECT_EQ(view_.shows, 0);
  EXPECT_EQ(view_.runs, 0);
}

TEST_F(SplashFormTest, AnAbsentKeyShows) {
  RunSplash(ConfigIni("title=Lodestack\r\n"), picture_);
  EXPECT_EQ(view_.shows, 1);
  EXPECT_EQ(view_.runs, 1);
  EXPECT_EQ(requested_, "RES_SPLASH");
}

TEST_F(SplashFormTest, OnlyExactlyZeroTurnsItOff) {
  for (const char* value : {"1", "00", "no", "false", "O"}) {
    view_.shows = 0;
    RunSplash(ConfigIni(std::string("showsplash=") + value + "\r\n"), picture_);
    EXPECT_EQ(view_.shows, 1) << value;
  }
}

TEST_F(SplashFormTest, TheSwitchIsReadFromTheIniSectionOnly) {
  const std::string file = Path("Other.ini");
  test::WriteFile(file, "[Other]\r\nshowsplash=0\r\n");
  RunSplash(file, picture_);
  EXPECT_EQ(view_.shows, 1);
}

TEST_F(SplashFormTest, AMissingConfigIniShows) {
  RunSplash(Path("missing.ini"), picture_);
  EXPECT_EQ(view_.shows, 1);
}

TEST_F(SplashFormTest, ThePictureIsShownCentredOnTheScreen) {
  RunSplash(ConfigIni("showsplash=1\r\n"), picture_);
  ASSERT_EQ(view_.shows, 1);
  EXPECT_EQ(view_.shown.width, 292);
  EXPECT_EQ(view_.shown.height, 73);
  EXPECT_EQ(test::PixelAt(view_.shown, 291, 72), 0x2B6F8FFFu);
  EXPECT_EQ(view_.shownLeft, 494);
  EXPECT_EQ(view_.shownTop, 363);
}

TEST_F(SplashFormTest, APictureLargerThanTheScreenStartsLeftOfAndAboveIt) {
  view_.screenWidth = 200;
  view_.screenHeight = 50;
  RunSplash(ConfigIni(""), picture_);
  EXPECT_EQ(view_.shownLeft, -46);
  EXPECT_EQ(view_.shownTop, -11);  // -23 / 2, toward zero
}

TEST_F(SplashFormTest, UndecodableBytesShowNoWindow) {
  const std::string png = test::TestPicture("rgba.png");
  for (const std::string& bytes :
       {std::string(), std::string("BM"), std::string("hello, world"), png.substr(0, png.size() / 2),
        picture_.substr(0, picture_.size() - 10), std::string(4000, '\xFF')}) {
    RunSplash(ConfigIni(""), bytes);
  }
  RunSplash(ConfigIni(""), std::nullopt);
  EXPECT_EQ(view_.shows, 0);
  EXPECT_EQ(view_.runs, 0);
  EXPECT_EQ(ends_, 0);
}

TEST_F(SplashFormTest, AClickEndsTheProcess) {
  view_.clickWhileRunning = true;
  RunSplash(ConfigIni(""), picture_);
  EXPECT_EQ(ends_, 1);
}

TEST_F(SplashFormTest, JpegAndPngAreShownToo) {
  RunSplash(ConfigIni(""), test::TestPicture("jfif_red_blue.jpg"));
  EXPECT_EQ(view_.shownLeft, (1280 - 32) / 2);
  RunSplash(ConfigIni(""), test::TestPicture("rgba.png"));
  EXPECT_EQ(view_.shownTop, (800 - 2) / 2);
  EXPECT_EQ(view_.shows, 2);
}

// ---- real processes of a program file with the built-in resources ----

std::string SplashChild() { return THi::GetAppPath() + "splash_child" + test::kExeSuffix; }

class SplashProcessTest : public SplashFormTest {
 protected:
  // What the program file's splash process showed on a 1280 x 800 screen.
  std::string Probe(const std::string& program, const std::string& configIni) {
    const std::string report = Path("probe.txt");
    test::WriteFile(report, "");
    THi::DeleteFile(report);
    THi::RunProgramAndWait(program, "probe \"" + configIni + "\" \"" + report + "\"", "",
                           kShowNormal);
    return test::ReadFile(report);
  }
  // A copy of splash_child whose splash picture is these bytes.
  std::string ChildWithPicture(const std::string& bytes) {
    const std::string copy = Path(std::string("splash_copy") + test::kExeSuffix);
    test::CopyProgram(SplashChild(), copy);
    EXPECT_TRUE(THi::WriteDataResource(copy, "RES_SPLASH", bytes));
    return copy;
  }
};

TEST_F(SplashProcessTest, TheBuiltInPictureIsShownCentred) {
  EXPECT_EQ(Probe(SplashChild(), ConfigIni("")), "shown 292 73 494 363");
}

TEST_F(SplashProcessTest, ShowSplashZeroShowsNothing) {
  EXPECT_EQ(Probe(SplashChild(), ConfigIni("showsplash=0\r\n")), "none");
}

TEST_F(SplashProcessTest, APngStoredAsTheSplashIsShown) {
  const std::string program = ChildWithPicture(test::TestPicture("rgba.png"));
  EXPECT_EQ(Probe(program, ConfigIni("")), "shown 4 2 638 399");
}

TEST_F(SplashProcessTest, AJpegStoredAsTheSplashIsShown) {
  const std::string program = ChildWithPicture(test::TestPicture("jfif_red_blue_progressive.jpg"));
  EXPECT_EQ(Probe(program, ConfigIni("")), "shown 32 16 624 392");
}

TEST_F(SplashProcessTest, StoredBytesThatDoNotDecodeShowNothing) {
  const std::string jpeg = test::TestPicture("jfif_red_blue.jpg");
  const std::string exifOnly = jpeg.substr(0, 2) + jpeg.substr(20);
  for (const std::string& bytes : {exifOnly, jpeg.substr(0, jpeg.size() / 2), std::string("BMxx")}) {
    EXPECT_EQ(Probe(ChildWithPicture(bytes), ConfigIni("")), "none");
  }
}

TEST_F(SplashProcessTest, AClickEndsTheProcessWithExitCodeZero) {
  const test::ProcessTree tree = test::RunProcessTree(SplashChild(), {"click", ConfigIni("")},
                                                      kShowNormal);
  if (!tree.skipReason.empty()) GTEST_SKIP() << tree.skipReason;
  EXPECT_TRUE(tree.finished);
  EXPECT_EQ(tree.firstExitCode, 0);
}

}  // namespace
