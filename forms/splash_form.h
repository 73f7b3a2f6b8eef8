// TfrmSplash: the picture shown while the stack starts. The splash process
// shows the program's own "RES_SPLASH" picture centred on the screen, above
// other windows and without a taskbar entry, until it is ended from outside
// or the picture is clicked.
#pragma once

#include <functional>
#include <string>

#include "picture/splash_picture.h"

// What a click on the picture reaches.
class SplashEvents {
 public:
  virtual ~SplashEvents() = default;
  virtual void Image1Click() = 0;
};

// SplashView: the splash window of a window toolkit.
class SplashView {
 public:
  virtual ~SplashView() = default;
  // The size of the screen the picture is centred on.
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  // Shows a borderless window of the picture's size with its top-left corner
  // at (left, top), kept above other windows, without a taskbar entry; a
  // click anywhere on it goes to `events`.
  virtual void Show(const TPicture& picture, int left, int top, SplashEvents& events) = 0;
  // Keeps the window up until the process is ended (from outside, or by the
  // click's handler), or the window is closed.
  virtual void RunUntilEnded() = 0;
};

class TfrmSplash : public SplashEvents {
 public:
  explicit TfrmSplash(SplashView& view) : FView(view) {}

  // Loads, decodes and shows the picture; false when there is nothing to
  // show (no resource, or bytes in no known form or that do not decode).
  bool FormShow();
  // Ends the splash process at once, exit code 0.
  void Image1Click() override;
  SplashView& View() { return FView; }

  // The program's own data resource by name (THi::LoadDataResource).
  std::function<std::string(const std::string&)> LoadResource;
  // Ends the process (THi::KillSelf).
  std::function<void()> EndProcess;

 private:
  SplashView& FView;
};

// The splash process: nothing when the Config.ini's [INI] showsplash is "0";
// otherwise the form is shown and the view runs until the process ends. Returns
// at once when there is nothing to show, so the process then ends.
void RunSplashProcess(const std::string& configIni, SplashView& view);
// The same with a form whose services the caller has chosen.
void RunSplashProcess(const std::string& configIni, TfrmSplash& form);
