#include "views/gtk/webkit_engine.h"

#include <glob.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "forms/web_origin.h"
#include "views/gtk/top_frame_bridge.h"
#include "views/gtk/upload_chooser.h"

namespace {

// IE's ready states, as the forms read them.
enum : int { kUninitialized = 0, kLoading = 1, kInteractive = 3 };

bool HasScheme(const std::string& address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = address[i];
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.')) return false;
  }
  // "localhost:8080/x" names a host and a port, not a scheme.
  return address.compare(colon, 3, "://") == 0 || address.rfind("about:", 0) == 0 ||
         address.rfind("mailto:", 0) == 0 || address.rfind("data:", 0) == 0 ||
         address.rfind("javascript:", 0) == 0;
}

// Without a GPU's render node every frame is drawn by the processor anyway;
// the engine's compositing would only add a GL renderer in software to it.
bool OnlySoftwareRendering() {
  static const bool software = [] {
    glob_t nodes;
    const bool none = glob("/dev/dri/renderD*", 0, nullptr, &nodes) != 0;
    globfree(&nodes);
    return none;
  }();
  return software;
}

// Each window has its own content manager, so a request of its top frame
// names its window, and its own settings, since the pages' privileges are
// its own.
WebKitWebView* NewView(WebKitEngine* opener, WebKitUserContentManager* manager) {
  WebKitSettings* settings = webkit_settings_new();
  if (OnlySoftwareRendering())
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  WebKitWebView* view = WEBKIT_WEB_VIEW(
      opener ? g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", opener->Widget(), "user-content-manager",
                            manager, "settings", settings, nullptr)
             : g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", manager, "settings", settings,
                            nullptr));
  g_object_unref(settings);
  return view;
}

// Every window's engine, by number: a popup's requests arrive at its
// opener's content manager.
std::vector<WebKitEngine*>& Engines() {
  static std::vector<WebKitEngine*> engines;
  return engines;
}
// The stack's top page is opening a window by script. One script runs at a
// time in the windows' web process, so the window the engine is asked for
// meanwhile is the one that page opens.
bool topFrameOpens = false;

}  // namespace

WebKitEngine::WebKitEngine(WebKitEngine* opener)
    : content_(NewTopFrameContentManager()), view_(NewView(opener, content_)) {
  static int lastId = 0;
  id_ = ++lastId;
  Engines().push_back(this);
  g_signal_connect(content_, TopFrameSignal().c_str(), G_CALLBACK(OnTopFrameRequest), this);
  // Kept alive by us, whatever container it is packed into and taken out of.
  g_object_ref_sink(view_);
  g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(view_, "notify::title", G_CALLBACK(OnTitle), this);
  g_signal_connect(view_, "notify::estimated-load-progress", G_CALLBACK(OnProgress), this);
  g_signal_connect(view_, "mouse-target-changed", G_CALLBACK(OnMouseTarget), this);
  g_signal_connect(view_, "create", G_CALLBACK(OnCreate), this);
  g_signal_connect(view_, "ready-to-show", G_CALLBACK(OnReadyToShow), this);
  g_signal_connect(view_, "close", G_CALLBACK(OnClose), this);
  g_signal_connect(view_, "script-dialog", G_CALLBACK(OnScriptDialog), this);
  g_signal_connect(view_, "print", G_CALLBACK(OnPrint), this);
  g_signal_connect(view_, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(view_, "run-file-chooser", G_CALLBACK(RunUploadChooser), nullptr);
  g_signal_connect(webkit_web_view_get_context(view_), "download-started", G_CALLBACK(OnDownloadStarted), this);
  g_signal_connect(clipboard_, "owner-change", G_CALLBACK(OnClipboardChange), this);
  // The web process starts with a view related to a running one; the first
  // window's first page would otherwise wait for it after the servers did.
  if (!opener && id_ == 1) {
    warmUp_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", view_, nullptr));
    g_object_ref_sink(warmUp_);
  }
}

void WebKitEngine::EndWarmUp() {
  if (warmUp_) g_object_unref(std::exchange(warmUp_, nullptr));
}

WebKitEngine::~WebKitEngine() {
  EndWarmUp();
  std::erase(Engines(), this);
  for (const auto& [download, state] : downloads_) {
    g_signal_handlers_disconnect_by_data(download, this);
    webkit_download_cancel(download);
    g_object_unref(download);
  }
  g_signal_handlers_disconnect_by_data(clipboard_, this);
  g_object_unref(clipboard_);
  g_signal_handlers_disconnect_by_data(webkit_web_view_get_context(view_), this);
  g_signal_handlers_disconnect_by_data(view_, this);
  g_signal_handlers_disconnect_by_data(content_, this);
  g_object_unref(view_);
  g_object_unref(content_);
}

// An address without a scheme is a web address, as the system's browser
// control would take it.
void WebKitEngine::Navigate(const std::string& address) {
  if (address.empty()) return;
  webkit_web_view_load_uri(view_, (HasScheme(address) ? address : "http://" + address).c_str());
}

std::string WebKitEngine::LocationURL() const {
  const gchar* uri = webkit_web_view_get_uri(view_);
  return uri ? uri : "";
}

TWindowRequest WebKitEngine::WindowRequest() const {
  TWindowRequest request;
  WebKitWindowProperties* properties = webkit_web_view_get_window_properties(view_);
  GdkRectangle geometry{};
  webkit_window_properties_get_geometry(properties, &geometry);
  request.hasPosition = geometry.x != 0 || geometry.y != 0;
  request.left = geometry.x;
  request.top = geometry.y;
  request.width = geometry.width > 0 ? geometry.width : 800;
  request.height = geometry.height > 0 ? geometry.height : 600;
  request.menuBar = webkit_window_properties_get_menubar_visible(properties);
  request.toolBar = webkit_window_properties_get_toolbar_visible(properties);
  request.addressBar = webkit_window_properties_get_locationbar_visible(properties);
  request.statusBar = webkit_window_properties_get_statusbar_visible(properties);
  return request;
}

void WebKitEngine::CommandStates() {
  if (!events_) return;
  events_->WebBrowser1CommandStateChange(kCommandBack, webkit_web_view_can_go_back(view_));
  events_->WebBrowser1CommandStateChange(kCommandForward, webkit_web_view_can_go_forward(view_));
}

bool WebKitEngine::IsStackPage(const std::string& address) const {
  return events_ && events_->IsStackPage(address);
}

// Pages of the stack open windows without a click, as the system's browser
// control lets its pages; other pages may not, as in an ordinary browser.
// The setting holds for every frame of the view: which of them asked is
// decided when the window is created (OnCreate). The clipboard's setting
// stays off; the stack's top page reaches the clipboard by the bridge.
void WebKitEngine::GrantPrivileges(bool granted) {
  webkit_settings_set_javascript_can_open_windows_automatically(webkit_web_view_get_settings(view_), granted);
}

// The page to come is known by its response, before any script of it runs:
// one from elsewhere loses the privileges then. A page of the stack gets them
// then only when it replaces one of the stack's (or nothing), and otherwise
// once it is shown, so that the page leaving never holds them.
gboolean WebKitEngine::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                      WebKitPolicyDecisionType type, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
  auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
  if (!webkit_response_policy_decision_is_main_frame_main_resource(response)) return FALSE;
  const gchar* uri = webkit_uri_response_get_uri(webkit_response_policy_decision_get_response(response));
  engine->GrantPrivileges(engine->stackPageShown_ && uri && engine->IsStackPage(uri));
  return FALSE;  // the engine decides as it would
}

void WebKitEngine::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  switch (event) {
    case WEBKIT_LOAD_STARTED:
      engine->busy_ = true;
      engine->readyState_ = kLoading;
      break;
    case WEBKIT_LOAD_REDIRECTED:
      break;
    case WEBKIT_LOAD_COMMITTED:
      engine->readyState_ = kInteractive;
      engine->stackPageShown_ = engine->IsStackPage(engine->LocationURL());
      engine->GrantPrivileges(engine->stackPageShown_);
      engine->CommandStates();
      break;
    case WEBKIT_LOAD_FINISHED:
      // A load that failed or became a download leaves the page shown.
      engine->GrantPrivileges(engine->stackPageShown_);
      engine->busy_ = false;
      engine->readyState_ = kReadyStateComplete;
      engine->CommandStates();
      if (engine->events_) engine->events_->WebBrowser1ProgressChange(0, 100);
      engine->EndWarmUp();
      break;
  }
}

// A page without a title is named by its address, as the browser control does.
void WebKitEngine::OnTitle(GObject*, GParamSpec*, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (!engine->events_) return;
  const gchar* title = webkit_web_view_get_title(engine->view_);
  engine->events_->WebBrowser1TitleChange(title && *title ? title : engine->LocationURL());
}

void WebKitEngine::OnProgress(GObject*, GParamSpec*, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (!engine->events_ || !engine->busy_) return;
  const double progress = webkit_web_view_get_estimated_load_progress(engine->view_);
  engine->events_->WebBrowser1ProgressChange(static_cast<int>(std::lround(progress * 100)), 100);
}

void WebKitEngine::OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (!engine->events_) return;
  const gchar* link =
      webkit_hit_test_result_context_is_link(hit) ? webkit_hit_test_result_get_link_uri(hit) : nullptr;
  // The engine tells of every move, and of each page loaded under the
  // pointer: only a change of link is news, so that a line the program put in
  // the status bar stays until the pointer passes over a link.
  const std::string text = link ? link : "";
  if (text == engine->hoveredLink_) return;
  engine->hoveredLink_ = text;
  engine->events_->WebBrowser1StatusTextChange(text);
}

// A window without a click only when the stack's top page asked for it: its
// request to the bridge comes before the engine's, and ends after it.
GtkWidget* WebKitEngine::OnCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (!engine->events_) return nullptr;
  if (!webkit_navigation_action_is_user_gesture(action) && !topFrameOpens) return nullptr;
  auto* target = dynamic_cast<WebKitEngine*>(engine->events_->WebBrowser1NewWindow2());
  return target ? target->Widget() : nullptr;
}

// The page's request (position, size, bars) is known now, before its first page.
void WebKitEngine::OnReadyToShow(WebKitWebView*, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (engine->events_) engine->events_->WebBrowser1BeforeNavigate2();
}

// The document asking is the one shown, or one that is leaving: only what
// the stack's own documents ask is done, and a close only by the document
// of the origin its window shows (the form decides whether that may close).
void WebKitEngine::OnTopFrameRequest(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  const TTopFrameRequest request = ReadTopFrameRequest(message);
  const bool stackPage = engine->IsStackPage(request.page);
  switch (request.kind) {
    case TTopFrameRequest::kClose:
      // Closing may free the window's engine: not while going through them.
      if (const auto window = std::find_if(Engines().begin(), Engines().end(),
                                           [&](WebKitEngine* each) { return each->id_ == request.view; });
          window != Engines().end() && SameOrigin(request.page, (*window)->LocationURL()))
        OnClose(nullptr, *window);
      break;
    case TTopFrameRequest::kOpenBegin:
      topFrameOpens = stackPage;
      break;
    case TTopFrameRequest::kOpenEnd:
      topFrameOpens = false;
      break;
    case TTopFrameRequest::kCopy:
      if (stackPage) gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), request.text.c_str(), -1);
      break;
    case TTopFrameRequest::kReady:
      // Which window's document it is is not known yet: each is told again.
      for (WebKitEngine* window : Engines()) window->TellTopFrame();
      break;
    case TTopFrameRequest::kNone:
      break;
  }
}

void WebKitEngine::TellTopFrame() {
  const std::string page = LocationURL();
  ::TellTopFrame(view_, id_, IsStackPage(page) ? page : "");
}

// The stack's page shown keeps the clipboard's text, for its pastes.
void WebKitEngine::OnClipboardChange(GtkClipboard*, GdkEvent*, gpointer self) {
  static_cast<WebKitEngine*>(self)->TellTopFrame();
}

void WebKitEngine::OnClose(WebKitWebView*, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (engine->events_) engine->events_->WebBrowser1Close();
}

// Silent: alerts, confirmations and prompts show nothing and take their
// default. A page that asks before it is left (a form not yet saved) is
// left: the user asked to go, and no question would ever let the window go.
gboolean WebKitEngine::OnScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer self) {
  if (!static_cast<WebKitEngine*>(self)->silent_) return FALSE;
  if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM)
    webkit_script_dialog_confirm_set_confirmed(dialog, TRUE);
  return TRUE;
}

// A page's print() opens the print dialog also in a silent engine: the
// user asked for it, and nothing prints without the dialog.
gboolean WebKitEngine::OnPrint(WebKitWebView*, WebKitPrintOperation*, gpointer) { return FALSE; }

// Every view of the program shares one context, which announces the
// downloads of them all: each engine takes those of its own pages.
void WebKitEngine::OnDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (webkit_download_get_web_view(download) != engine->view_) return;
  static int lastId = 0;
  engine->downloads_[download].id = ++lastId;
  g_object_ref(download);
  g_signal_connect(download, "decide-destination", G_CALLBACK(OnDecideDestination), self);
  g_signal_connect(download, "received-data", G_CALLBACK(OnDownloadData), self);
  g_signal_connect(download, "failed", G_CALLBACK(OnDownloadFailed), self);
  g_signal_connect(download, "finished", G_CALLBACK(OnDownloadFinished), self);
}

// The form asks the user where the file goes; the engine does not go on
// until the dialog is closed, and writes nothing when it was cancelled.
gboolean WebKitEngine::OnDecideDestination(WebKitDownload* download, const gchar* suggested, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  TDownload& state = engine->downloads_[download];
  std::string file;
  if (engine->events_) {
    state.asking = true;
    file = engine->events_->WebBrowser1FileDownload(state.id, suggested ? suggested : "");
    state.asking = false;
  }
  if (state.finished) {
    // It broke off while the dialog was open.
    if (!file.empty() && engine->events_)
      engine->events_->WebBrowser1FileDownloadEnd(state.id, state.error.empty() ? "the download ended" : state.error);
    engine->EndDownload(download);
    return TRUE;
  }
  if (file.empty()) {
    engine->EndDownload(download);
    webkit_download_cancel(download);
    return TRUE;
  }
  // The form made the file for this download alone.
  gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
  webkit_download_set_allow_overwrite(download, TRUE);
  webkit_download_set_destination(download, uri ? uri : "");
  g_free(uri);
  return TRUE;
}

void WebKitEngine::OnDownloadData(WebKitDownload* download, guint64, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  if (!engine->events_) return;
  WebKitURIResponse* response = webkit_download_get_response(download);
  engine->events_->WebBrowser1FileDownloadProgress(engine->downloads_[download].id,
                                                   webkit_download_get_received_data_length(download),
                                                   response ? webkit_uri_response_get_content_length(response) : 0);
}

void WebKitEngine::OnDownloadFailed(WebKitDownload* download, GError* error, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  TDownload& state = engine->downloads_[download];
  state.error = error && error->message && *error->message ? error->message : "the download failed";
}

void WebKitEngine::OnDownloadFinished(WebKitDownload* download, gpointer self) {
  auto* engine = static_cast<WebKitEngine*>(self);
  TDownload& state = engine->downloads_[download];
  if (state.asking) {
    state.finished = true;
    return;
  }
  const TDownload ended = state;
  engine->EndDownload(download);
  if (engine->events_) engine->events_->WebBrowser1FileDownloadEnd(ended.id, ended.error);
}

void WebKitEngine::EndDownload(WebKitDownload* download) {
  if (downloads_.erase(download) == 0) return;
  g_signal_handlers_disconnect_by_data(download, this);
  g_object_unref(download);
}
