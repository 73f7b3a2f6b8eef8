#include "forms/browser_form.h"

#include <algorithm>

#include "forms/web_origin.h"

std::string TrimText(const std::string& text) {
  const auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const auto first = std::find_if_not(text.begin(), text.end(), isSpace);
  const auto last = std::find_if_not(text.rbegin(), text.rend(), isSpace).base();
  return first < last ? std::string(first, last) : std::string();
}

void TBrowserForm::NavigateToAddress() {
  if (FView) FView->Engine().Navigate(TrimText(FView->AddressText()));
}

void TBrowserForm::SelectAddress(int index) {
  FIndex = index;
  if (FView) FView->SetAddressList(FHistory, FIndex);
}

void TBrowserForm::cboAddressClick(int index) {
  if (index >= 0 && index < static_cast<int>(FHistory.size())) FIndex = index;
  NavigateToAddress();
}

bool TBrowserForm::cboAddressKeyDown(int key) {
  const int count = static_cast<int>(FHistory.size());
  switch (key) {
    case kKeyUp:
    case kKeyLeft:
      if (FIndex > 0) {
        SelectAddress(FIndex - 1);
        return true;
      }
      return false;
    case kKeyDown:
    case kKeyRight:
      if (FIndex < count - 1) {
        SelectAddress(FIndex + 1);
        return true;
      }
      return false;
    case kKeyReturn:
      NavigateToAddress();
      return true;
    default:
      return false;
  }
}

void TBrowserForm::cboAddressChange(const std::string& text) {
  if (text.empty()) FIndex = -1;
}

void TBrowserForm::btnBackClick() {
  if (FView) FView->Engine().GoBack();
}

void TBrowserForm::btnForwardClick() {
  if (FView) FView->Engine().GoForward();
}

void TBrowserForm::btnRefreshClick() {
  if (FView) FView->Engine().Refresh();
}

void TBrowserForm::btnStopClick() {
  if (FView) FView->Engine().Stop();
}

void TBrowserForm::btnHomeClick() {
  if (!FView) return;
  FView->SetAddressText(HomeUrl());
  NavigateToAddress();
}

void TBrowserForm::FormKeyDown(int key) {
  if (key == kKeyF5) btnRefreshClick();
}

void TBrowserForm::WebBrowser1StatusTextChange(const std::string& text) {
  if (FView) FView->SetStatusText(text);
}

// The history keeps the order in which addresses were first seen: a new one
// goes to the top, one seen before is selected where it stands.
void TBrowserForm::WebBrowser1TitleChange(const std::string& title) {
  if (FView) FView->SetCaption(title);
  TitleChanged(title);
  if (!FView) return;
  const std::string url = TrimText(FView->Engine().LocationURL());
  if (url.empty()) return;
  const auto found = std::find(FHistory.begin(), FHistory.end(), url);
  int index = static_cast<int>(found - FHistory.begin());
  if (found == FHistory.end()) {
    FHistory.insert(FHistory.begin(), url);
    index = 0;
  }
  if (FHistory.size() > kMaxAddresses) FHistory.pop_back();
  SelectAddress(index);
}

void TBrowserForm::WebBrowser1CommandStateChange(int command, bool enabled) {
  if (!FView) return;
  if (command == kCommandForward) FView->SetButtonEnabled(TToolButton::kForward, enabled);
  if (command == kCommandBack) FView->SetButtonEnabled(TToolButton::kBack, enabled);
}

void TBrowserForm::WebBrowser1ProgressChange(int progress, int maximum) {
  FPageProgress = progress;
  FPageMaximum = maximum;
  ShowProgress();
}

void TBrowserForm::ShowProgress() {
  if (!FView) return;
  if (FPageProgress <= 0 && FDownloads.Running())
    FView->SetProgress(true, FDownloads.Permille(), 1000);
  else
    FView->SetProgress(FPageProgress > 0, FPageProgress, FPageMaximum);
}

std::string TBrowserForm::WebBrowser1FileDownload(int download, const std::string& suggestedName) {
  if (!FView) return {};
  const std::string file = FDownloads.Begin(*FView, SaveFolder(), download, suggestedName);
  ShowProgress();
  return file;
}

void TBrowserForm::WebBrowser1FileDownloadProgress(int download, std::uint64_t received,
                                                   std::uint64_t total) {
  FDownloads.Progress(download, received, total);
  ShowProgress();
}

void TBrowserForm::WebBrowser1FileDownloadEnd(int download, const std::string& error) {
  if (FView) FDownloads.End(*FView, download, error);
  ShowProgress();
}

bool TBrowserForm::IsStackPage(const std::string& address) const {
  return SameOrigin(address, HomeUrl());
}
