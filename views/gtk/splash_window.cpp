#include "views/gtk/splash_window.h"

#include <gtk/gtk.h>

#include "forms/splash_form.h"

namespace {

// The primary monitor's area (the first monitor when none is primary).
GdkRectangle PrimaryMonitorArea() {
  GdkRectangle area{0, 0, 0, 0};
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return area;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor && gdk_display_get_n_monitors(display) > 0) {
    monitor = gdk_display_get_monitor(display, 0);
  }
  if (monitor) gdk_monitor_get_geometry(monitor, &area);
  return area;
}

class GtkSplashView final : public SplashView {
 public:
  GtkSplashView() = default;
  ~GtkSplashView() override {
    if (window_) gtk_widget_destroy(window_);
  }
  GtkSplashView(const GtkSplashView&) = delete;
  GtkSplashView& operator=(const GtkSplashView&) = delete;

  int ScreenWidth() override { return PrimaryMonitorArea().width; }
  int ScreenHeight() override { return PrimaryMonitorArea().height; }

  void Show(const TPicture& picture, int left, int top, SplashEvents& events) override {
    events_ = &events;
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(window_);
    gtk_window_set_decorated(window, FALSE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_skip_taskbar_hint(window, TRUE);
    gtk_window_set_skip_pager_hint(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    gtk_window_set_resizable(window, FALSE);
    // The place is relative to the monitor the size was taken from.
    const GdkRectangle monitor = PrimaryMonitorArea();
    gtk_window_move(window, monitor.x + left, monitor.y + top);

    GBytes* pixels = g_bytes_new(picture.rgba.data(), picture.rgba.size());
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_bytes(pixels, GDK_COLORSPACE_RGB, TRUE, 8,
                                                  picture.width, picture.height, picture.width * 4);
    g_bytes_unref(pixels);
    gtk_container_add(GTK_CONTAINER(window_), gtk_image_new_from_pixbuf(pixbuf));
    g_object_unref(pixbuf);

    gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(window_, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(OnDestroy), this);
    gtk_widget_show_all(window_);
  }

  void RunUntilEnded() override {
    if (window_) gtk_main();
  }

 private:
  static gboolean OnButtonPress(GtkWidget*, GdkEventButton*, gpointer self) {
    static_cast<GtkSplashView*>(self)->events_->Image1Click();
    return TRUE;
  }
  // A window closed by other means (the window manager) ends the run too.
  static void OnDestroy(GtkWidget*, gpointer self) {
    static_cast<GtkSplashView*>(self)->window_ = nullptr;
    if (gtk_main_level() > 0) gtk_main_quit();
  }

  GtkWidget* window_ = nullptr;
  SplashEvents* events_ = nullptr;
};

}  // namespace

void RunGtkSplash(const std::string& configIni) {
  // Without a display there is nothing to show the picture on.
  if (!gtk_init_check(nullptr, nullptr)) return;
  GtkSplashView view;
  RunSplashProcess(configIni, view);
}
