#include "views/gtk/find_bar.h"

namespace {

constexpr guint kFindOptions = WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;
// A page that changes by script (a list that grows) is looked at again this often.
constexpr guint kRecountSeconds = 1;
// Counts the text in the page's words without touching its marks or selection:
// the engine's own count unmarks every match, and searching again would scroll
// the page back to the current match under a user who has scrolled away.
constexpr char kCountScript[] =
    "const words = (document.body ? document.body.innerText : '').toLowerCase();"
    "const wanted = text.toLowerCase(); let n = 0;"
    "for (let i = words.indexOf(wanted); wanted && i >= 0; i = words.indexOf(wanted, i + wanted.length)) ++n;"
    "return n;";
constexpr char kCountWorld[] = "lodestack-find";

GtkWidget* IconButton(const char* icon, const char* tip) {
  GtkWidget* button = gtk_button_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON);
  gtk_widget_set_tooltip_text(button, tip);
  gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
  return button;
}

}  // namespace

FindBar::FindBar(WebKitWebView* view)
    : view_(view), finder_(webkit_web_view_get_find_controller(view)),
      bar_(gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4)), entry_(gtk_search_entry_new()),
      count_(gtk_label_new("")), pending_(g_cancellable_new()) {
  gtk_widget_set_margin_start(bar_, 4);
  gtk_box_pack_start(GTK_BOX(bar_), gtk_label_new("Find:"), FALSE, FALSE, 0);
  gtk_entry_set_width_chars(GTK_ENTRY(entry_), 28);
  gtk_box_pack_start(GTK_BOX(bar_), entry_, FALSE, FALSE, 0);
  GtkWidget* previous = IconButton("go-up-symbolic", "Previous");
  GtkWidget* next = IconButton("go-down-symbolic", "Next");
  gtk_box_pack_start(GTK_BOX(bar_), previous, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar_), next, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar_), count_, FALSE, FALSE, 4);
  GtkWidget* close = IconButton("window-close-symbolic", "Close");
  gtk_box_pack_end(GTK_BOX(bar_), close, FALSE, FALSE, 0);
  g_signal_connect(entry_, "search-changed", G_CALLBACK(OnChanged), this);
  g_signal_connect(entry_, "activate", G_CALLBACK(OnNext), this);
  g_signal_connect(entry_, "next-match", G_CALLBACK(OnNext), this);
  g_signal_connect(entry_, "previous-match", G_CALLBACK(OnPrevious), this);
  g_signal_connect(entry_, "stop-search", G_CALLBACK(OnStop), this);
  g_signal_connect(next, "clicked", G_CALLBACK(OnNext), this);
  g_signal_connect(previous, "clicked", G_CALLBACK(OnPrevious), this);
  g_signal_connect(close, "clicked", G_CALLBACK(OnClose), this);
  g_signal_connect(finder_, "found-text", G_CALLBACK(OnFound), this);
  g_signal_connect(finder_, "failed-to-find-text", G_CALLBACK(OnNotFound), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(OnLoadChanged), this);
  gtk_widget_show_all(bar_);
  gtk_widget_set_no_show_all(bar_, TRUE);
  gtk_widget_hide(bar_);
}

FindBar::~FindBar() {
  if (recount_) g_source_remove(recount_);
  g_cancellable_cancel(pending_);
  g_object_unref(pending_);
  g_signal_handlers_disconnect_by_data(finder_, this);
  g_signal_handlers_disconnect_by_data(view_, this);
}

void FindBar::Open() {
  gtk_widget_show(bar_);
  gtk_widget_grab_focus(entry_);
  gtk_editable_select_region(GTK_EDITABLE(entry_), 0, -1);
  if (!recount_) recount_ = g_timeout_add_seconds(kRecountSeconds, OnRecount, this);
  Search();
}

void FindBar::Close() {
  if (recount_) g_source_remove(recount_);
  recount_ = 0;
  webkit_find_controller_search_finish(finder_);
  gtk_widget_hide(bar_);
  gtk_widget_grab_focus(GTK_WIDGET(view_));
}

// The matches are marked and counted anew from the text as it stands.
void FindBar::Search() {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(entry_));
  if (!text || !*text) {
    webkit_find_controller_search_finish(finder_);
    gtk_label_set_text(GTK_LABEL(count_), "");
    return;
  }
  webkit_find_controller_search(finder_, text, kFindOptions, G_MAXUINT);
  seen_ = -1;
}

void FindBar::OnChanged(GtkSearchEntry*, gpointer self) { static_cast<FindBar*>(self)->Search(); }

void FindBar::OnNext(GtkWidget*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (webkit_find_controller_get_search_text(bar->finder_)) webkit_find_controller_search_next(bar->finder_);
}

void FindBar::OnPrevious(GtkWidget*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (webkit_find_controller_get_search_text(bar->finder_))
    webkit_find_controller_search_previous(bar->finder_);
}

void FindBar::OnStop(GtkSearchEntry*, gpointer self) { static_cast<FindBar*>(self)->Close(); }

void FindBar::OnClose(GtkButton*, gpointer self) { static_cast<FindBar*>(self)->Close(); }

void FindBar::OnFound(WebKitFindController*, guint count, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  const std::string text = count == 1 ? "1 match" : std::to_string(count) + " matches";
  gtk_label_set_text(GTK_LABEL(bar->count_), text.c_str());
}

void FindBar::OnNotFound(WebKitFindController*, gpointer self) {
  gtk_label_set_text(GTK_LABEL(static_cast<FindBar*>(self)->count_), "No matches");
}

void FindBar::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (event == WEBKIT_LOAD_FINISHED && gtk_widget_get_visible(bar->bar_)) bar->Search();
}

// The page is searched again, marking its matches anew, only when the
// number of times its words hold the text has changed.
gboolean FindBar::OnRecount(gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(bar->entry_));
  if (!text || !*text) return G_SOURCE_CONTINUE;
  GVariantBuilder arguments;
  g_variant_builder_init(&arguments, G_VARIANT_TYPE_VARDICT);
  g_variant_builder_add(&arguments, "{sv}", "text", g_variant_new_string(text));
  webkit_web_view_call_async_javascript_function(bar->view_, kCountScript, -1, g_variant_builder_end(&arguments),
                                                 kCountWorld, nullptr, bar->pending_, OnPageCounted, bar);
  return G_SOURCE_CONTINUE;
}

void FindBar::OnPageCounted(GObject* view, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(view), result, &error);
  if (!value) {
    // Cancelled means the bar is gone; a page without script just keeps its marks.
    g_error_free(error);
    return;
  }
  auto* bar = static_cast<FindBar*>(self);
  const int count = jsc_value_to_int32(value);
  g_object_unref(value);
  if (bar->seen_ >= 0 && count != bar->seen_ && gtk_widget_get_visible(bar->bar_)) bar->Search();
  bar->seen_ = count;
}
