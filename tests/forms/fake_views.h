// Fake windows for the browser forms: they record what the forms ask of
// them, so the rules are tested without a display. Message boxes and error
// reports are the exception a test must ask for: whatever it did not take
// (TakeBoxes, TakeErrors) fails the test when the fake goes.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "forms/brand_form.h"
#include "forms/browser_engine.h"
#include "forms/main_view.h"
#include "forms/main_window_view.h"
#include "forms/popup_form.h"

namespace fake {

class FakeEngine : public BrowserEngine {
 public:
  void SetEvents(BrowserEvents* e) override { events = e; }
  void Navigate(const std::string& address) override { calls.push_back("navigate " + address); }
  void GoBack() override { calls.push_back("back"); }
  void GoForward() override { calls.push_back("forward"); }
  void Refresh() override { calls.push_back("refresh"); }
  void Stop() override { calls.push_back("stop"); }
  std::string LocationURL() const override { return location; }
  bool Busy() const override { return busy; }
  int ReadyState() const override { return readyState; }
  void SetSilent(bool s) override { silent = s; }
  TWindowRequest WindowRequest() const override { return request; }
  void SetZoom(int percent) override { calls.push_back("zoom " + std::to_string(percent)); }
  void Print() override { calls.push_back("print"); }
  void SetDeveloperTools(bool allowed) override { devtools = allowed; }
  void ShowInspector() override { calls.push_back("inspector"); }

  BrowserEvents* events = nullptr;
  bool devtools = false;
  std::vector<std::string> calls;
  std::string location;
  bool busy = false;
  int readyState = 0;
  bool silent = false;
  TWindowRequest request;
};

template <typename View>
class BrowserWindow : public View {
 public:
  BrowserEngine& Engine() override { return engine; }
  void SetCaption(const std::string& c) override { caption = c; }
  std::string AddressText() const override { return address; }
  void SetAddressText(const std::string& text) override { address = text; }
  void SetAddressList(const std::vector<std::string>& items, int index) override {
    list = items;
    selected = index;
    if (index >= 0) address = items[static_cast<std::size_t>(index)];
  }
  void SetStatusText(const std::string& text) override { status = text; }
  void ShowStatusNote(const std::string& text) override { note = text; }
  bool ShowFindBar() override {
    if (hasFindBar) ++findBars;
    return hasFindBar;
  }
  void SetProgress(bool shown, int position, int maximum) override {
    progressVisible = shown;
    progress = position;
    progressMax = maximum;
  }
  void SetButtonEnabled(TToolButton b, bool e) override { enabled[b] = e; }
  void SetButtonVisible(TToolButton b, bool v) override { visible[b] = v; }
  void SetToolbarVisible(bool v) override { toolbar = v; }
  void SetStatusBarVisible(bool v) override { statusBar = v; }
  // Records where the dialog started and with what name; answers saveAs.
  std::string SaveFileDialog(const std::string& folder, const std::string& name) override {
    saveDialogs.push_back(folder + " | " + name);
    if (whileSaveDialog) whileSaveDialog();
    return saveAs;
  }

  FakeEngine engine;
  std::string caption = "(none)";
  std::string address;
  std::vector<std::string> list;
  int selected = -1;
  std::string status;
  std::string note;
  bool hasFindBar = true;
  int findBars = 0;
  bool progressVisible = true;
  int progress = -1;
  int progressMax = -1;
  std::map<TToolButton, bool> enabled;
  std::map<TToolButton, bool> visible;
  bool toolbar = true;
  bool statusBar = true;
  std::vector<std::string> saveDialogs;
  std::string saveAs;
  std::function<void()> whileSaveDialog;
};

class Popup : public BrowserWindow<PopupView> {
 public:
  TWindowMetrics Metrics() const override { return metrics; }
  void SetBounds(int l, int t, int w, int h) override { bounds = {l, t, w, h}; }
  void Show() override { shown = true; }
  void Close() override { closed = true; }

  TWindowMetrics metrics{1280, 800, 0, 0, 40, 20};
  std::vector<int> bounds;
  bool shown = false;
  bool closed = false;
};

class TrayIcon : public TrayIconView {
 public:
  explicit TrayIcon(std::vector<std::string>& log) : calls(log) {}
  void AddIcon(const std::string& tip) override { calls.push_back("add " + tip); }
  void RemoveIcon() override { calls.push_back("remove"); }
  void PopupMenu() override { calls.push_back("menu"); }
  bool OwnerVisible() const override { return ownerVisible; }
  void BringOwnerToFront() override { calls.push_back("front"); }
  std::uint32_t TickCount() const override { return *tick; }
  std::uint32_t DoubleClickTime() const override { return 500; }

  std::vector<std::string>& calls;
  std::shared_ptr<std::uint32_t> tick = std::make_shared<std::uint32_t>(1000);
  bool ownerVisible = true;
};

// Message boxes answer from a queue (mrYes when it is empty) and are recorded
// with their captions; the pickers answer what the test set.
class FakeDialogs : public DialogServices {
 public:
  ~FakeDialogs() override {
    for (const std::string& box : boxes) ADD_FAILURE() << "a message box nobody expected: " << box;
  }
  // The boxes shown so far, which the test thereby expects.
  std::vector<std::string> TakeBoxes() { return std::exchange(boxes, {}); }

  int AppMessageBox(const std::string& text, unsigned flags) override {
    boxes.push_back(AppMessageBoxCaption(flags, "App") + ": " + text);
    if (answers.empty()) return mrYes;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void SetBusy(bool busy) override { busyCalls.push_back(busy); }
  std::string OpenFile(const std::string& initial, const std::string& ext, const std::string& filter) override {
    pickers.push_back("file " + initial + " " + ext + " " + filter);
    return chosen;
  }
  std::string BrowseForFolder(const std::string& text, const std::string& initial) override {
    pickers.push_back("folder " + text + " " + initial);
    return chosen;
  }

  std::deque<int> answers;
  std::vector<std::string> boxes;
  std::vector<bool> busyCalls;
  std::vector<std::string> pickers;
  std::string chosen;
};

// The Rebrand dialog's controls as plain values.
class BrandDialog : public ::BrandView {
 public:
  std::string EditText(TEdit e) const override { return edits.count(e) ? edits.at(e) : ""; }
  void SetEditText(TEdit e, const std::string& text) override { edits[e] = text; }
  int ListIndex(TList l) const override { return lists.count(l) ? lists.at(l) : -1; }
  void SetListIndex(TList l, int index) override { lists[l] = index; }
  std::string PortText() const override { return port; }
  void SetPortText(const std::string& text) override { port = text; }
  void SetRowEnabled(TRow row, bool enabled) override { rows[row] = enabled; }
  bool DevToolsChecked() const override { return devTools; }
  void SetDevToolsChecked(bool checked) override { devTools = checked; }
  void Close(TModalResult r) override { result = r; }

  std::map<TEdit, std::string> edits;
  std::map<TList, int> lists;
  std::string port;
  std::map<TRow, bool> rows;
  bool devTools = true;  // until the form says
  TModalResult result = mrNone;
};

class MainWindow : public BrowserWindow<MainWindowView> {
 public:
  void SetApplicationTitle(const std::string& t) override { appTitle = t; }
  void SetFavorites(const std::vector<TFavoriteEntry>& menu) override { favorites = menu; }
  void SetTrayItem(TTrayItem item, bool v, bool e) override { trayItems[item] = {v, e}; }
  void Maximize() override { maximized = true; }
  void ShowWindow(bool show) override { windowVisible = show; }
  bool WindowVisible() const override { return windowVisible; }
  bool HasBorder() const override { return !fullScreen; }
  void EnterFullScreen() override { fullScreen = true; }
  void LeaveFullScreen() override { fullScreen = false; }
  void EnableCloseSplashTimer(bool e) override { splashTimer = e; }
  std::unique_ptr<TrayIconView> CreateTrayIcon(TrayIconEvents&) override {
    return std::make_unique<TrayIcon>(trayCalls);
  }
  std::unique_ptr<PopupView> CreatePopup(TfrmBrowser&, BrowserEngine&) override {
    auto popup = std::make_unique<Popup>();
    popups.push_back(popup.get());
    return popup;
  }
  void ShowAbout(const std::string& title, const std::string& version,
                 const std::string& year) override {
    about.push_back(title + " " + version + " " + year);
  }
  // Each dialog runs the test's script against the form, or is cancelled.
  TModalResult ShowSettings(TfrmSettings& form) override { return settings ? settings(form) : mrCancel; }
  TModalResult ShowDownSize(TfrmDownSize& form) override { return downSize ? downSize(form) : mrCancel; }
  TModalResult ShowBrand(TfrmBrand& form) override { return brand ? brand(form) : mrCancel; }
  DialogServices& Dialogs() override { return dialogs; }

  std::function<TModalResult(TfrmSettings&)> settings;
  std::function<TModalResult(TfrmDownSize&)> downSize;
  std::function<TModalResult(TfrmBrand&)> brand;
  FakeDialogs dialogs;

  std::string appTitle;
  std::vector<TFavoriteEntry> favorites;
  std::map<TTrayItem, std::pair<bool, bool>> trayItems;  // visible, enabled
  bool maximized = false;
  bool windowVisible = false;
  bool fullScreen = false;
  bool splashTimer = false;
  std::vector<std::string> trayCalls;
  std::vector<Popup*> popups;
  std::vector<std::string> about;
};

// The run's view of a window that is the fake above.
class WindowedView : public MainView {
 public:
  ~WindowedView() override {
    for (const std::string& error : errors) ADD_FAILURE() << "an error nobody expected: " << error;
  }
  std::vector<std::string> TakeErrors() { return std::exchange(errors, {}); }

  void SetTitle(const std::string&) override {}
  void ProcessMessages() override {}
  void ShowError(const std::string& message) override { errors.push_back(message); }
  void OpenHome(const std::string&) override {}
  void RunMessageLoop() override {}
  void QuitApplication() override { quit = true; }
  bool QuitRequested() const override { return quit; }
  MainWindowView* Window() override { return &window; }
  bool quit = false;
  MainWindow window;
  std::vector<std::string> errors;
};

}  // namespace fake
