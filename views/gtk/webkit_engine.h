// The browser engine of a window on Linux: a WebKitWebView behind the
// BrowserEngine interface. A page's new window is another WebKitEngine,
// created related to its opener so the page can load into it. The files its
// pages send go where the window's form says; an engine that goes cancels
// those still arriving.
#pragma once

#include <webkit2/webkit2.h>

#include <map>
#include <string>

#include "forms/browser_engine.h"

class WebKitEngine : public BrowserEngine {
 public:
  // `opener`: the engine whose page asked for this window, or null.
  explicit WebKitEngine(WebKitEngine* opener = nullptr);
  ~WebKitEngine() override;
  WebKitEngine(const WebKitEngine&) = delete;
  WebKitEngine& operator=(const WebKitEngine&) = delete;

  GtkWidget* Widget() const { return GTK_WIDGET(view_); }

  void SetEvents(BrowserEvents* events) override { events_ = events; }
  void Navigate(const std::string& address) override;
  void GoBack() override { webkit_web_view_go_back(view_); }
  void GoForward() override { webkit_web_view_go_forward(view_); }
  void Refresh() override { webkit_web_view_reload(view_); }
  void Stop() override { webkit_web_view_stop_loading(view_); }
  std::string LocationURL() const override;
  bool Busy() const override { return busy_; }
  int ReadyState() const override { return readyState_; }
  void SetSilent(bool silent) override { silent_ = silent; }
  TWindowRequest WindowRequest() const override;
  // Zoom, print, the inspector (webkit_tools.cpp).
  void SetZoom(int percent) override;
  void Print() override;
  void SetDeveloperTools(bool allowed) override;
  void ShowInspector() override;

 private:
  void EndWarmUp();
  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static void OnTitle(GObject*, GParamSpec*, gpointer self);
  static void OnProgress(GObject*, GParamSpec*, gpointer self);
  static void OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer self);
  static GtkWidget* OnCreate(WebKitWebView*, WebKitNavigationAction*, gpointer self);
  static void OnReadyToShow(WebKitWebView*, gpointer self);
  static void OnClose(WebKitWebView*, gpointer self);
  static void OnTopFrameRequest(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer self);
  static void OnClipboardChange(GtkClipboard*, GdkEvent*, gpointer self);
  static gboolean OnScriptDialog(WebKitWebView*, WebKitScriptDialog*, gpointer self);
  static gboolean OnPrint(WebKitWebView*, WebKitPrintOperation*, gpointer self);
  static gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self);
  static gboolean OnDecideDestination(WebKitDownload* download, const gchar* suggested, gpointer self);
  static void OnDownloadData(WebKitDownload* download, guint64, gpointer self);
  static void OnDownloadFailed(WebKitDownload* download, GError* error, gpointer self);
  static void OnDownloadFinished(WebKitDownload* download, gpointer self);
  void CommandStates();
  bool IsStackPage(const std::string& address) const;
  void GrantPrivileges(bool granted);
  // Tells the top document its window's number and, on a page of the
  // stack's, the clipboard's text.
  void TellTopFrame();

  // A download of this view's pages, from its start to its end.
  struct TDownload {
    int id = 0;
    bool asking = false;    // the save dialog is open
    bool finished = false;  // it ended while the dialog was open
    std::string error;      // why it failed, when it did
  };
  void EndDownload(WebKitDownload* download);

  WebKitUserContentManager* content_;
  WebKitWebView* view_;
  // The first window's stand-in, related to its view, which makes the engine
  // start its web process before the first page is asked for; it goes once
  // that page has loaded.
  WebKitWebView* warmUp_ = nullptr;
  BrowserEvents* events_ = nullptr;
  bool busy_ = false;
  std::string hoveredLink_;  // the link under the pointer, as last told
  int readyState_ = 0;
  bool silent_ = false;
  // The page shown is one of the stack's, or there is none yet.
  bool stackPageShown_ = true;
  int id_ = 0;  // the window's number, as its top frame names it
  // Kept while the engine lives: the program's last window may go after the display.
  GtkClipboard* clipboard_ = GTK_CLIPBOARD(g_object_ref(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)));
  std::map<WebKitDownload*, TDownload> downloads_;
};
