// The widgets of a browser window on GTK: the top bar (tool bar, address box
// with its list, Go), the page, and the status bar with its progress bar.
// They report to the window's form; GtkBrowserView turns them into a
// BrowserView.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/browser_form.h"
#include "views/gtk/find_bar.h"
#include "views/gtk/webkit_engine.h"

class BrowserWidgets {
 public:
  // Packs the widgets into the window; `opener` is the engine whose page
  // opened this window, if any.
  BrowserWidgets(GtkWindow* window, WebKitEngine* opener);
  ~BrowserWidgets();
  BrowserWidgets(const BrowserWidgets&) = delete;
  BrowserWidgets& operator=(const BrowserWidgets&) = delete;

  // The form the widgets report to (null: they report nothing).
  void SetForm(TBrowserForm* form) { form_ = form; }
  // The Favorites button's body and the Rebrand button (main window only).
  std::function<void()> onFavorites;
  std::function<void()> onBrand;

  WebKitEngine& Engine() { return *engine_; }
  GtkWindow* Window() const { return window_; }
  GtkWidget* FavoritesButton() const { return buttons_[5]; }

  void SetCaption(const std::string& caption);
  std::string AddressText() const;
  void SetAddressText(const std::string& text);
  void SetAddressList(const std::vector<std::string>& items, int selected);
  void SetStatusText(const std::string& text);
  void ShowStatusNote(const std::string& text);
  bool ShowFindBar();
  void SetProgress(bool visible, int position, int maximum);
  void SetButtonEnabled(TToolButton button, bool enabled);
  void SetButtonVisible(TToolButton button, bool visible);
  void SetToolbarVisible(bool visible);
  void SetStatusBarVisible(bool visible);
  int ToolbarHeight() const;
  int StatusBarHeight() const;
  std::string SaveFileDialog(const std::string& folder, const std::string& suggestedName);

 private:
  GtkWidget* MakeTopBar();
  GtkWidget* MakeStatusBar();
  static void OnButton(GtkToolButton* button, gpointer self);
  static void OnGo(GtkButton*, gpointer self);
  static void OnAddressChanged(GtkComboBox* combo, gpointer self);
  static gboolean OnAddressKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnWindowKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnUnclaimedKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnWheel(GtkWidget*, GdkEventScroll* event, gpointer self);
  static gboolean OnNoteEnd(gpointer self);

  GtkWindow* window_;
  std::unique_ptr<WebKitEngine> engine_;
  TBrowserForm* form_ = nullptr;
  GtkWidget* topBar_ = nullptr;
  GtkWidget* buttons_[kToolButtonCount] = {};
  GtkWidget* separator_ = nullptr;
  GtkWidget* address_ = nullptr;
  GtkWidget* statusBar_ = nullptr;
  GtkWidget* statusText_ = nullptr;
  GtkWidget* progressFrame_ = nullptr;
  GtkWidget* progress_ = nullptr;
  GtkWidget* box_ = nullptr;
  std::unique_ptr<FindBar> findBar_;
  std::string status_;  // the status text, while a note shows
  guint noteTimer_ = 0;
  bool updatingAddress_ = false;
};

// The widgets as the window's BrowserView (or a view built on one), with
// the save dialog for the files its pages send.
template <typename View>
class GtkBrowserView : public BrowserWidgetsView<View, BrowserWidgets> {
 public:
  using BrowserWidgetsView<View, BrowserWidgets>::BrowserWidgetsView;
  std::string SaveFileDialog(const std::string& folder, const std::string& suggestedName) override {
    return this->widgets_.SaveFileDialog(folder, suggestedName);
  }
  bool ShowFindBar() override { return this->widgets_.ShowFindBar(); }
};
