// splash_child: a program file carrying the built-in resources, whose
// splash process runs with a view that only reports. Verbs:
//   probe <Config.ini> <file>  runs the splash process on a 1280 x 800 screen
//                              and writes "shown W H LEFT TOP" or "none"
//   click <Config.ini>         clicks the picture as soon as it is shown: the
//                              process then ends with exit code 0; should
//                              it go on, the exit code is 3
#include <cstdio>
#include <cstring>
#include <string>

#include "forms/splash_form.h"
#include "helpers/report_file.h"
#include "launcher/process_start.h"

namespace {

class ReportingView : public SplashView {
 public:
  explicit ReportingView(bool click) : click_(click) {}
  int ScreenWidth() override { return 1280; }
  int ScreenHeight() override { return 800; }
  void Show(const TPicture& picture, int left, int top, SplashEvents& events) override {
    shown = "shown " + std::to_string(picture.width) + " " + std::to_string(picture.height) + " " +
            std::to_string(left) + " " + std::to_string(top);
    if (click_) events.Image1Click();
  }
  void RunUntilEnded() override {}

  std::string shown = "none";

 private:
  bool click_;
};

}  // namespace

int main() {
  ProcessStart();
  const TArgs args = ProgramArguments();
  if (args.size() == 4 && args[1] == "probe") {
    ReportingView view(false);
    RunSplashProcess(args[2], view);
    return WriteReport(args[3], view.shown);
  }
  if (args.size() == 3 && args[1] == "click") {
    ReportingView view(true);
    RunSplashProcess(args[2], view);
    return 3;
  }
  std::fprintf(stderr, "usage: splash_child probe <Config.ini> <report> | click <Config.ini>\n");
  return 2;
}
