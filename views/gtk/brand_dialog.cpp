// The Rebrand dialog on GTK: the product's rows, the website and database
// folders, and the output folder in three frames; the note, Go! and Cancel
// below. Buttons take no focus, so Tab walks the edits and lists in order.
#include <array>
#include <string>

#include "forms/brand_form.h"
#include "forms/brand_layout.h"
#include "forms/port_edit.h"
#include "views/gtk/modal_dialog.h"
#include "views/gtk/tool_dialogs.h"

namespace {

constexpr int kLabelLeft = 20;
constexpr int kControlLeft = 190;
constexpr int kBrowseLeft = 482;

class GtkBrandView : public BrandView {
 public:
  GtkBrandView(GtkWindow* owner, TfrmBrand& form) : dialog_(owner, "Rebrand", brand_layout::kClientWidth, brand_layout::kClientHeight), form_(form) {
    for (const TBrandFrame& frame : brand_layout::kFrames)
      dialog_.Bevel(frame.left, frame.top, frame.width, frame.height);
    for (const TBrandRow& row : brand_layout::kRows) AddRow(row);
    dialog_.Label(brand_layout::kDevToolsCaption, kLabelLeft, brand_layout::kDevToolsTop + 4);
    devTools_ = dialog_.Put(gtk_check_button_new_with_label(brand_layout::kDevToolsBox), kControlLeft,
                            brand_layout::kDevToolsTop);

    // The note wraps beside the buttons rather than widening the dialog.
    constexpr int buttons = brand_layout::kButtonTop;
    GtkWidget* note = dialog_.Label(brand_layout::kNote, 8, buttons - 4);
    gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(note), 60);
    gtk_widget_set_size_request(note, 390, 30);
    NoFocus(dialog_.Button("Go!", 409, buttons, 75, 25, [this] { form_.btnOKClick(); }));
    NoFocus(dialog_.Button("Cancel", 490, buttons, 75, 25, [this] { form_.btnCancelClick(); }));
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] {
      form_.FormShow();
      gtk_widget_grab_focus(edits_[kImage]);
    });
  }

  std::string EditText(TEdit edit) const override { return gtk_entry_get_text(GTK_ENTRY(edits_[edit])); }
  void SetEditText(TEdit edit, const std::string& text) override {
    gtk_entry_set_text(GTK_ENTRY(edits_[edit]), text.c_str());
  }
  int ListIndex(TList list) const override { return gtk_combo_box_get_active(GTK_COMBO_BOX(lists_[list])); }
  void SetListIndex(TList list, int index) override {
    gtk_combo_box_set_active(GTK_COMBO_BOX(lists_[list]), index);
  }
  std::string PortText() const override { return gtk_entry_get_text(GTK_ENTRY(port_)); }
  void SetPortText(const std::string& text) override {
    gtk_entry_set_text(GTK_ENTRY(port_), text.c_str());
    gtk_spin_button_update(GTK_SPIN_BUTTON(port_));
  }
  void SetRowEnabled(TRow row, bool enabled) override {
    const TEdit edit = brand_layout::RowEdit(row);
    SetSensitive({labels_[edit], edits_[edit], browses_[edit]}, enabled);
  }
  bool DevToolsChecked() const override { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(devTools_)); }
  void SetDevToolsChecked(bool checked) override {
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(devTools_), checked);
  }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  void AddRow(const TBrandRow& row) {
    GtkWidget* label = dialog_.Label(row.caption, kLabelLeft, row.top + 4);
    const auto list = [&](int which, int left, int width) {
      lists_[which] = dialog_.List(brand_layout::ListItems(TList(which)), left, row.top, width);
    };
    switch (row.kind) {
      case TBrandRow::kEditAndBrowse: {
        const TEdit edit = TEdit(row.first);
        labels_[edit] = label;
        edits_[edit] = dialog_.Put(gtk_entry_new(), kControlLeft, row.top, kBrowseLeft - kControlLeft - 6);
        browses_[edit] = dialog_.Button("Browse...", kBrowseLeft, row.top, 75, 25,
                                        [this, edit] { form_.BrowseClick(edit); });
        NoFocus(browses_[edit]);
        break;
      }
      case TBrandRow::kEdit:
        edits_[row.first] = dialog_.Put(gtk_entry_new(), kControlLeft, row.top, 365);
        break;
      case TBrandRow::kTwoLists:
        list(row.first, kControlLeft, 200);
        list(row.second, kControlLeft + 205, 160);
        break;
      case TBrandRow::kListAndPort:
        list(row.first, kControlLeft, 200);
        port_ = dialog_.Put(gtk_spin_button_new_with_range(port_edit::kMin, port_edit::kMax, 1),
                            kControlLeft + 205, row.top, 160);
        gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(port_), TRUE);
        gtk_entry_set_width_chars(GTK_ENTRY(port_), 5);
        g_signal_connect(port_, "focus-out-event", G_CALLBACK(OnPortExit), this);
        break;
      case TBrandRow::kWideList:
        list(row.first, kControlLeft, 365);
        Ellipsize(lists_[row.first]);
        break;
    }
  }
  static void NoFocus(GtkWidget* button) { gtk_widget_set_can_focus(button, FALSE); }
  // A list whose items are wider than the list shows them shortened.
  static void Ellipsize(GtkWidget* list) {
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(list));
    for (GList* cell = cells; cell; cell = cell->next)
      g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    g_list_free(cells);
  }
  static gboolean OnPortExit(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkBrandView*>(self)->form_.SpinEdit1Exit();
    return FALSE;
  }

  GtkModalDialog dialog_;
  TfrmBrand& form_;
  std::array<GtkWidget*, 6> edits_{};
  std::array<GtkWidget*, 6> lists_{};
  std::array<GtkWidget*, 6> labels_{};   // of the rows with a Browse button
  std::array<GtkWidget*, 6> browses_{};
  GtkWidget* port_ = nullptr;
  GtkWidget* devTools_ = nullptr;
};

}  // namespace

TModalResult RunBrandDialog(GtkWindow* owner, TfrmBrand& form) {
  GtkBrandView view(owner, form);
  return view.Run();
}
