// The tray icon on GTK: a GtkStatusIcon in the X11 system tray. Its
// "activate" is the left click, "popup-menu" the right click; GTK embeds it
// again when the tray restarts.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "forms/tray_icon.h"

class GtkTrayIcon : public TrayIconView {
 public:
  // `menu` pops up on a right click; `owner` is the window the icon belongs to.
  GtkTrayIcon(TrayIconEvents& events, GdkPixbuf* image, GtkMenu* menu, GtkWindow* owner);
  ~GtkTrayIcon() override;

  void AddIcon(const std::string& tip) override;
  void RemoveIcon() override;
  void PopupMenu() override;
  bool OwnerVisible() const override;
  void BringOwnerToFront() override;
  std::uint32_t TickCount() const override;
  std::uint32_t DoubleClickTime() const override;

 private:
  static void OnActivate(GtkStatusIcon*, gpointer self);
  static void OnPopupMenu(GtkStatusIcon*, guint, guint, gpointer self);
  static void OnEmbedded(GObject*, GParamSpec*, gpointer self);

  TrayIconEvents& events_;
  GdkPixbuf* image_;
  GtkMenu* menu_;
  GtkWindow* owner_;
  GtkStatusIcon* icon_ = nullptr;
};
