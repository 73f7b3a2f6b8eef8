// The Down Size dialog on Win32: the components in four frames (the database
// engines, the PHP loaders, the PHP extensions, phpMyAdmin), OK and Cancel
// below. No control is a tab stop.
#include <array>

#include "forms/down_size_form.h"
#include "views/win32/modal_dialog_win32.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

constexpr int kClientWidth = 241;
constexpr int kMargin = 8;
constexpr int kRowHeight = 21;
constexpr int kGroups = 4;

class Win32DownSizeView : public DownSizeView {
 public:
  Win32DownSizeView(HWND owner, TfrmDownSize& form)
      : dialog_(owner, "Down Size", kClientWidth, 465, Win32ModalDialog::kScreenCentre), form_(form) {
    const auto& rows = form_.Table().rows;
    int top = kMargin;
    for (int group = 1; group <= kGroups; ++group) {
      int members = 0;
      for (const auto& row : rows) members += row.group == group ? 1 : 0;
      const int height = kMargin + members * kRowHeight + 4;
      dialog_.Bevel(kMargin, top, kClientWidth - 2 * kMargin, height);
      int boxTop = top + kMargin + 2;
      for (std::size_t i = 0; i < rows.size() && i < boxes_.size(); ++i) {
        if (rows[i].group != group) continue;
        // As wide as the frame allows: the longest caption needs it.
        HWND box = dialog_.Put(L"Button", rows[i].caption, BS_AUTOCHECKBOX, kMargin + 6, boxTop,
                               kClientWidth - 2 * kMargin - 8, 17);
        dialog_.OnCommand(box, BN_CLICKED, [this] { form_.CheckBoxClick(); });
        boxes_[i] = box;
        boxTop += kRowHeight;
      }
      top += height + 6;
    }
    ok_ = dialog_.Button("OK", 77, 428, 75, 25, [this] { form_.btnOKClick(); }, IDOK);
    dialog_.Button("Cancel", 158, 428, 75, 25, [this] { form_.btnCancelClick(); }, IDCANCEL);
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] { form_.FormShow(); });
  }

  bool BoxChecked(int box) const override {
    HWND control = Box(box);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void SetBoxEnabled(int box, bool enabled) override {
    if (HWND control = Box(box)) EnableWindow(control, enabled);
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(ok_, enabled); }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  HWND Box(int box) const {
    return box >= 0 && box < kDownSizeComponents ? boxes_[static_cast<std::size_t>(box)] : nullptr;
  }

  Win32ModalDialog dialog_;
  TfrmDownSize& form_;
  std::array<HWND, kDownSizeComponents> boxes_{};
  HWND ok_;
};

}  // namespace

TModalResult RunDownSizeDialog(HWND owner, TfrmDownSize& form) {
  Win32DownSizeView view(owner, form);
  return view.Run();
}
