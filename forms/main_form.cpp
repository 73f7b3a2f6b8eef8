// TfrmMain's main window: showing and hiding it, the tray icon, favorites,
// help and About, popups, and closing the splash once the first page is in.
#include "forms/main_form.h"

#include "forms/main_view.h"
#include "forms/main_window_view.h"
#include "util/platform.h"
#include "util/product.h"
#include "util/shell_library.h"

TfrmMain::TfrmMain(MainView* view)
    : TMainRun(view),
      FMainView(view),
      FPopups([this](TfrmBrowser& form, BrowserEngine& opener) -> std::unique_ptr<PopupView> {
        MainWindowView* window = Window();
        return window ? window->CreatePopup(form, opener) : nullptr;
      }) {
  AttachView(view);
}

void TfrmMain::AttachView(MainView* view) {
  FMainView = view;
  SetRunView(view);
  SetView(Window());
  if (MainWindowView* window = Window()) window->Engine().SetEvents(this);
}

// The tray icon goes before the window it belongs to, and the window's
// engine reports to this form no more.
TfrmMain::~TfrmMain() {
  FTrayIcon.reset();
  if (MainWindowView* window = Window()) window->Engine().SetEvents(nullptr);
}

MainWindowView* TfrmMain::Window() const { return FMainView ? FMainView->Window() : nullptr; }

std::string TfrmMain::HomeUrl() const { return "http://127.0.0.1:" + std::to_string(FHttpPort); }

void TfrmMain::TitleChanged(const std::string& title) {
  if (MainWindowView* window = Window()) window->SetApplicationTitle(title);
}

void TfrmMain::FormActivate() {
  if (FSplashPid != 0 && Window()) Window()->EnableCloseSplashTimer(true);
}

// The splash stays until the first page has loaded completely.
void TfrmMain::tmrCloseSplashTimer() {
  MainWindowView* window = Window();
  if (!window) return;
  const BrowserEngine& engine = window->Engine();
  if (engine.Busy() || engine.ReadyState() != kReadyStateComplete) return;
  window->EnableCloseSplashTimer(false);
  THi::KillProcess(FSplashPid);
}

void TfrmMain::WndProc(TWindowMessage message) {
  // A log-off also ends a start-up that is still waiting for its servers.
  if (message == TWindowMessage::kQueryEndSession) QuitApplication();
  if (!FStarted) return;
  MainWindowView* window = Window();
  if (FUseTrayIcon) SetTrayIcon(true);
  // Minimising hides the window to the tray.
  if (FUseTrayIcon && FTrayIcon && message == TWindowMessage::kMinimized && window &&
      window->WindowVisible())
    ShowMainWindow(false);
  // The medium that holds the program file was removed.
  if (message == TWindowMessage::kDeviceChange && !THi::FileExists(THi::GetProgramFile()))
    QuitApplication();
  FPopups.Sweep();
  WatchServers();
}

void TfrmMain::ShowMainWindow(bool show) {
  if (MainWindowView* window = Window()) window->ShowWindow(show);
}

void TfrmMain::ToggleMainWindow() {
  if (MainWindowView* window = Window()) ShowMainWindow(!window->WindowVisible());
}

// Created once the desktop has a notification area, also one that starts later.
void TfrmMain::SetTrayIcon(bool create) {
  MainWindowView* window = Window();
  if (!create) {
    FTrayIcon.reset();
    return;
  }
  if (FTrayIcon || !window || THi::GetShellProcessId() == 0) return;
  auto icon = std::make_unique<TTrayIconMan>();
  icon->SetView(window->CreateTrayIcon(*icon));
  icon->Install(AppName, true, [this] { ToggleMainWindow(); });
  FTrayIcon = std::move(icon);
}

void TfrmMain::EnableTrayIcon(bool enabled) {
  if (FTrayIcon) FTrayIcon->SetEnabled(enabled);
}

void TfrmMain::EnterFullScreen() {
  MainWindowView* window = Window();
  if (!window || !window->HasBorder()) return;
  window->SetToolbarVisible(false);
  window->SetStatusBarVisible(false);
  window->EnterFullScreen();
}

bool TfrmMain::ToggleFullScreen() {
  MainWindowView* window = Window();
  if (!window) return false;
  if (ConfigIsOn("brand") && ConfigIsOn("fullscreen")) return true;
  if (window->HasBorder()) {
    EnterFullScreen();
    return true;
  }
  window->LeaveFullScreen();
  window->SetToolbarVisible(FShowToolbar);
  window->SetStatusBarVisible(FShowStatusBar);
  window->Maximize();
  return true;
}

std::string TfrmMain::LoadFavorites() {
  const std::string file = FavoritesFile();
  if (MainWindowView* window = Window()) window->SetFavorites(FavoritesMenu(file));
  return file;
}

void TfrmMain::OpenFavoritesFile() {
  if (!FFavoritesFile.empty()) THi::EditTextFile(FFavoritesFile);
}

void TfrmMain::FavoriteFolderClick(const std::string& caption) {
  const std::string folder = FavoriteFolder(FFavoritesFile, caption);
  if (!folder.empty()) THi::OpenFolder(folder, kShowNormal);
}

void TfrmMain::FavoriteUrlClick(const std::string& caption) {
  if (FFavoritesFile.empty() || !THi::FileExists(FFavoritesFile) || !Window()) return;
  Window()->SetAddressText(FavoriteUrl(FFavoritesFile, caption, FHttpPort));
  NavigateToAddress();
}

// The tools come with the Rebrand, Down Size and Server Settings dialogs.
// The stack's own help pages when it has them, else the maker's site.
void TfrmMain::mnuTray_HelpClick() {
  MainWindowView* window = Window();
  if (!window) return;
  const char sep = platform::kPathDelim;
  const std::string help = THi::GetAppPath() + "www" + sep + "help" + sep + "index.php";
  window->SetAddressText(THi::FileExists(help) ? HomeUrl() + "/help" : product::kMakerWebsite);
  ShowMainWindow(true);
  NavigateToAddress();
}

void TfrmMain::mnuTray_LogsClick() {
  MainWindowView* window = Window();
  if (!window) return;
  window->SetAddressText(HomeUrl() + "/lodestack/logs/");
  ShowMainWindow(true);
  NavigateToAddress();
}

void TfrmMain::mnuTray_EmailClick() { THi::OpenContactMail(); }

void TfrmMain::mnuTray_WebsiteClick() {
  MainWindowView* window = Window();
  if (!window) return;
  ShowMainWindow(true);
  window->SetAddressText(product::kMakerWebsite);
  NavigateToAddress();
}

void TfrmMain::mnuTray_AboutClick() {
  MainWindowView* window = Window();
  if (!window) return;
  EnableTrayIcon(false);
  window->ShowAbout(AppName, product::kFileVersion, product::kCopyrightYear);
  EnableTrayIcon(true);
}

void TfrmMain::WebBrowser1Close() {
  if (MainWindowView* window = Window(); window && IsStackPage(window->Engine().LocationURL()))
    QuitApplication();
}

BrowserEngine* TfrmMain::WebBrowser1NewWindow2() {
  MainWindowView* window = Window();
  return window ? FPopups.Open(window->Engine(), HomeUrl()) : nullptr;
}

void TfrmMain::TitleApplied() {
  if (MainWindowView* window = Window()) window->Maximize();
}

// The window's part of the start-up, once the servers run: favorites, the
// tools a CD-ROM or a branded copy leaves out, the bars, a silent engine.
void TfrmMain::PrepareWindow() {
  if (!Window()) return;
  MainWindowView& window = *Window();
  FFavoritesFile = LoadFavorites();
  const bool cdRom = THi::IsCdRom();
  const bool brand = ConfigIsOn("brand");
  for (int i = 0; i < kTrayItemCount; ++i) {
    const auto item = static_cast<TTrayItem>(i);
    // A branded copy keeps Show/Hide, the first separator and Exit.
    const bool visible = !brand || i < 2 || item == TTrayItem::kExit;
    const bool tool = item == TTrayItem::kDownSize || item == TTrayItem::kSettings;
    window.SetTrayItem(item, visible, !(tool && cdRom));
  }
  if (brand) {
    for (int i = kNavigationButtons; i < kToolButtonCount; ++i)
      window.SetButtonVisible(static_cast<TToolButton>(i), false);
  }
  window.SetToolbarVisible(FShowToolbar);
  window.SetStatusBarVisible(FShowStatusBar);
  window.SetProgress(false, 0, 0);
  LoadShellLibrary();
  window.Engine().SetSilent(true);
  const bool devtools = DeveloperTools();
  window.Engine().SetDeveloperTools(devtools);
  FPopups.SetDeveloperTools(devtools);
}

// With a window, the failure is an error box; the splash is gone by then.
void TfrmMain::StartFailed(const std::string& message) {
  MainWindowView* window = Window();
  if (!window) return TMainRun::StartFailed(message);
  window->Dialogs().AppMessageBox(message, kMbOk | kMbIconError);
}

// The status bar keeps the news; the box offers to start the server again.
bool TfrmMain::ServerEnded(const std::string& message) {
  MainWindowView* window = Window();
  if (!window) return TMainRun::ServerEnded(message);
  window->SetStatusText(message.substr(0, message.find('\n')));
  EnableTrayIcon(false);
  const bool restart =
      window->Dialogs().AppMessageBox(message + "\n\nRestart it?", kMbYesNo | kMbIconWarning) == mrYes;
  EnableTrayIcon(true);
  if (restart) window->SetStatusText("");
  return restart;
}

void TfrmMain::ShowStatusLine(const std::string& line) {
  if (MainWindowView* window = Window()) window->SetStatusText(line);
}

void TfrmMain::ShowNotice(const std::string& message) {
  MainWindowView* window = Window();
  if (!window) return TMainRun::ShowNotice(message);
  EnableTrayIcon(false);
  window->Dialogs().AppMessageBox(message, kMbOk | kMbIconWarning);
  EnableTrayIcon(true);
}

// Nothing of the window acts while the servers are being stopped.
void TfrmMain::ShutDownBegins() {
  FPopups.CloseAll();
  if (MainWindowView* window = Window()) window->ShowWindow(false);
}

void TfrmMain::ShowHome(const std::string& address) {
  MainWindowView* window = Window();
  // Without a window of its own the start page has gone to the user's
  // browser, as to an external one: the splash has nothing to wait for.
  if (!window) {
    if (FSplashPid != 0) THi::KillProcess(FSplashPid);
    return;
  }
  window->SetAddressText(address);
  NavigateToAddress();
  if (ConfigIsOn("fullscreen")) EnterFullScreen();
  ShowMainWindow(true);
}
