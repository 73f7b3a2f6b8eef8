#include "views/gtk/dialog_services_gtk.h"

#include <sstream>

#include "views/gtk/modal_dialog.h"

namespace {

GtkMessageType MessageType(unsigned flags) {
  if ((flags & kMbIconInformation) == kMbIconInformation) return GTK_MESSAGE_INFO;
  if ((flags & kMbIconWarning) == kMbIconWarning) return GTK_MESSAGE_WARNING;
  if ((flags & kMbIconQuestion) == kMbIconQuestion) return GTK_MESSAGE_QUESTION;
  if ((flags & kMbIconError) == kMbIconError) return GTK_MESSAGE_ERROR;
  return GTK_MESSAGE_OTHER;
}

// A window to own the dialog: the application window while it is shown,
// else the dialog that is open over it.
GtkWindow* ActiveWindow(GtkWindow* owner) {
  GList* windows = gtk_window_list_toplevels();
  GtkWindow* active = nullptr;
  for (GList* item = windows; item; item = item->next)
    if (gtk_window_is_active(GTK_WINDOW(item->data)) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
      active = GTK_WINDOW(item->data);
  g_list_free(windows);
  if (active) return active;
  return owner && gtk_widget_get_visible(GTK_WIDGET(owner)) ? owner : nullptr;
}

std::string Run(GtkWidget* chooser) {
  std::string chosen;
  gtk_widget_show_all(chooser);
  gtk_window_present(GTK_WINDOW(chooser));
  if (RunDialog(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    if (name) chosen = name;
    g_free(name);
  }
  gtk_widget_destroy(chooser);
  return chosen;
}

}  // namespace

int GtkDialogServices::AppMessageBox(const std::string& text, unsigned flags) {
  const bool yesNo = (flags & 0x0F) == kMbYesNo;
  GtkWindow* parent = ActiveWindow(owner_);
  GtkWidget* box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, MessageType(flags),
                                          yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s", text.c_str());
  gtk_window_set_title(GTK_WINDOW(box), AppMessageBoxCaption(flags, appTitle_()).c_str());
  // Before the window is shown (a start-up that failed) the box stands alone.
  gtk_window_set_position(GTK_WINDOW(box), parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_widget_show_all(box);
  gtk_window_present(GTK_WINDOW(box));
  const int response = RunDialog(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  if (!yesNo) return mrOK;
  return response == GTK_RESPONSE_YES ? mrYes : mrNo;
}

void GtkDialogServices::SetBusy(bool busy) {
  GdkDisplay* display = gdk_display_get_default();
  GdkCursor* cursor = busy ? gdk_cursor_new_from_name(display, "wait") : nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item; item = item->next) {
    GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(item->data));
    if (window) gdk_window_set_cursor(window, cursor);
  }
  g_list_free(windows);
  if (cursor) g_object_unref(cursor);
  gdk_display_flush(display);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

std::string GtkDialogServices::OpenFile(const std::string& initialFile, const std::string&,
                                        const std::string& filter) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new("Open", ActiveWindow(owner_), GTK_FILE_CHOOSER_ACTION_OPEN,
                                                   "_Cancel", GTK_RESPONSE_CANCEL, "_Open",
                                                   GTK_RESPONSE_ACCEPT, nullptr);
  const auto bar = filter.find('|');
  GtkFileFilter* files = gtk_file_filter_new();
  gtk_file_filter_set_name(files, filter.substr(0, bar).c_str());
  std::istringstream patterns(bar == std::string::npos ? filter : filter.substr(bar + 1));
  for (std::string pattern; std::getline(patterns, pattern, ';');) {
    // Patterns match without regard to case, as the file names of the other platform do.
    std::string folded;
    for (char c : pattern) {
      if (g_ascii_isalpha(c)) folded += std::string("[") + g_ascii_tolower(c) + g_ascii_toupper(c) + "]";
      else folded += c;
    }
    gtk_file_filter_add_pattern(files, folded.c_str());
  }
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), files);
  if (!initialFile.empty()) gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), initialFile.c_str());
  return Run(chooser);
}

std::string GtkDialogServices::BrowseForFolder(const std::string& text, const std::string& initialFolder) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new(text.c_str(), ActiveWindow(owner_),
                                                   GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel",
                                                   GTK_RESPONSE_CANCEL, "_Select", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(chooser), TRUE);
  if (!initialFolder.empty())
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), initialFolder.c_str());
  return Run(chooser);
}

std::string RunSaveDialog(GtkWindow* owner, const std::string& folder, const std::string& name) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new("Save File", owner, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                                   GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
  gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
  gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(chooser), TRUE);
  if (!folder.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), folder.c_str());
  gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), name.c_str());
  return Run(chooser);
}
