// The console view: how the stack serves from a terminal, over SSH or in a
// test, when there is no display, or no desktop for it. It prints the home
// address and keeps the run going until SIGTERM, SIGINT or SIGHUP, or until
// the program file disappears (its medium was removed); twice a second the
// form watches its servers, and what it has to say goes to standard error.
// On a display without a window of its own it says why, and the user's web
// browser gets the site.
#include <signal.h>
#include <time.h>

#include <cstdio>
#include <string>
#include <utility>

#include "forms/main_form.h"
#include "forms/main_view.h"
#include "util/hi.h"

namespace {

class ConsoleView : public MainView {
 public:
  explicit ConsoleView(std::string whyNoWindow)
      : programFile_(THi::GetProgramFile()), whyNoWindow_(std::move(whyNoWindow)) {
    // The quit signals are taken from a queue instead of interrupting the
    // start-up; children start with them unblocked again.
    sigemptyset(&quitSignals_);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&quitSignals_, signal);
    sigprocmask(SIG_BLOCK, &quitSignals_, nullptr);
  }

  void Attach(TfrmMain& form) override { form_ = &form; }

  void SetTitle(const std::string& title) override { title_ = title; }

  void ProcessMessages() override { WaitForQuit(0); }

  void ShowError(const std::string& message) override {
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), message.c_str());
  }

  void OpenHome(const std::string& address) override {
    std::printf("%s is running at %s\n", title_.c_str(), address.c_str());
    if (!whyNoWindow_.empty()) {
      std::printf("%s has no window of its own: %s; the start page goes to your web browser (xdg-open)\n",
                  title_.c_str(), whyNoWindow_.c_str());
    }
    std::fflush(stdout);
    if (!whyNoWindow_.empty()) THi::OpenAddress(address);
  }

  void RunMessageLoop() override {
    while (!quit_) {
      WaitForQuit(500);
      if (quit_) break;
      if (form_) form_->WndProc(TWindowMessage::kAny);
      // A removed medium takes the program file with it.
      if (!THi::FileExists(programFile_)) quit_ = true;
    }
  }

  void QuitApplication() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }

 private:
  void WaitForQuit(long milliseconds) {
    const timespec timeout{milliseconds / 1000, (milliseconds % 1000) * 1000000};
    if (sigtimedwait(&quitSignals_, nullptr, &timeout) > 0) quit_ = true;
  }

  sigset_t quitSignals_;
  TfrmMain* form_ = nullptr;
  std::string programFile_;
  std::string whyNoWindow_;
  std::string title_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<MainView> CreateBackgroundView(const std::string& whyNoWindow) {
  return std::make_unique<ConsoleView>(whyNoWindow);
}
