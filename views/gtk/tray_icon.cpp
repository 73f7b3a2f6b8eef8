#include "views/gtk/tray_icon.h"

// GtkStatusIcon is the X11 system tray's icon, which GTK 3 still serves
// though it marks it as deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

GtkTrayIcon::GtkTrayIcon(TrayIconEvents& events, GdkPixbuf* image, GtkMenu* menu, GtkWindow* owner)
    : events_(events), image_(image), menu_(menu), owner_(owner) {}

GtkTrayIcon::~GtkTrayIcon() { RemoveIcon(); }

void GtkTrayIcon::AddIcon(const std::string& tip) {
  if (!icon_) {
    icon_ = image_ ? gtk_status_icon_new_from_pixbuf(image_)
                   : gtk_status_icon_new_from_icon_name("applications-internet");
    g_signal_connect(icon_, "activate", G_CALLBACK(OnActivate), this);
    g_signal_connect(icon_, "popup-menu", G_CALLBACK(OnPopupMenu), this);
    g_signal_connect(icon_, "notify::embedded", G_CALLBACK(OnEmbedded), this);
  }
  gtk_status_icon_set_tooltip_text(icon_, tip.c_str());
  gtk_status_icon_set_title(icon_, tip.c_str());
  gtk_status_icon_set_visible(icon_, TRUE);
}

void GtkTrayIcon::RemoveIcon() {
  if (!icon_) return;
  g_signal_handlers_disconnect_by_data(icon_, this);
  gtk_status_icon_set_visible(icon_, FALSE);
  g_object_unref(icon_);
  icon_ = nullptr;
}

// The window comes forward with the menu only when it is shown already.
void GtkTrayIcon::PopupMenu() {
  if (OwnerVisible() && !(gdk_window_get_state(gtk_widget_get_window(GTK_WIDGET(owner_))) &
                          GDK_WINDOW_STATE_ICONIFIED))
    BringOwnerToFront();
  gtk_menu_popup_at_pointer(menu_, nullptr);
}

bool GtkTrayIcon::OwnerVisible() const { return gtk_widget_get_visible(GTK_WIDGET(owner_)); }

void GtkTrayIcon::BringOwnerToFront() {
  gtk_window_present_with_time(owner_, gtk_get_current_event_time());
}

std::uint32_t GtkTrayIcon::TickCount() const {
  return static_cast<std::uint32_t>(g_get_monotonic_time() / 1000);
}

std::uint32_t GtkTrayIcon::DoubleClickTime() const {
  gint time = 400;
  g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &time, nullptr);
  return static_cast<std::uint32_t>(time);
}

void GtkTrayIcon::OnActivate(GtkStatusIcon*, gpointer self) {
  static_cast<GtkTrayIcon*>(self)->events_.LeftButtonUp();
}

void GtkTrayIcon::OnPopupMenu(GtkStatusIcon*, guint, guint, gpointer self) {
  static_cast<GtkTrayIcon*>(self)->events_.RightButtonUp();
}

// Embedded again after the tray went away: the tray restarted.
void GtkTrayIcon::OnEmbedded(GObject*, GParamSpec*, gpointer self) {
  auto* icon = static_cast<GtkTrayIcon*>(self);
  if (icon->icon_ && gtk_status_icon_is_embedded(icon->icon_)) icon->events_.TaskbarCreated();
}
