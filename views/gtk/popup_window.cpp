#include "views/gtk/popup_window.h"

namespace {

GtkWindow* NewWindow() { return GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL)); }

}  // namespace

GtkPopupWindow::GtkPopupWindow(TfrmBrowser& form, WebKitEngine* opener, GdkPixbuf* icon)
    : GtkBrowserView<PopupView>(NewWindow(), opener), form_(form),
      window_(GTK_WIDGET(widgets_.Window())) {
  widgets_.SetForm(&form_);
  if (icon) gtk_window_set_icon(GTK_WINDOW(window_), icon);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
}

GtkPopupWindow::~GtkPopupWindow() {
  widgets_.SetForm(nullptr);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);
}

// GTK sizes a window's client area: it adds no frame of its own.
TWindowMetrics GtkPopupWindow::Metrics() const {
  GdkRectangle area{0, 0, 800, 600};
  GdkDisplay* display = gtk_widget_get_display(window_);
  if (GdkMonitor* monitor = gdk_display_get_primary_monitor(display))
    gdk_monitor_get_geometry(monitor, &area);
  else if (GdkMonitor* first = gdk_display_get_monitor(display, 0))
    gdk_monitor_get_geometry(first, &area);
  return {area.width, area.height, 0, 0, widgets_.ToolbarHeight(), widgets_.StatusBarHeight()};
}

void GtkPopupWindow::SetBounds(int left, int top, int width, int height) {
  gtk_window_move(GTK_WINDOW(window_), left, top);
  gtk_window_resize(GTK_WINDOW(window_), width > 0 ? width : 1, height > 0 ? height : 1);
}

void GtkPopupWindow::Show() { gtk_widget_show(window_); }

void GtkPopupWindow::Close() { gtk_widget_hide(window_); }

gboolean GtkPopupWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<GtkPopupWindow*>(self)->form_.FormClose();
  return TRUE;  // the form frees the window
}
