// TfrmBrand: the Rebrand dialog. The caller fills the value fields from
// Brand.ini, shows the dialog and, when it was closed with Go!, reads them
// back. Entries that name no existing file or folder never replace a value.
#pragma once

#include <string>

#include "forms/dialog_services.h"

class BrandView {
 public:
  virtual ~BrandView() = default;
  enum TEdit { kImage, kTitle, kIcon, kSrcDir, kDataDir, kOutputDir };
  // The two-item lists; item 0 is the "(Y)" choice.
  enum TList { kToolbar, kStatusbar, kTrayIcon, kFullScreen, kIP, kCopyFiles };
  // A folder row: its label, edit and Browse button.
  enum TRow { kSrcDirRow, kDataDirRow };

  virtual std::string EditText(TEdit edit) const = 0;
  virtual void SetEditText(TEdit edit, const std::string& text) = 0;
  virtual int ListIndex(TList list) const = 0;
  virtual void SetListIndex(TList list, int index) = 0;
  // SpinEdit1's text.
  virtual std::string PortText() const = 0;
  virtual void SetPortText(const std::string& text) = 0;
  virtual void SetRowEnabled(TRow row, bool enabled) = 0;
  // The check box "Allow developer tools".
  virtual bool DevToolsChecked() const = 0;
  virtual void SetDevToolsChecked(bool checked) = 0;
  // Ends the modal dialog with this result.
  virtual void Close(TModalResult result) = 0;
};

class TfrmBrand {
 public:
  static constexpr const char* kImageHint = "Select an image for splash screen (*.bmp, *.jpg, *.png)";
  static constexpr const char* kIconHint = "Select an icon for the product (*.ico)";
  static constexpr const char* kDataDirHint = "Where your MySQL data files are located (eg: data\\mysql)";
  static constexpr const char* kSrcDirHint = "Where your website files are located (eg: www)";
  static constexpr const char* kOutputDirHint = "Where you like to put a generated exe file (eg: desktop)";
  static constexpr const char* kImageFilter = "*.bmp;*.jpg;*.jpeg;*.png|*.bmp;*.jpg;*.jpeg;*.png";
  static constexpr const char* kFolderText = "Select a directory:";

  explicit TfrmBrand(DialogServices& dialogs) : FDialogs(dialogs) {}
  // The view of the dialog being shown; its handlers act on it.
  void Attach(BrandView& view) { FView = &view; }

  std::string Title;
  std::string IconFile;
  std::string IP;  // "127.0.0.1" or "all"
  int Port = 80;
  // On/off values: "1" or "0".
  std::string TrayIcon;
  std::string Toolbar;
  std::string StatusBar;
  std::string SplashFileName;
  std::string DataDir;
  std::string OutputDir;
  std::string SrcDir;
  std::string FullScreen;
  std::string CopyFiles;
  std::string DevTools;

  void FormShow();
  void btnOKClick();
  void btnCancelClick();
  void btnSelectImageClick();
  void btnSelectIconClick();
  void btnSelectSrcDirClick();
  void Button1Click();  // the database folder's Browse
  void btnSelectOutputDirClick();
  // The Browse button on the row of this edit: one of the five above.
  void BrowseClick(BrandView::TEdit edit);
  // The port field lost the focus.
  void SpinEdit1Exit();

 private:
  // Browse for a folder for the edit, starting at its folder or else at `fallback`.
  void SelectFolder(BrandView::TEdit edit, const std::string& fallback);
  DialogServices& FDialogs;
  BrandView* FView = nullptr;
  std::string FPortText;  // the last text the port field was left with
};
