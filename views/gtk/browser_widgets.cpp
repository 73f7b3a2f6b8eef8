#include "views/gtk/browser_widgets.h"

#include <algorithm>

#include "views/gtk/dialog_services_gtk.h"

namespace {

struct TButtonLook {
  const char* caption;
  const char* icon;
};
// Back, Forward, Refresh, Stop, Home, Favorites, Rebrand: 32 × 32 images
// from the icon theme, captions beneath.
constexpr TButtonLook kButtons[kToolButtonCount] = {
    {"Back", "go-previous-symbolic"},     {"Forward", "go-next-symbolic"},
    {"Refresh", "view-refresh-symbolic"}, {"Stop", "process-stop-symbolic"},
    {"Home", "go-home-symbolic"},         {"Favorites", "user-bookmarks-symbolic"},
    {"Rebrand", "applications-graphics-symbolic"},
};
constexpr int kToolImageSize = 32;
constexpr int kProgressPanelWidth = 200;
constexpr int kLastPanelWidth = 60;

GtkWidget* Image(const char* icon, int size) {
  GtkWidget* image = gtk_image_new_from_icon_name(icon, GTK_ICON_SIZE_DND);
  gtk_image_set_pixel_size(GTK_IMAGE(image), size);
  return image;
}

int KeyCode(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter: return kKeyReturn;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left: return kKeyLeft;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up: return kKeyUp;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right: return kKeyRight;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down: return kKeyDown;
    case GDK_KEY_F5: return kKeyF5;
    default: return 0;
  }
}

// The program's keys as the platform's virtual keys number them, with their modifiers.
int BrowserKeyCode(guint keyval) {
  switch (gdk_keyval_to_lower(keyval)) {
    case GDK_KEY_plus:
    case GDK_KEY_equal: return kKeyPlus;
    case GDK_KEY_KP_Add: return kKeyAdd;
    case GDK_KEY_minus:
    case GDK_KEY_underscore: return kKeyMinus;
    case GDK_KEY_KP_Subtract: return kKeySubtract;
    case GDK_KEY_0:
    case GDK_KEY_parenright: return kKey0;
    case GDK_KEY_KP_0:
    case GDK_KEY_KP_Insert: return kKeyNumpad0;
    case GDK_KEY_f: return kKeyF;
    case GDK_KEY_i: return kKeyI;
    case GDK_KEY_p: return kKeyP;
    case GDK_KEY_F11: return kKeyF11;
    case GDK_KEY_F12: return kKeyF12;
    default: return 0;
  }
}

unsigned Modifiers(guint state) {
  return ((state & GDK_SHIFT_MASK) ? kModShift : 0u) | ((state & GDK_CONTROL_MASK) ? kModCtrl : 0u) |
         ((state & GDK_MOD1_MASK) ? kModAlt : 0u);
}

constexpr guint kNoteMilliseconds = 1500;

int PreferredHeight(GtkWidget* widget) {
  int minimum = 0;
  int natural = 0;
  gtk_widget_get_preferred_height(widget, &minimum, &natural);
  return natural;
}

}  // namespace

BrowserWidgets::BrowserWidgets(GtkWindow* window, WebKitEngine* opener)
    : window_(window), engine_(std::make_unique<WebKitEngine>(opener)) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  topBar_ = MakeTopBar();
  gtk_box_pack_start(GTK_BOX(box), topBar_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), engine_->Widget(), TRUE, TRUE, 0);
  findBar_ = std::make_unique<FindBar>(WEBKIT_WEB_VIEW(engine_->Widget()));
  gtk_box_pack_start(GTK_BOX(box), findBar_->Widget(), FALSE, FALSE, 2);
  statusBar_ = MakeStatusBar();
  gtk_box_pack_start(GTK_BOX(box), statusBar_, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window_), box);
  gtk_widget_show_all(box);
  gtk_widget_hide(progress_);
  // The window sees every key first (F5 refreshes wherever the focus is).
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnWindowKey), this);
  // The program's other keys come to the box around the widgets once the
  // widget with the focus has let them go: the page first (WebKit hands
  // back a key whose default the page did not prevent), the address box
  // and the find bar with what they do not use themselves.
  box_ = box;
  g_signal_connect(box_, "key-press-event", G_CALLBACK(OnUnclaimedKey), this);
  g_signal_connect(engine_->Widget(), "scroll-event", G_CALLBACK(OnWheel), this);
}

BrowserWidgets::~BrowserWidgets() {
  if (noteTimer_) g_source_remove(noteTimer_);
  g_signal_handlers_disconnect_by_data(window_, this);
  g_signal_handlers_disconnect_by_data(box_, this);
  g_signal_handlers_disconnect_by_data(engine_->Widget(), this);
  for (GtkWidget* button : buttons_) g_signal_handlers_disconnect_by_data(button, this);
  g_signal_handlers_disconnect_by_data(address_, this);
  g_signal_handlers_disconnect_by_data(gtk_bin_get_child(GTK_BIN(address_)), this);
}

GtkWidget* BrowserWidgets::MakeTopBar() {
  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  GtkWidget* toolbar = gtk_toolbar_new();
  gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), GTK_TOOLBAR_BOTH);
  gtk_toolbar_set_show_arrow(GTK_TOOLBAR(toolbar), FALSE);
  for (int i = 0; i < kToolButtonCount; ++i) {
    GtkWidget* image = Image(kButtons[i].icon, kToolImageSize);
    GtkToolItem* item = static_cast<TToolButton>(i) == TToolButton::kFavorites
                            ? gtk_menu_tool_button_new(image, kButtons[i].caption)
                            : gtk_tool_button_new(image, kButtons[i].caption);
    g_object_set_data(G_OBJECT(item), "button", GINT_TO_POINTER(i));
    g_signal_connect(item, "clicked", G_CALLBACK(OnButton), this);
    buttons_[i] = GTK_WIDGET(item);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), item, -1);
    if (static_cast<TToolButton>(i) == TToolButton::kHome) {
      GtkToolItem* separator = gtk_separator_tool_item_new();
      separator_ = GTK_WIDGET(separator);
      gtk_toolbar_insert(GTK_TOOLBAR(toolbar), separator, -1);
    }
  }
  gtk_box_pack_start(GTK_BOX(bar), toolbar, FALSE, FALSE, 0);

  address_ = gtk_combo_box_text_new_with_entry();
  gtk_widget_set_valign(address_, GTK_ALIGN_CENTER);
  g_signal_connect(address_, "changed", G_CALLBACK(OnAddressChanged), this);
  g_signal_connect(gtk_bin_get_child(GTK_BIN(address_)), "key-press-event", G_CALLBACK(OnAddressKey),
                   this);
  gtk_box_pack_start(GTK_BOX(bar), address_, TRUE, TRUE, 0);

  GtkWidget* go = gtk_button_new_with_label("Go");
  gtk_button_set_image(GTK_BUTTON(go), Image("go-jump-symbolic", 20));
  gtk_button_set_always_show_image(GTK_BUTTON(go), TRUE);
  gtk_button_set_relief(GTK_BUTTON(go), GTK_RELIEF_NONE);
  gtk_widget_set_valign(go, GTK_ALIGN_CENTER);
  gtk_widget_set_size_request(go, 51, 26);
  g_signal_connect(go, "clicked", G_CALLBACK(OnGo), this);
  gtk_box_pack_start(GTK_BOX(bar), go, FALSE, FALSE, 4);
  return bar;
}

GtkWidget* BrowserWidgets::MakeStatusBar() {
  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
  gtk_widget_set_size_request(bar, -1, 21);
  statusText_ = gtk_label_new("");
  gtk_label_set_xalign(GTK_LABEL(statusText_), 0);
  gtk_label_set_ellipsize(GTK_LABEL(statusText_), PANGO_ELLIPSIZE_END);
  gtk_widget_set_margin_start(statusText_, 4);
  gtk_box_pack_start(GTK_BOX(bar), statusText_, TRUE, TRUE, 0);
  progressFrame_ = gtk_frame_new(nullptr);
  gtk_widget_set_size_request(progressFrame_, kProgressPanelWidth, -1);
  progress_ = gtk_progress_bar_new();
  gtk_widget_set_valign(progress_, GTK_ALIGN_CENTER);
  gtk_container_add(GTK_CONTAINER(progressFrame_), progress_);
  gtk_box_pack_start(GTK_BOX(bar), progressFrame_, FALSE, FALSE, 0);
  GtkWidget* last = gtk_frame_new(nullptr);
  gtk_widget_set_size_request(last, kLastPanelWidth, -1);
  gtk_box_pack_start(GTK_BOX(bar), last, FALSE, FALSE, 0);
  return bar;
}

void BrowserWidgets::SetCaption(const std::string& caption) {
  gtk_window_set_title(window_, caption.c_str());
}

std::string BrowserWidgets::AddressText() const {
  const gchar* text = gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(address_))));
  return text ? text : "";
}

void BrowserWidgets::SetAddressText(const std::string& text) {
  updatingAddress_ = true;
  gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(address_))), text.c_str());
  updatingAddress_ = false;
}

void BrowserWidgets::SetAddressList(const std::vector<std::string>& items, int selected) {
  updatingAddress_ = true;
  gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(address_));
  for (const std::string& item : items)
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(address_), item.c_str());
  gtk_combo_box_set_active(GTK_COMBO_BOX(address_), selected);
  updatingAddress_ = false;
}

void BrowserWidgets::SetStatusText(const std::string& text) {
  status_ = text;
  if (!noteTimer_) gtk_label_set_text(GTK_LABEL(statusText_), text.c_str());
}

void BrowserWidgets::ShowStatusNote(const std::string& text) {
  if (noteTimer_) g_source_remove(noteTimer_);
  noteTimer_ = g_timeout_add(kNoteMilliseconds, OnNoteEnd, this);
  gtk_label_set_text(GTK_LABEL(statusText_), text.c_str());
}

gboolean BrowserWidgets::OnNoteEnd(gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  widgets->noteTimer_ = 0;
  gtk_label_set_text(GTK_LABEL(widgets->statusText_), widgets->status_.c_str());
  return G_SOURCE_REMOVE;
}

bool BrowserWidgets::ShowFindBar() {
  findBar_->Open();
  return true;
}

void BrowserWidgets::SetProgress(bool visible, int position, int maximum) {
  gtk_frame_set_shadow_type(GTK_FRAME(progressFrame_), visible ? GTK_SHADOW_NONE : GTK_SHADOW_IN);
  gtk_widget_set_visible(progress_, visible);
  if (maximum > 0)
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(progress_),
                                  std::clamp(static_cast<double>(position) / maximum, 0.0, 1.0));
}

void BrowserWidgets::SetButtonEnabled(TToolButton button, bool enabled) {
  gtk_widget_set_sensitive(buttons_[static_cast<int>(button)], enabled);
}

// The separator after Home goes with the buttons after it.
void BrowserWidgets::SetButtonVisible(TToolButton button, bool visible) {
  gtk_widget_set_visible(buttons_[static_cast<int>(button)], visible);
  bool later = false;
  for (int i = kNavigationButtons; i < kToolButtonCount; ++i)
    later = later || gtk_widget_get_visible(buttons_[i]);
  gtk_widget_set_visible(separator_, later);
}

void BrowserWidgets::SetToolbarVisible(bool visible) { gtk_widget_set_visible(topBar_, visible); }

void BrowserWidgets::SetStatusBarVisible(bool visible) {
  gtk_widget_set_visible(statusBar_, visible);
}

int BrowserWidgets::ToolbarHeight() const { return PreferredHeight(topBar_); }

int BrowserWidgets::StatusBarHeight() const { return PreferredHeight(statusBar_); }

std::string BrowserWidgets::SaveFileDialog(const std::string& folder, const std::string& suggestedName) {
  return RunSaveDialog(window_, folder, suggestedName);
}

void BrowserWidgets::OnButton(GtkToolButton* button, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  TBrowserForm* form = widgets->form_;
  if (!form) return;
  switch (static_cast<TToolButton>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "button")))) {
    case TToolButton::kBack: form->btnBackClick(); break;
    case TToolButton::kForward: form->btnForwardClick(); break;
    case TToolButton::kRefresh: form->btnRefreshClick(); break;
    case TToolButton::kStop: form->btnStopClick(); break;
    case TToolButton::kHome: form->btnHomeClick(); break;
    case TToolButton::kFavorites:
      if (widgets->onFavorites) widgets->onFavorites();
      break;
    case TToolButton::kRebrand:
      if (widgets->onBrand) widgets->onBrand();
      break;
  }
}

void BrowserWidgets::OnGo(GtkButton*, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  if (widgets->form_) widgets->form_->btnGoClick();
}

// An entry picked from the list navigates; typing only edits the text.
void BrowserWidgets::OnAddressChanged(GtkComboBox* combo, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  if (widgets->updatingAddress_ || !widgets->form_) return;
  const int index = gtk_combo_box_get_active(combo);
  if (index >= 0)
    widgets->form_->cboAddressClick(index);
  else
    widgets->form_->cboAddressChange(widgets->AddressText());
}

gboolean BrowserWidgets::OnAddressKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  const int key = KeyCode(event->keyval);
  if (!widgets->form_ || key == 0 || key == kKeyF5) return FALSE;
  return widgets->form_->cboAddressKeyDown(key);
}

gboolean BrowserWidgets::OnWindowKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  const int key = KeyCode(event->keyval);
  if (widgets->form_ && key == kKeyF5) widgets->form_->FormKeyDown(key);
  // With the focus nowhere, no widget would pass the key on to the box.
  if (!gtk_window_get_focus(widgets->window_)) return OnUnclaimedKey(nullptr, event, self);
  return FALSE;
}

gboolean BrowserWidgets::OnUnclaimedKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  const int key = BrowserKeyCode(event->keyval);
  return widgets->form_ && key != 0 && widgets->form_->BrowserKeyDown(key, Modifiers(event->state));
}

// Ctrl with the wheel zooms, as in a browser; the page scrolls otherwise.
gboolean BrowserWidgets::OnWheel(GtkWidget*, GdkEventScroll* event, gpointer self) {
  auto* widgets = static_cast<BrowserWidgets*>(self);
  if (!widgets->form_ || !(event->state & GDK_CONTROL_MASK)) return FALSE;
  int direction = 0;
  if (event->direction == GDK_SCROLL_UP) direction = 1;
  if (event->direction == GDK_SCROLL_DOWN) direction = -1;
  if (event->direction == GDK_SCROLL_SMOOTH) direction = event->delta_y < 0 ? 1 : event->delta_y > 0 ? -1 : 0;
  widgets->form_->ZoomStep(direction);
  return TRUE;
}
