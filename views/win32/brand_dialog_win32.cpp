// The Rebrand dialog on Win32: the product's rows, the website and database
// folders, and the output folder in three frames; the note, Go! and Cancel
// below. Buttons are no tab stops, so Tab walks the edits and lists in order.
#include <array>
#include <string>
#include <vector>

#include "forms/brand_form.h"
#include "forms/brand_layout.h"
#include "forms/port_edit.h"
#include "views/win32/modal_dialog_win32.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

constexpr int kLabelLeft = 16;
constexpr int kControlLeft = 198;
constexpr int kBrowseLeft = 482;
constexpr int kRowRight = 557;  // where the rows end, inside the frames
constexpr int kListWidth = 194;
constexpr int kSecondLeft = kControlLeft + kListWidth + 5;
constexpr int kSecondWidth = kRowRight - kSecondLeft;

class Win32BrandView : public BrandView {
 public:
  Win32BrandView(HWND owner, TfrmBrand& form)
      : dialog_(owner, "Rebrand", brand_layout::kClientWidth, brand_layout::kClientHeight,
                Win32ModalDialog::kOwnerCentre), form_(form) {
    for (const TBrandFrame& frame : brand_layout::kFrames)
      dialog_.Bevel(frame.left, frame.top, frame.width, frame.height);
    for (const TBrandRow& row : brand_layout::kRows) AddRow(row);
    dialog_.Label(brand_layout::kDevToolsCaption, kLabelLeft, brand_layout::kDevToolsTop + 4);
    devTools_ = dialog_.Put(L"Button", brand_layout::kDevToolsBox, BS_AUTOCHECKBOX | WS_TABSTOP, kControlLeft,
                            brand_layout::kDevToolsTop + 2, kRowRight - kControlLeft, 17);

    // The note wraps beside the buttons rather than widening the dialog.
    constexpr int buttons = brand_layout::kButtonTop;
    dialog_.Put(L"Static", brand_layout::kNote, SS_LEFT | SS_NOPREFIX, 8, buttons, 390, 28);
    dialog_.Button("Go!", 409, buttons, 75, 25, [this] { form_.btnOKClick(); }, IDOK);
    dialog_.Button("Cancel", 490, buttons, 75, 25, [this] { form_.btnCancelClick(); }, IDCANCEL);
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] { form_.FormShow(); }, edits_[kImage]);
  }

  std::string EditText(TEdit edit) const override { return ControlText(edits_[edit]); }
  void SetEditText(TEdit edit, const std::string& text) override { SetControlText(edits_[edit], text); }
  int ListIndex(TList list) const override {
    return static_cast<int>(SendMessageW(lists_[list], CB_GETCURSEL, 0, 0));
  }
  void SetListIndex(TList list, int index) override {
    SendMessageW(lists_[list], CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  std::string PortText() const override { return ControlText(port_); }
  void SetPortText(const std::string& text) override { SetControlText(port_, text); }
  void SetRowEnabled(TRow row, bool enabled) override {
    const TEdit edit = brand_layout::RowEdit(row);
    SetEnabled({labels_[edit], edits_[edit], browses_[edit]}, enabled);
  }
  bool DevToolsChecked() const override { return SendMessageW(devTools_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetDevToolsChecked(bool checked) override {
    SendMessageW(devTools_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  void AddRow(const TBrandRow& row) {
    HWND label = dialog_.Label(row.caption, kLabelLeft, row.top + 4);
    const auto list = [&](int which, int left, int width) {
      lists_[which] = dialog_.List(brand_layout::ListItems(TList(which)), left, row.top, width);
    };
    switch (row.kind) {
      case TBrandRow::kEditAndBrowse: {
        const TEdit edit = TEdit(row.first);
        labels_[edit] = label;
        edits_[edit] = dialog_.Edit(kControlLeft, row.top, kBrowseLeft - kControlLeft - 6);
        browses_[edit] = dialog_.Button("Browse...", kBrowseLeft, row.top - 2, 75, 25,
                                        [this, edit] { form_.BrowseClick(edit); });
        break;
      }
      case TBrandRow::kEdit:
        edits_[row.first] = dialog_.Edit(kControlLeft, row.top, kRowRight - kControlLeft);
        break;
      case TBrandRow::kTwoLists:
        list(row.first, kControlLeft, kListWidth);
        list(row.second, kSecondLeft, kSecondWidth);
        break;
      case TBrandRow::kListAndPort:
        list(row.first, kControlLeft, kListWidth);
        port_ = dialog_.SpinEdit(kSecondLeft, row.top, 90, port_edit::kMin, port_edit::kMax);
        dialog_.OnCommand(port_, EN_KILLFOCUS, [this] { form_.SpinEdit1Exit(); });
        break;
      case TBrandRow::kWideList:
        list(row.first, kControlLeft, kRowRight - kControlLeft);
        break;
    }
  }

  Win32ModalDialog dialog_;
  TfrmBrand& form_;
  std::array<HWND, 6> edits_{};
  std::array<HWND, 6> lists_{};
  std::array<HWND, 6> labels_{};  // of the rows with a Browse button
  std::array<HWND, 6> browses_{};
  HWND port_ = nullptr;
  HWND devTools_ = nullptr;
};

}  // namespace

TModalResult RunBrandDialog(HWND owner, TfrmBrand& form) {
  Win32BrandView view(owner, form);
  return view.Run();
}
