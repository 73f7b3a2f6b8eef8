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

#include "shell/browser_form.h"
#include "shell/gtk/webkit_engine.h"

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
  void SetProgress(bool visible, int position, int maximum);
  void SetButtonEnabled(TToolButton button, bool enabled);
  void SetButtonVisible(TToolButton button, bool visible);
  void SetToolbarVisible(bool visible);
  void SetStatusBarVisible(bool visible);
  int ToolbarHeight() const;
  int StatusBarHeight() const;

 private:
  GtkWidget* MakeTopBar();
  GtkWidget* MakeStatusBar();
  static void OnButton(GtkToolButton* button, gpointer self);
  static void OnGo(GtkButton*, gpointer self);
  static void OnAddressChanged(GtkComboBox* combo, gpointer self);
  static gboolean OnAddressKey(GtkWidget*, GdkEventKey* event, gpointer self);
  static gboolean OnWindowKey(GtkWidget*, GdkEventKey* event, gpointer self);

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
  bool updatingAddress_ = false;
};

// A BrowserView (or a view built on one) made of BrowserWidgets.
template <typename View>
class GtkBrowserView : public View {
 public:
  GtkBrowserView(GtkWindow* window, WebKitEngine* opener) : widgets_(window, opener) {}

  BrowserEngine& Engine() override { return widgets_.Engine(); }
  void SetCaption(const std::string& caption) override { widgets_.SetCaption(caption); }
  std::string AddressText() const override { return widgets_.AddressText(); }
  void SetAddressText(const std::string& text) override { widgets_.SetAddressText(text); }
  void SetAddressList(const std::vector<std::string>& items, int selected) override {
    widgets_.SetAddressList(items, selected);
  }
  void SetStatusText(const std::string& text) override { widgets_.SetStatusText(text); }
  void SetProgress(bool visible, int position, int maximum) override {
    widgets_.SetProgress(visible, position, maximum);
  }
  void SetButtonEnabled(TToolButton button, bool enabled) override {
    widgets_.SetButtonEnabled(button, enabled);
  }
  void SetButtonVisible(TToolButton button, bool visible) override {
    widgets_.SetButtonVisible(button, visible);
  }
  void SetToolbarVisible(bool visible) override { widgets_.SetToolbarVisible(visible); }
  void SetStatusBarVisible(bool visible) override { widgets_.SetStatusBarVisible(visible); }

 protected:
  BrowserWidgets widgets_;
};
