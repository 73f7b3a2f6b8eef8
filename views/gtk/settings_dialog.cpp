// The Server Settings dialog on GTK: the address list and the port's spin
// edit in their frame, OK and Cancel below.
#include <string>

#include "forms/settings_form.h"
#include "views/gtk/modal_dialog.h"
#include "views/gtk/tool_dialogs.h"

namespace {

class GtkSettingsView : public SettingsView {
 public:
  GtkSettingsView(GtkWindow* owner, TfrmSettings& form) : dialog_(owner, "Server Settings", 291, 131), form_(form) {
    dialog_.Bevel(8, 8, 275, 81);
    dialog_.Label("IP address:", 20, 26);
    ip_ = dialog_.List({TfrmSettings::kIpItems[0], TfrmSettings::kIpItems[1]}, 100, 20, 170);
    dialog_.Label("Server port:", 20, 59);
    port_ = dialog_.Put(gtk_spin_button_new_with_range(TfrmSettings::kMinPort, TfrmSettings::kMaxPort, 1),
                        100, 53, 110);
    gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(port_), TRUE);
    ok_ = dialog_.Button("OK", 127, 98, 75, 25, [this] { form_.btnOKClick(); });
    GtkWidget* cancel = dialog_.Button("Cancel", 208, 98, 75, 25, [this] { form_.btnCancelClick(); });
    gtk_widget_set_can_focus(ok_, FALSE);
    gtk_widget_set_can_focus(cancel, FALSE);
    g_signal_connect(ip_, "changed", G_CALLBACK(OnChange), this);
    g_signal_connect(port_, "changed", G_CALLBACK(OnChange), this);
    g_signal_connect(port_, "focus-out-event", G_CALLBACK(OnPortExit), this);
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] {
      form_.FormShow();
      gtk_widget_grab_focus(ip_);
    });
  }

  int IpIndex() const override { return gtk_combo_box_get_active(GTK_COMBO_BOX(ip_)); }
  void SetIpIndex(int index) override {
    setting_ = true;
    gtk_combo_box_set_active(GTK_COMBO_BOX(ip_), index);
    setting_ = false;
  }
  std::string PortText() const override { return gtk_entry_get_text(GTK_ENTRY(port_)); }
  void SetPortText(const std::string& text) override {
    setting_ = true;
    gtk_entry_set_text(GTK_ENTRY(port_), text.c_str());
    gtk_spin_button_update(GTK_SPIN_BUTTON(port_));
    setting_ = false;
  }
  void SetOkEnabled(bool enabled) override { gtk_widget_set_sensitive(ok_, enabled); }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  static void OnChange(GtkWidget*, gpointer self) {
    auto* view = static_cast<GtkSettingsView*>(self);
    if (!view->setting_) view->form_.cboIPChange();
  }
  static gboolean OnPortExit(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkSettingsView*>(self)->form_.SpinEdit1Exit();
    return FALSE;
  }

  GtkModalDialog dialog_;
  TfrmSettings& form_;
  GtkWidget* ip_;
  GtkWidget* port_;
  GtkWidget* ok_;
  bool setting_ = false;
};

}  // namespace

TModalResult RunSettingsDialog(GtkWindow* owner, TfrmSettings& form) {
  GtkSettingsView view(owner, form);
  return view.Run();
}
