#include "views/gtk/about_box.h"

#include "forms/about_form.h"
#include "views/gtk/modal_dialog.h"

namespace {

constexpr int kClientWidth = 295;
constexpr int kClientHeight = 194;

class GtkAboutView : public AboutView {
 public:
  GtkAboutView(GtkWidget* fixed, GtkWidget* icon) : fixed_(fixed), icon_(icon) {
    labels_[0] = Label(20, "<b><span size='large'></span></b>");
    labels_[1] = Label(66, "");
    labels_[2] = Label(86, "");
    gtk_fixed_put(GTK_FIXED(fixed_), icon_, 0, 14);
  }

  int ClientWidth() const override { return kClientWidth; }
  void SetLabel(TAboutLabel label, const std::string& text) override {
    GtkWidget* widget = labels_[static_cast<int>(label)];
    if (label == TAboutLabel::kTitle) {
      gchar* markup = g_markup_printf_escaped("<b><span size='large'>%s</span></b>", text.c_str());
      gtk_label_set_markup(GTK_LABEL(widget), markup);
      g_free(markup);
    } else {
      gtk_label_set_text(GTK_LABEL(widget), text.c_str());
    }
  }
  int LabelWidth(TAboutLabel label) const override {
    int minimum = 0;
    int natural = 0;
    gtk_widget_get_preferred_width(labels_[static_cast<int>(label)], &minimum, &natural);
    return natural;
  }
  void MoveLabel(TAboutLabel label, int left) override {
    GtkWidget* widget = labels_[static_cast<int>(label)];
    int y = 0;
    gtk_container_child_get(GTK_CONTAINER(fixed_), widget, "y", &y, nullptr);
    gtk_fixed_move(GTK_FIXED(fixed_), widget, left, y);
  }
  int IconWidth() const override { return 32; }
  void MoveIcon(int left) override { gtk_fixed_move(GTK_FIXED(fixed_), icon_, left, 14); }
  void SetLinks(const std::string& address, const std::string& website) override {
    mail = Link(112, "Our Mail:", "mailto:" + address, address);
    site = Link(130, "Our Site:", website, website);
  }

 private:
  GtkWidget* Label(int y, const char* markup) {
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    // Shown at once: a hidden widget measures 0 wide, and the form centres by the width.
    gtk_widget_show(label);
    gtk_fixed_put(GTK_FIXED(fixed_), label, 0, y);
    return label;
  }
  GtkWidget* Link(int y, const char* caption, const std::string& uri, const std::string& text) {
    gtk_fixed_put(GTK_FIXED(fixed_), gtk_label_new(caption), 30, y);
    GtkWidget* link = gtk_link_button_new_with_label(uri.c_str(), text.c_str());
    gtk_button_set_relief(GTK_BUTTON(link), GTK_RELIEF_NONE);
    // Links as on a label: clicked, never focused, so Return is the OK button's.
    gtk_widget_set_can_focus(link, FALSE);
    gtk_fixed_put(GTK_FIXED(fixed_), link, 90, y - 6);
    return link;
  }

 public:
  GtkWidget* mail = nullptr;
  GtkWidget* site = nullptr;

 private:
  GtkWidget* fixed_;
  GtkWidget* icon_;
  GtkWidget* labels_[3] = {};
};

// The links open through the form (the mail client, the default browser).
gboolean OnMail(GtkLinkButton*, gpointer form) {
  static_cast<TfrmLodestackAbout*>(form)->lblEmailAddrClick();
  return TRUE;
}

gboolean OnSite(GtkLinkButton*, gpointer form) {
  static_cast<TfrmLodestackAbout*>(form)->lblWebsiteAddrClick();
  return TRUE;
}

// White panel; a pressed link turns red until the button is released.
constexpr char kStyle[] =
    "#about-panel { background-color: white; } "
    "button.link:active label { color: red; }";

}  // namespace

void ShowGtkAbout(GtkWindow* owner, GdkPixbuf* icon, const std::string& title,
                  const std::string& version, const std::string& year) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons("About", owner,
                                                  static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL),
                                                  "OK", GTK_RESPONSE_OK, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

  // The white panel in its frame, with everything on it.
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_ETCHED_IN);
  gtk_widget_set_margin_start(frame, 7);
  gtk_widget_set_margin_end(frame, 7);
  gtk_widget_set_margin_top(frame, 7);
  GtkWidget* panel = gtk_event_box_new();
  gtk_widget_set_name(panel, "about-panel");
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(dialog), GTK_STYLE_PROVIDER(css),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, kClientWidth - 14, 147);
  gtk_container_add(GTK_CONTAINER(panel), fixed);
  gtk_container_add(GTK_CONTAINER(frame), panel);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), frame, TRUE, TRUE, 0);
  gtk_widget_set_size_request(dialog, kClientWidth, kClientHeight);
  UseDialogFont(dialog);

  GtkWidget* image = icon ? gtk_image_new_from_pixbuf(icon)
                          : gtk_image_new_from_icon_name("application-x-executable", GTK_ICON_SIZE_DND);
  gtk_image_set_pixel_size(GTK_IMAGE(image), 32);
  GtkAboutView view(fixed, image);
  TfrmLodestackAbout form(view);
  form.FTitle = title;
  form.FVersion = version;
  form.FYear = year;
  form.FormShow();
  g_signal_connect(view.mail, "activate-link", G_CALLBACK(OnMail), &form);
  g_signal_connect(view.site, "activate-link", G_CALLBACK(OnSite), &form);

  gtk_widget_show_all(dialog);
  gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK));
  gtk_window_present(GTK_WINDOW(dialog));
  RunDialog(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css));
  g_object_unref(css);
}
