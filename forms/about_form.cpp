#include "forms/about_form.h"

#include "util/hi.h"
#include "util/product.h"

int TfrmLodestackAbout::Centre(TAboutLabel label, const std::string& text) {
  FView.SetLabel(label, text);
  const int left = (FView.ClientWidth() - FView.LabelWidth(label)) / 2;
  FView.MoveLabel(label, left);
  return left;
}

void TfrmLodestackAbout::FormShow() {
  const int titleLeft = Centre(TAboutLabel::kTitle, FTitle);
  // The icon sits just left of the centred title.
  FView.MoveIcon(titleLeft - FView.IconWidth() - 10);
  Centre(TAboutLabel::kVersion, "Version " + FVersion);
  Centre(TAboutLabel::kCopyright,
         "Copyright \xC2\xA9 " + FYear + " " + std::string(product::kMakerName));
  FView.SetLinks(product::kContactMail, product::kMakerWebsite);
}

void TfrmLodestackAbout::lblEmailAddrClick() { THi::OpenContactMail(); }

void TfrmLodestackAbout::lblWebsiteAddrClick() { THi::OpenAddress(product::kMakerWebsite); }
