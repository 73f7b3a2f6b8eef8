#include "forms/brand_form.h"

#include <algorithm>

#include "forms/port_edit.h"
#include "util/hi.h"
#include "util/platform.h"

namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The full path an entry names (relative names count from the program
// folder); empty for an empty entry, which names nothing.
std::string Expanded(const std::string& entry) {
  const std::string text = Trim(entry);
  return text.empty() ? std::string() : THi::ExpandPath(text);
}

std::string ExistingFile(const std::string& entry) {
  const std::string path = Expanded(entry);
  return THi::FileExists(path) ? path : std::string();
}

std::string ExistingFolder(const std::string& entry) {
  const std::string path = Expanded(entry);
  return THi::DirectoryExists(path) ? path : std::string();
}

std::string AppFolder(const std::string& relative) {
  std::string path = THi::GetAppPath() + relative;
  std::replace(path.begin(), path.end(), '/', platform::kPathDelim);
  return path;
}

int YesNoIndex(const std::string& value) { return value == "0" ? 1 : 0; }

}  // namespace

void TfrmBrand::FormShow() {
  FView->SetEditText(BrandView::kImage, THi::FileExists(SplashFileName) ? SplashFileName : kImageHint);
  FView->SetEditText(BrandView::kTitle, Title);
  FView->SetEditText(BrandView::kIcon, THi::FileExists(IconFile) ? IconFile : kIconHint);
  FView->SetListIndex(BrandView::kToolbar, YesNoIndex(Toolbar));
  FView->SetListIndex(BrandView::kStatusbar, YesNoIndex(StatusBar));
  FView->SetListIndex(BrandView::kTrayIcon, YesNoIndex(TrayIcon));
  FView->SetListIndex(BrandView::kFullScreen, YesNoIndex(FullScreen));
  FView->SetListIndex(BrandView::kCopyFiles, YesNoIndex(CopyFiles));
  FView->SetListIndex(BrandView::kIP, IP == "127.0.0.1" ? 0 : 1);
  FView->SetDevToolsChecked(DevTools != "0");
  FPortText = std::to_string(std::clamp(Port, port_edit::kMin, port_edit::kMax));
  FView->SetPortText(FPortText);
  FView->SetEditText(BrandView::kDataDir, THi::DirectoryExists(DataDir) ? DataDir : kDataDirHint);
  FView->SetEditText(BrandView::kSrcDir, THi::DirectoryExists(SrcDir) ? SrcDir : kSrcDirHint);
  FView->SetEditText(BrandView::kOutputDir, THi::DirectoryExists(OutputDir) ? OutputDir : kOutputDirHint);
  FView->SetRowEnabled(BrandView::kDataDirRow, THi::DirectoryExists(AppFolder("data/mysql")));
  FView->SetRowEnabled(BrandView::kSrcDirRow, THi::DirectoryExists(AppFolder("www")));
}

void TfrmBrand::btnOKClick() {
  const auto keep = [](std::string& value, const std::string& found) {
    if (!found.empty()) value = found;
  };
  const auto yes = [this](BrandView::TList list) {
    return std::string(FView->ListIndex(list) == 0 ? "1" : "0");
  };
  keep(SplashFileName, ExistingFile(FView->EditText(BrandView::kImage)));
  Title = Trim(FView->EditText(BrandView::kTitle));
  keep(IconFile, ExistingFile(FView->EditText(BrandView::kIcon)));
  Toolbar = yes(BrandView::kToolbar);
  StatusBar = yes(BrandView::kStatusbar);
  TrayIcon = yes(BrandView::kTrayIcon);
  FullScreen = yes(BrandView::kFullScreen);
  CopyFiles = yes(BrandView::kCopyFiles);
  DevTools = FView->DevToolsChecked() ? "1" : "0";
  IP = FView->ListIndex(BrandView::kIP) == 0 ? "127.0.0.1" : "all";
  Port = port_edit::Value(FView->PortText());
  keep(DataDir, ExistingFolder(FView->EditText(BrandView::kDataDir)));
  keep(SrcDir, ExistingFolder(FView->EditText(BrandView::kSrcDir)));
  keep(OutputDir, ExistingFolder(FView->EditText(BrandView::kOutputDir)));
  FView->Close(mrOK);
}

void TfrmBrand::btnCancelClick() { FView->Close(mrCancel); }

void TfrmBrand::btnSelectImageClick() {
  const std::string chosen =
      FDialogs.OpenFile(ExistingFile(FView->EditText(BrandView::kImage)), ".bmp", kImageFilter);
  if (!chosen.empty()) FView->SetEditText(BrandView::kImage, chosen);
}

void TfrmBrand::btnSelectIconClick() {
  std::string file = ExistingFile(FView->EditText(BrandView::kIcon));
  if (BrowseForFile(FDialogs, file, ".ico")) FView->SetEditText(BrandView::kIcon, file);
}

void TfrmBrand::SelectFolder(BrandView::TEdit edit, const std::string& fallback) {
  std::string folder = ExistingFolder(FView->EditText(edit));
  if (folder.empty()) folder = THi::ExpandPath(fallback);
  if (BrowseForFolder(FDialogs, folder, kFolderText) && THi::DirectoryExists(folder))
    FView->SetEditText(edit, folder);
}

void TfrmBrand::btnSelectSrcDirClick() { SelectFolder(BrandView::kSrcDir, AppFolder("www")); }

void TfrmBrand::Button1Click() { SelectFolder(BrandView::kDataDir, AppFolder("data/mysql")); }

void TfrmBrand::btnSelectOutputDirClick() { SelectFolder(BrandView::kOutputDir, THi::GetDesktopDir()); }

void TfrmBrand::BrowseClick(BrandView::TEdit edit) {
  switch (edit) {
    case BrandView::kImage: return btnSelectImageClick();
    case BrandView::kIcon: return btnSelectIconClick();
    case BrandView::kSrcDir: return btnSelectSrcDirClick();
    case BrandView::kDataDir: return Button1Click();
    case BrandView::kOutputDir: return btnSelectOutputDirClick();
    case BrandView::kTitle: return;
  }
}

void TfrmBrand::SpinEdit1Exit() {
  FPortText = port_edit::ExitText(FView->PortText(), FPortText);
  FView->SetPortText(FPortText);
}
