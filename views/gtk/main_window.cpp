#include "views/gtk/main_window.h"

#include <gdk/gdkx.h>
#include <glib-unix.h>

#include <csignal>
#include <cstdio>

#include "util/hi.h"
#include "util/quit_signals.h"
#include "views/gtk/about_box.h"
#include "views/gtk/modal_dialog.h"
#include "views/gtk/popup_window.h"
#include "views/gtk/program_icon.h"
#include "views/gtk/tool_dialogs.h"
#include "views/gtk/tray_icon.h"

namespace {

// The tray menu's captions; "&" marks the access key.
constexpr const char* kTrayCaptions[kTrayItemCount] = {
    "&Show/Hide Main Window", "-", "&Down Size...", "Server S&ettings...",
    "&Back Up Database...", "&Restore Database...", "-",
    "Open &Terminal", "&Logs", "-",
    "&Help Contents", "&Contact Us", "&Visit Website", "&About...", "-", "E&xit",
};

GtkWindow* NewWindow() { return GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL)); }

// A menu item from a caption with "&" access keys; the default item is bold.
GtkWidget* MenuItem(const std::string& caption, bool isDefault) {
  if (caption == "-") return gtk_separator_menu_item_new();
  std::string mnemonic;
  for (char c : caption) mnemonic += c == '&' ? '_' : c;
  GtkWidget* item = gtk_menu_item_new_with_mnemonic(mnemonic.c_str());
  if (isDefault) {
    gchar* escaped = g_markup_escape_text(mnemonic.c_str(), -1);
    gtk_label_set_markup_with_mnemonic(GTK_LABEL(gtk_bin_get_child(GTK_BIN(item))),
                                       (std::string("<b>") + escaped + "</b>").c_str());
    g_free(escaped);
  }
  return item;
}

// The number of message passes one ProcessMessages may take: a timer that is
// always due must not keep it from returning.
constexpr int kMaxPasses = 200;

}  // namespace

GtkMainWindow::GtkMainWindow()
    : GtkBrowserView<MainWindowView>(NewWindow(), nullptr),
      window_(GTK_WIDGET(widgets_.Window())),
      dialogs_(GTK_WINDOW(window_), [this] { return title_; }) {
  icon_ = LoadProgramIcon();
  if (icon_) gtk_window_set_icon(GTK_WINDOW(window_), icon_);
  gtk_window_set_default_size(GTK_WINDOW(window_), 632, 453);
  favoritesMenu_ = gtk_menu_new();
  gtk_menu_tool_button_set_menu(GTK_MENU_TOOL_BUTTON(widgets_.FavoritesButton()), favoritesMenu_);
  trayMenu_ = MakeTrayMenu();
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(OnWindowState), this);
  g_signal_connect(window_, "map-event", G_CALLBACK(OnActivate), this);
  g_signal_connect(window_, "focus-in-event", G_CALLBACK(OnActivate), this);
  // The quit signals end the run through its shut-down, at any moment.
  sources_[0] = g_unix_signal_add(SIGTERM, OnQuitSignal, this);
  sources_[1] = g_unix_signal_add(SIGINT, OnQuitSignal, this);
  sources_[2] = g_unix_signal_add(SIGHUP, OnQuitSignal, this);
  ReleaseQuitSignals();
  // Once a second, grouped with the process's other whole-second timers, so
  // that an idle stack wakes up as seldom as it can and still tells a
  // stopped server or a removed medium within the second.
  sources_[3] = g_timeout_add_seconds(1, OnWatchTick, this);
}

GtkMainWindow::~GtkMainWindow() {
  for (guint source : sources_) g_source_remove(source);
  if (splashTimer_) g_source_remove(splashTimer_);
  widgets_.SetForm(nullptr);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(trayMenu_);
  gtk_widget_destroy(window_);
  if (icon_) g_object_unref(icon_);
  if (loop_) g_main_loop_unref(loop_);
}

GtkWidget* GtkMainWindow::MakeTrayMenu() {
  GtkWidget* menu = gtk_menu_new();
  for (int i = 0; i < kTrayItemCount; ++i) {
    GtkWidget* item = MenuItem(kTrayCaptions[i], i == 0);
    g_object_set_data(G_OBJECT(item), "item", GINT_TO_POINTER(i));
    g_signal_connect(item, "activate", G_CALLBACK(OnTrayItem), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    gtk_widget_show_all(item);  // the menu itself shows only when it pops up
    trayItems_[i] = item;
  }
  return menu;
}

void GtkMainWindow::Attach(TfrmMain& form) {
  form_ = &form;
  widgets_.SetForm(&form);
  widgets_.onFavorites = [this] { form_->btnFavoritesClick(); };
  widgets_.onBrand = [this] { form_->btnBrandClick(); };
}

void GtkMainWindow::SetTitle(const std::string& title) {
  title_ = title;
  SetCaption(title);
}

void GtkMainWindow::ProcessMessages() {
  for (int pass = 0; pass < kMaxPasses && g_main_context_pending(nullptr); ++pass)
    g_main_context_iteration(nullptr, FALSE);
}

void GtkMainWindow::ShowError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", title_.c_str(), message.c_str());
  GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(window_), GTK_DIALOG_DESTROY_WITH_PARENT,
                                             GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), title_.c_str());
  g_signal_connect(dialog, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
  gtk_widget_show(dialog);
}

// Also said on the terminal the program may have been started from.
void GtkMainWindow::OpenHome(const std::string& address) {
  std::printf("%s is running at %s\n", title_.c_str(), address.c_str());
  std::fflush(stdout);
}

void GtkMainWindow::RunMessageLoop() {
  if (quit_) return;
  loop_ = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(loop_);
}

void GtkMainWindow::QuitApplication() {
  quit_ = true;
  CloseModalDialogs();
  if (loop_) g_main_loop_quit(loop_);
}

void GtkMainWindow::SetApplicationTitle(const std::string&) {
  // GTK names an application once; the window's caption carries the page's title.
}

void GtkMainWindow::SetFavorites(const std::vector<TFavoriteEntry>& menu) {
  gtk_container_foreach(GTK_CONTAINER(favoritesMenu_), [](GtkWidget* child, gpointer) {
    gtk_widget_destroy(child);
  }, nullptr);
  for (const TFavoriteEntry& entry : menu) {
    const bool organize = entry.kind == TFavoriteEntry::Kind::kOrganize;
    GtkWidget* item = entry.kind == TFavoriteEntry::Kind::kSeparator
                          ? gtk_separator_menu_item_new()
                          : MenuItem(organize ? entry.caption : "", organize);
    if (!organize && entry.kind != TFavoriteEntry::Kind::kSeparator)
      gtk_menu_item_set_label(GTK_MENU_ITEM(item), entry.caption.c_str());
    g_object_set_data_full(G_OBJECT(item), "caption", g_strdup(entry.caption.c_str()), g_free);
    g_object_set_data(G_OBJECT(item), "kind", GINT_TO_POINTER(static_cast<int>(entry.kind)));
    g_signal_connect(item, "activate", G_CALLBACK(OnFavorite), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(favoritesMenu_), item);
    gtk_widget_show_all(item);
  }
}

void GtkMainWindow::SetTrayItem(TTrayItem item, bool visible, bool enabled) {
  GtkWidget* widget = trayItems_[static_cast<int>(item)];
  gtk_widget_set_visible(widget, visible);
  gtk_widget_set_sensitive(widget, enabled);
}

// A desktop without a window manager maximises nothing: the window then takes
// the monitor's work area itself.
void GtkMainWindow::Maximize() {
  gtk_window_maximize(GTK_WINDOW(window_));
  GdkScreen* screen = gtk_widget_get_screen(window_);
  if (!GDK_IS_X11_SCREEN(screen) ||
      gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_WM_STATE_MAXIMIZED_VERT")))
    return;
  GdkRectangle area{0, 0, 632, 453};
  GdkDisplay* display = gtk_widget_get_display(window_);
  if (GdkMonitor* monitor = gdk_display_get_primary_monitor(display))
    gdk_monitor_get_workarea(monitor, &area);
  else if (GdkMonitor* first = gdk_display_get_monitor(display, 0))
    gdk_monitor_get_workarea(first, &area);
  gtk_window_move(GTK_WINDOW(window_), area.x, area.y);
  gtk_window_resize(GTK_WINDOW(window_), area.width, area.height);
}

void GtkMainWindow::ShowWindow(bool show) {
  if (!show) {
    gtk_widget_hide(window_);
    return;
  }
  gtk_window_deiconify(GTK_WINDOW(window_));
  gtk_widget_show(window_);
  gtk_window_present_with_time(GTK_WINDOW(window_), gtk_get_current_event_time());
}

bool GtkMainWindow::WindowVisible() const { return gtk_widget_get_visible(window_); }

void GtkMainWindow::EnterFullScreen() {
  fullScreen_ = true;
  gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
  gtk_window_fullscreen(GTK_WINDOW(window_));
}

void GtkMainWindow::LeaveFullScreen() {
  fullScreen_ = false;
  gtk_window_unfullscreen(GTK_WINDOW(window_));
  gtk_window_set_decorated(GTK_WINDOW(window_), TRUE);
}

void GtkMainWindow::EnableCloseSplashTimer(bool enabled) {
  if (enabled && !splashTimer_) splashTimer_ = g_timeout_add(1, OnSplashTimer, this);
  if (!enabled && splashTimer_) {
    g_source_remove(splashTimer_);
    splashTimer_ = 0;
  }
}

std::unique_ptr<TrayIconView> GtkMainWindow::CreateTrayIcon(TrayIconEvents& events) {
  return std::make_unique<GtkTrayIcon>(events, icon_, GTK_MENU(trayMenu_), GTK_WINDOW(window_));
}

std::unique_ptr<PopupView> GtkMainWindow::CreatePopup(TfrmBrowser& form, BrowserEngine& opener) {
  return std::make_unique<GtkPopupWindow>(form, dynamic_cast<WebKitEngine*>(&opener), icon_);
}

void GtkMainWindow::ShowAbout(const std::string& title, const std::string& version,
                              const std::string& year) {
  ShowGtkAbout(GTK_WINDOW(window_), icon_, title, version, year);
}

TModalResult GtkMainWindow::ShowSettings(TfrmSettings& form) {
  return RunSettingsDialog(GTK_WINDOW(window_), form);
}

TModalResult GtkMainWindow::ShowDownSize(TfrmDownSize& form) {
  return RunDownSizeDialog(GTK_WINDOW(window_), form);
}

TModalResult GtkMainWindow::ShowBrand(TfrmBrand& form) { return RunBrandDialog(GTK_WINDOW(window_), form); }

// Closing the main window ends the program.
gboolean GtkMainWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->form_) window->form_->QuitApplication();
  return TRUE;
}

gboolean GtkMainWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->form_ && (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) &&
      (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED))
    window->form_->WndProc(TWindowMessage::kMinimized);
  return FALSE;
}

gboolean GtkMainWindow::OnActivate(GtkWidget*, GdkEvent*, gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->form_) window->form_->FormActivate();
  return FALSE;
}

// What the form does on any message (the tray icon, the server watch) comes
// with the check of the program file's medium.
gboolean GtkMainWindow::OnWatchTick(gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->form_) window->form_->WndProc(TWindowMessage::kDeviceChange);
  return G_SOURCE_CONTINUE;
}

gboolean GtkMainWindow::OnSplashTimer(gpointer self) {
  auto* window = static_cast<GtkMainWindow*>(self);
  if (window->form_) window->form_->tmrCloseSplashTimer();
  return G_SOURCE_CONTINUE;
}

gboolean GtkMainWindow::OnQuitSignal(gpointer self) {
  static_cast<GtkMainWindow*>(self)->QuitApplication();
  return G_SOURCE_CONTINUE;
}

void GtkMainWindow::OnTrayItem(GtkMenuItem* item, gpointer self) {
  TfrmMain* form = static_cast<GtkMainWindow*>(self)->form_;
  if (!form) return;
  switch (static_cast<TTrayItem>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "item")))) {
    case TTrayItem::kShow: form->mnuTray_ShowClick(); break;
    case TTrayItem::kDownSize: form->mnuTray_DownSizeClick(); break;
    case TTrayItem::kSettings: form->mnuTray_SettingsClick(); break;
    case TTrayItem::kBackUp: form->mnuTray_BackUpClick(); break;
    case TTrayItem::kRestore: form->mnuTray_RestoreClick(); break;
    case TTrayItem::kTerminal: form->mnuTray_TerminalClick(); break;
    case TTrayItem::kLogs: form->mnuTray_LogsClick(); break;
    case TTrayItem::kHelp: form->mnuTray_HelpClick(); break;
    case TTrayItem::kEmail: form->mnuTray_EmailClick(); break;
    case TTrayItem::kWebsite: form->mnuTray_WebsiteClick(); break;
    case TTrayItem::kAbout: form->mnuTray_AboutClick(); break;
    case TTrayItem::kExit: form->mnuTray_ExitClick(); break;
    default: break;
  }
}

void GtkMainWindow::OnFavorite(GtkMenuItem* item, gpointer self) {
  TfrmMain* form = static_cast<GtkMainWindow*>(self)->form_;
  if (!form) return;
  const std::string caption = static_cast<const char*>(g_object_get_data(G_OBJECT(item), "caption"));
  switch (static_cast<TFavoriteEntry::Kind>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "kind")))) {
    case TFavoriteEntry::Kind::kOrganize: form->mnuMenu_OrganizeFavoritesClick(); break;
    case TFavoriteEntry::Kind::kFolder: form->FavoriteFolderClick(caption); break;
    case TFavoriteEntry::Kind::kUrl: form->FavoriteUrlClick(caption); break;
    case TFavoriteEntry::Kind::kSeparator: break;
  }
}

// The window's X11 id: the window is realised (not shown) to have one.
TWindowHandle GtkMainWindow::ApplicationWindow() {
  gtk_widget_realize(window_);
  GdkWindow* window = gtk_widget_get_window(window_);
  return window && GDK_IS_X11_WINDOW(window) ? GDK_WINDOW_XID(window) : 0;
}

TWindowHandle GtkMainWindow::ForegroundWindow() {
  // The window manager's _NET_ACTIVE_WINDOW, which GDK reads for us.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  GdkWindow* active = gdk_screen_get_active_window(gdk_screen_get_default());
  G_GNUC_END_IGNORE_DEPRECATIONS
  if (!active) return 0;
  const TWindowHandle id = GDK_IS_X11_WINDOW(active) ? GDK_WINDOW_XID(active) : 0;
  g_object_unref(active);
  return id;
}

std::unique_ptr<MainView> CreateGtkMainView() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkMainWindow>();
}
