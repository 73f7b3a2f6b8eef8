/* The floor the launcher's window is measured against: a bare WebKitGTK
 * window showing one page, nothing else. It prints "loaded" once the page has
 * finished loading and stays open until it is ended.
 *
 *   bench_bare_webkit URL
 */
#include <gtk/gtk.h>
#include <stdio.h>
#include <webkit2/webkit2.h>

static void on_load_changed(WebKitWebView *view, WebKitLoadEvent event, gpointer data) {
  (void)view;
  (void)data;
  if (event == WEBKIT_LOAD_FINISHED) {
    printf("loaded\n");
    fflush(stdout);
  }
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s URL\n", argv[0]);
    return 2;
  }
  gtk_init(&argc, &argv);
  GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  /* The launcher's window is maximised: the floor shows the page on as many
   * pixels, which the drawing buffers' memory follows. Set by hand, since a
   * display without a window manager maximises nothing. */
  GdkRectangle area = {0, 0, 1024, 700};
  GdkMonitor *monitor = gdk_display_get_primary_monitor(gdk_display_get_default());
  if (!monitor) monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
  if (monitor) gdk_monitor_get_workarea(monitor, &area);
  gtk_window_set_default_size(GTK_WINDOW(window), area.width, area.height);
  gtk_window_maximize(GTK_WINDOW(window));
  GtkWidget *view = webkit_web_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  g_signal_connect(view, "load-changed", G_CALLBACK(on_load_changed), NULL);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
