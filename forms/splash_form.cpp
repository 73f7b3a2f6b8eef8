#include "forms/splash_form.h"

#include "util/hi.h"

namespace {

const char kSplashResource[] = "RES_SPLASH";

}  // namespace

bool TfrmSplash::FormShow() {
  const std::string bytes = LoadResource ? LoadResource(kSplashResource)
                                         : THi::LoadDataResource(kSplashResource);
  const TPicture picture = DecodeSplashPicture(bytes);
  // Bytes that are no picture leave nothing on the screen and nothing running.
  if (picture.Empty()) return false;
  const TSplashPlace place = CentredOn(FView.ScreenWidth(), FView.ScreenHeight(), picture);
  FView.Show(picture, place.left, place.top, *this);
  return true;
}

void TfrmSplash::Image1Click() {
  if (EndProcess) {
    EndProcess();
    return;
  }
  THi::KillSelf();
}

void RunSplashProcess(const std::string& configIni, SplashView& view) {
  TfrmSplash form(view);
  RunSplashProcess(configIni, form);
}

void RunSplashProcess(const std::string& configIni, TfrmSplash& form) {
  if (THi::ReadIniValue(configIni, "INI", "showsplash") == "0") return;
  if (form.FormShow()) form.View().RunUntilEnded();
}
