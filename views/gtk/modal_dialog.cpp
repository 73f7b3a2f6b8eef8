#include "views/gtk/modal_dialog.h"

#include <map>

namespace {

// How each dialog that is open now is closed, by its address.
std::map<const void*, std::function<void()>>& OpenDialogs() {
  static std::map<const void*, std::function<void()>> open;
  return open;
}
bool g_closingAll = false;

// Registers a dialog as open for its lifetime.
class OpenDialog {
 public:
  OpenDialog(const void* dialog, std::function<void()> close) : dialog_(dialog) {
    OpenDialogs()[dialog] = std::move(close);
  }
  ~OpenDialog() { OpenDialogs().erase(dialog_); }
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;

 private:
  const void* dialog_;
};

void OnButton(GtkButton*, gpointer handler) { (*static_cast<std::function<void()>*>(handler))(); }

// The dialogs' face: a small font, as the forms were laid out for.
// Controls as tall as the forms' rows, not the theme's touch-sized ones.
constexpr char kStyle[] =
    ".lodestack-dialog, .lodestack-dialog * { font: 8pt Sans; } "
    ".lodestack-dialog entry, .lodestack-dialog button, .lodestack-dialog spinbutton { "
    "min-height: 20px; padding-top: 1px; padding-bottom: 1px; }";

}  // namespace

GtkModalDialog::GtkModalDialog(GtkWindow* owner, const std::string& caption, int clientWidth,
                               int clientHeight)
    : window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)), fixed_(gtk_fixed_new()) {
  gtk_window_set_title(GTK_WINDOW(window_), caption.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
  if (owner) gtk_window_set_transient_for(GTK_WINDOW(window_), owner);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  gtk_widget_set_size_request(fixed_, clientWidth, clientHeight);
  gtk_container_add(GTK_CONTAINER(window_), fixed_);
  UseDialogFont(window_);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  OnCloseQuery = [this] { Close(mrCancel); };
}

GtkModalDialog::~GtkModalDialog() {
  gtk_widget_destroy(window_);
  for (auto* handler : handlers_) delete handler;
}

GtkWidget* GtkModalDialog::Put(GtkWidget* control, int left, int top, int width, int height) {
  if (width > 0 || height > 0) gtk_widget_set_size_request(control, width > 0 ? width : -1, height > 0 ? height : -1);
  gtk_fixed_put(GTK_FIXED(fixed_), control, left, top);
  return control;
}

GtkWidget* GtkModalDialog::Label(const std::string& text, int left, int top) {
  GtkWidget* label = gtk_label_new_with_mnemonic(text.c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  return Put(label, left, top);
}

GtkWidget* GtkModalDialog::Button(const std::string& caption, int left, int top, int width,
                                  int height, std::function<void()> onClick) {
  GtkWidget* button = gtk_button_new_with_mnemonic(caption.c_str());
  auto* handler = new std::function<void()>(std::move(onClick));
  handlers_.push_back(handler);
  g_signal_connect(button, "clicked", G_CALLBACK(OnButton), handler);
  return Put(button, left, top, width, height);
}

GtkWidget* GtkModalDialog::List(const std::vector<std::string>& items, int left, int top, int width) {
  GtkWidget* list = gtk_combo_box_text_new();
  for (const auto& item : items) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), item.c_str());
  return Put(list, left, top, width);
}

GtkWidget* GtkModalDialog::Bevel(int left, int top, int width, int height) {
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_ETCHED_IN);
  return Put(frame, left, top, width, height);
}

TModalResult GtkModalDialog::ShowModal(const std::function<void()>& onShow) {
  result_ = mrNone;
  if (g_closingAll) return mrCancel;
  const OpenDialog open(this, [this] { Close(mrCancel); });
  gtk_widget_show_all(window_);
  gtk_window_present(GTK_WINDOW(window_));
  onShow();
  if (result_ == mrNone && !g_closingAll) {
    loop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop_);
    g_main_loop_unref(loop_);
    loop_ = nullptr;
  }
  gtk_widget_hide(window_);
  return result_;
}

void GtkModalDialog::Close(TModalResult result) {
  result_ = result;
  if (loop_) g_main_loop_quit(loop_);
}

gboolean GtkModalDialog::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<GtkModalDialog*>(self)->OnCloseQuery();
  return TRUE;
}

int RunDialog(GtkDialog* dialog) {
  if (g_closingAll) return GTK_RESPONSE_DELETE_EVENT;
  const OpenDialog open(dialog, [dialog] { gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT); });
  return gtk_dialog_run(dialog);
}

void CloseModalDialogs() {
  g_closingAll = true;
  // A copy: each close may end a dialog's run, which unregisters it.
  const auto open = OpenDialogs();
  for (const auto& entry : open) entry.second();
}

void UseDialogFont(GtkWidget* window) {
  static bool styled = false;
  if (!styled) {
    styled = true;
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
  }
  gtk_style_context_add_class(gtk_widget_get_style_context(window), "lodestack-dialog");
}

void SetSensitive(std::initializer_list<GtkWidget*> controls, bool enabled) {
  for (GtkWidget* control : controls) gtk_widget_set_sensitive(control, enabled);
}
