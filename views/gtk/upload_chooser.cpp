#include "views/gtk/upload_chooser.h"

#include <vector>

namespace {

// The request a chooser answers; one it closes without answering is cancelled.
struct TPendingUpload {
  WebKitFileChooserRequest* request;
  bool answered = false;
};

void Forget(gpointer data) {
  auto* pending = static_cast<TPendingUpload*>(data);
  if (!pending->answered) webkit_file_chooser_request_cancel(pending->request);
  g_object_unref(pending->request);
  delete pending;
}

void OnResponse(GtkDialog* chooser, gint response, gpointer data) {
  auto* pending = static_cast<TPendingUpload*>(data);
  if (response == GTK_RESPONSE_ACCEPT) {
    GSList* files = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(chooser));
    std::vector<const gchar*> names;
    for (GSList* file = files; file; file = file->next) names.push_back(static_cast<const gchar*>(file->data));
    names.push_back(nullptr);
    webkit_file_chooser_request_select_files(pending->request, names.data());
    pending->answered = true;
    g_slist_free_full(files, g_free);
  }
  gtk_widget_destroy(GTK_WIDGET(chooser));
}

}  // namespace

// Not run inside the signal (a nested loop there could see the window go):
// the chooser answers from its own response.
gboolean RunUploadChooser(WebKitWebView* view, WebKitFileChooserRequest* request, gpointer) {
  const bool several = webkit_file_chooser_request_get_select_multiple(request);
  GtkWidget* toplevel = gtk_widget_get_toplevel(GTK_WIDGET(view));
  GtkWidget* chooser = gtk_file_chooser_dialog_new(
      several ? "Select Files" : "Select File", gtk_widget_is_toplevel(toplevel) ? GTK_WINDOW(toplevel) : nullptr,
      GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
  gtk_window_set_destroy_with_parent(GTK_WINDOW(chooser), TRUE);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
  gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), several);
  // The types the input accepts (accept="image/*").
  if (GtkFileFilter* filter = webkit_file_chooser_request_get_mime_types_filter(request))
    gtk_file_chooser_set_filter(GTK_FILE_CHOOSER(chooser), filter);
  const gchar* const* chosen = webkit_file_chooser_request_get_selected_files(request);
  if (chosen && chosen[0]) gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), chosen[0]);
  auto* pending = new TPendingUpload{WEBKIT_FILE_CHOOSER_REQUEST(g_object_ref(request))};
  g_object_set_data_full(G_OBJECT(chooser), "upload", pending, Forget);
  g_signal_connect(chooser, "response", G_CALLBACK(OnResponse), pending);
  gtk_widget_show(chooser);
  return TRUE;
}
