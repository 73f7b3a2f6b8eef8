#include "forms/popup_form.h"

#include <algorithm>

TPlacement PlacePopup(const TWindowRequest& request, const TWindowMetrics& metrics) {
  TPlacement placement;
  if (!request.hasPosition) {
    placement.width = 800;
    placement.height = 600;
    placement.left = (metrics.screenWidth - placement.width) / 2;
    placement.top = (metrics.screenHeight - placement.height) / 2;
    return placement;
  }
  placement.toolbar = request.menuBar && request.toolBar && request.addressBar;
  placement.statusBar = request.statusBar;
  placement.width = metrics.frameWidth + request.width;
  placement.height = (placement.toolbar ? metrics.toolbarHeight : 0) + metrics.frameHeight +
                     request.height + (placement.statusBar ? metrics.statusBarHeight : 0);
  placement.left = request.left;
  placement.top = request.top;
  return placement;
}

BrowserEngine* TPopupWindows::Open(BrowserEngine& opener, const std::string& homeUrl) {
  TPopup popup{std::make_unique<TfrmBrowser>(*this, homeUrl), nullptr};
  popup.view = FFactory(*popup.form, opener);
  if (!popup.view) return nullptr;
  popup.form->SetView(popup.view.get());
  popup.form->FormCreate();
  BrowserEngine& engine = popup.view->Engine();
  engine.SetEvents(popup.form.get());
  FOpen.push_back(std::move(popup));
  return &engine;
}

void TPopupWindows::Close(TfrmBrowser& form) {
  const auto it = std::find_if(FOpen.begin(), FOpen.end(),
                               [&](const TPopup& popup) { return popup.form.get() == &form; });
  if (it == FOpen.end()) return;
  it->view->Engine().SetEvents(nullptr);
  it->view->Close();
  FClosed.push_back(std::move(*it));
  FOpen.erase(it);
}

void TPopupWindows::CloseAll() {
  while (!FOpen.empty()) Close(*FOpen.back().form);
}

// A popup closed while its save dialog runs goes once the dialog is closed.
void TPopupWindows::Sweep() {
  std::erase_if(FClosed, [](const TPopup& popup) { return !popup.form->InSaveDialog(); });
}

void TfrmBrowser::FormCreate() {
  FFirstNavigation = true;
  if (!FView) return;
  FView->SetCaption("");
  FView->Engine().SetSilent(true);
  FView->Engine().SetDeveloperTools(FOwner.DeveloperTools());
  FView->SetProgress(false, 0, 0);
  for (int i = 0; i < kToolButtonCount; ++i)
    FView->SetButtonVisible(static_cast<TToolButton>(i), i < kNavigationButtons);
}

BrowserEngine* TfrmBrowser::WebBrowser1NewWindow2() {
  if (!FView) return nullptr;
  return FOwner.Open(FView->Engine(), FHomeUrl);
}

// The window is placed once, before its first page, as that page's opener asked.
void TfrmBrowser::WebBrowser1BeforeNavigate2() {
  if (!FFirstNavigation || !FView) return;
  FFirstNavigation = false;
  PopupView* popup = Popup();
  const TPlacement placement = PlacePopup(FView->Engine().WindowRequest(), popup->Metrics());
  popup->SetToolbarVisible(placement.toolbar);
  popup->SetStatusBarVisible(placement.statusBar);
  popup->SetBounds(placement.left, placement.top, placement.width, placement.height);
  popup->Show();
}
