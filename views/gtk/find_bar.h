// The find bar of a browser window on GTK: a text box, Previous and Next,
// and the number of matches in the page, which it follows as the page
// changes. Matching ignores letter case; Escape closes it.
#pragma once

#include <webkit2/webkit2.h>

#include <string>

class FindBar {
 public:
  explicit FindBar(WebKitWebView* view);
  ~FindBar();
  FindBar(const FindBar&) = delete;
  FindBar& operator=(const FindBar&) = delete;

  GtkWidget* Widget() const { return bar_; }
  // Shows the bar with the focus in its text box, the text selected.
  void Open();
  void Close();

 private:
  void Search();
  static void OnChanged(GtkSearchEntry*, gpointer self);
  static void OnNext(GtkWidget*, gpointer self);
  static void OnPrevious(GtkWidget*, gpointer self);
  static void OnStop(GtkSearchEntry*, gpointer self);
  static void OnClose(GtkButton*, gpointer self);
  static void OnFound(WebKitFindController*, guint count, gpointer self);
  static void OnNotFound(WebKitFindController*, gpointer self);
  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static gboolean OnRecount(gpointer self);
  static void OnPageCounted(GObject* view, GAsyncResult* result, gpointer self);

  WebKitWebView* view_;
  WebKitFindController* finder_;
  GtkWidget* bar_;
  GtkWidget* entry_;
  GtkWidget* count_;
  GCancellable* pending_;
  guint recount_ = 0;
  // How often the page's words held the text at the last look; -1 after a search.
  int seen_ = -1;
};
