// The Server Settings dialog on Win32: the address list and the port's spin
// edit in their frame, OK and Cancel below, neither reachable with Tab.
#include <string>

#include "forms/settings_form.h"
#include "views/win32/modal_dialog_win32.h"
#include "views/win32/tool_dialogs_win32.h"

namespace {

class Win32SettingsView : public SettingsView {
 public:
  Win32SettingsView(HWND owner, TfrmSettings& form)
      : dialog_(owner, "Server Settings", 291, 131, Win32ModalDialog::kScreenCentre), form_(form) {
    dialog_.Bevel(8, 8, 275, 81);
    dialog_.Label("IP address:", 20, 24);
    ip_ = dialog_.List({TfrmSettings::kIpItems[0], TfrmSettings::kIpItems[1]}, 94, 20, 181);
    dialog_.Label("Server port:", 20, 57);
    port_ = dialog_.SpinEdit(94, 53, 110, TfrmSettings::kMinPort, TfrmSettings::kMaxPort);
    ok_ = dialog_.Button("OK", 127, 98, 75, 25, [this] { form_.btnOKClick(); }, IDOK);
    dialog_.Button("Cancel", 208, 98, 75, 25, [this] { form_.btnCancelClick(); }, IDCANCEL);
    dialog_.OnCommand(ip_, CBN_SELCHANGE, [this] { Changed(); });
    dialog_.OnCommand(port_, EN_CHANGE, [this] { Changed(); });
    dialog_.OnCommand(port_, EN_KILLFOCUS, [this] { form_.SpinEdit1Exit(); });
    form_.Attach(*this);
  }

  TModalResult Run() {
    return dialog_.ShowModal([this] { form_.FormShow(); }, ip_);
  }

  int IpIndex() const override { return static_cast<int>(SendMessageW(ip_, CB_GETCURSEL, 0, 0)); }
  void SetIpIndex(int index) override { SendMessageW(ip_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  std::string PortText() const override { return ControlText(port_); }
  void SetPortText(const std::string& text) override {
    // The form's own text is no change by the user.
    setting_ = true;
    SetControlText(port_, text);
    setting_ = false;
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(ok_, enabled); }
  void Close(TModalResult result) override { dialog_.Close(result); }

 private:
  void Changed() {
    if (!setting_) form_.cboIPChange();
  }

  Win32ModalDialog dialog_;
  TfrmSettings& form_;
  HWND ip_;
  HWND port_;
  HWND ok_;
  bool setting_ = false;
};

}  // namespace

TModalResult RunSettingsDialog(HWND owner, TfrmSettings& form) {
  Win32SettingsView view(owner, form);
  return view.Run();
}
