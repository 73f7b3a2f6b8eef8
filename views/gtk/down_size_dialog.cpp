// The Down Size dialog on GTK: the components in four frames (the database
// engines, the PHP loaders, the PHP extensions, phpMyAdmin), OK and Cancel below.
#include <array>

#include "forms/down_size_form.h"
#include "views/gtk/modal_dialog.h"
#include "views/gtk/tool_dialogs.h"

namespace {

constexpr int kMargin = 8;
constexpr int kRowHeight = 21;
constexpr int kGroups = 4;

class GtkDownSizeView : public DownSizeView {
 public:
  GtkDownSizeView(GtkWindow* owner, TfrmDownSize& form) : dialog_(owner, "Down Size", 241, 465), form_(form) {
    const auto& rows = form_.Table().rows;
    int top = kMargin;
    for (int group = 1; group <= kGroups; ++group) {
      int members = 0;
      for (const auto& row : rows) members += row.group == group ? 1 : 0;
      // The frame first, so the boxes lie above it.
      const int height = kMargin + members * kRowHeight + 4;
      dialog_.Bevel(kMargin, top, 241 - 2 * kMargin, height);
      int boxTop = top + kMargin;
      for (std::size_t i = 0; i < rows.size() && i < boxes_.size(); ++i) {
        if (rows[i].group != group) continue;
        GtkWidget* box = dialog_.Put(gtk_check_button_new_with_label(rows[i].caption), 2 * kMargin, boxTop);
        gtk_widget_set_can_focus(box, FALSE);
        g_signal_connect(box, "toggled", G_CALLBACK(OnToggled), this);
        boxes_[i] = box;
        boxTop += kRowHeight;
      }
      top += height + 6;
    }
    ok_ = dialog_.Button("OK", 77, 428, 75, 25, [this] { form_.btnOKClick(); });
    GtkWidget* cancel = dialog_.Button("Cancel", 158, 428, 75, 25, [this] { form_.btnCancelClick(); });
    gtk_widget_set_can_focus(ok_, FALSE);
    gtk_widget_set_can_focus(cancel, FALSE);
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] { form_.FormShow(); });
  }

  bool BoxChecked(int box) const override {
    GtkWidget* widget = Box(box);
    return widget && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
  }
  void SetBoxEnabled(int box, bool enabled) override {
    if (GtkWidget* widget = Box(box)) gtk_widget_set_sensitive(widget, enabled);
  }
  void SetOkEnabled(bool enabled) override { gtk_widget_set_sensitive(ok_, enabled); }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  GtkWidget* Box(int box) const {
    return box >= 0 && box < kDownSizeComponents ? boxes_[static_cast<std::size_t>(box)] : nullptr;
  }
  static void OnToggled(GtkToggleButton*, gpointer self) {
    static_cast<GtkDownSizeView*>(self)->form_.CheckBoxClick();
  }

  GtkModalDialog dialog_;
  TfrmDownSize& form_;
  std::array<GtkWidget*, kDownSizeComponents> boxes_{};
  GtkWidget* ok_;
};

}  // namespace

TModalResult RunDownSizeDialog(GtkWindow* owner, TfrmDownSize& form) {
  GtkDownSizeView view(owner, form);
  return view.Run();
}
