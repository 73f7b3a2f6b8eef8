// What a developer's browser adds to the engine: zoom, printing and the
// inspector (WebKit's developer extras, with "Inspect Element" in the
// page's context menu).
#include "views/gtk/webkit_engine.h"

void WebKitEngine::SetZoom(int percent) { webkit_web_view_set_zoom_level(view_, percent / 100.0); }

void WebKitEngine::Print() {
  WebKitPrintOperation* operation = webkit_print_operation_new(view_);
  GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view_));
  webkit_print_operation_run_dialog(operation, GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr);
  g_object_unref(operation);
}

void WebKitEngine::SetDeveloperTools(bool allowed) {
  webkit_settings_set_enable_developer_extras(webkit_web_view_get_settings(view_), allowed);
}

void WebKitEngine::ShowInspector() {
  if (!webkit_settings_get_enable_developer_extras(webkit_web_view_get_settings(view_))) return;
  webkit_web_inspector_show(webkit_web_view_get_inspector(view_));
}
