// TfrmLodestackAbout: the About dialog: the program's icon beside its
// title, the version line and the copyright line, each centred, and the
// maker's mail and web links.
#pragma once

#include <string>

enum class TAboutLabel { kTitle, kVersion, kCopyright };

class AboutView {
 public:
  virtual ~AboutView() = default;
  virtual int ClientWidth() const = 0;
  virtual void SetLabel(TAboutLabel label, const std::string& text) = 0;
  // The width the label takes with its text.
  virtual int LabelWidth(TAboutLabel label) const = 0;
  virtual void MoveLabel(TAboutLabel label, int left) = 0;
  virtual int IconWidth() const = 0;
  virtual void MoveIcon(int left) = 0;
  // The mail and web links show their addresses.
  virtual void SetLinks(const std::string& mail, const std::string& website) = 0;
};

class TfrmLodestackAbout {
 public:
  explicit TfrmLodestackAbout(AboutView& view) : FView(view) {}

  void FormShow();
  // The links: the mail client on the contact address, the browser on the site.
  void lblEmailAddrClick();
  void lblWebsiteAddrClick();

  std::string FTitle;
  std::string FVersion;
  std::string FYear;

 private:
  int Centre(TAboutLabel label, const std::string& text);
  AboutView& FView;
};
