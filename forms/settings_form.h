// TfrmSettings: the Server Settings dialog: listen on the loopback address
// only or on every interface, and on which port. The caller fills IP and
// Port, shows the dialog and reads them back when it was confirmed.
#pragma once

#include <string>

#include "forms/dialog_services.h"
#include "forms/port_edit.h"

class SettingsView {
 public:
  virtual ~SettingsView() = default;
  // cboIP: 0 loopback only, 1 every interface.
  virtual int IpIndex() const = 0;
  virtual void SetIpIndex(int index) = 0;
  // SpinEdit1's text.
  virtual std::string PortText() const = 0;
  virtual void SetPortText(const std::string& text) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
  // Ends the modal dialog with this result.
  virtual void Close(TModalResult result) = 0;
};

class TfrmSettings {
 public:
  static constexpr const char* kIpItems[2] = {"127.0.0.1 - LOOPBACK (Y)", "127.0.0.1 - LOOPBACK (N)"};
  static constexpr int kMinPort = port_edit::kMin;
  static constexpr int kMaxPort = port_edit::kMax;

  explicit TfrmSettings(DialogServices& dialogs) : FDialogs(dialogs) {}
  // The view of the dialog being shown; its handlers act on it.
  void Attach(SettingsView& view) { FView = &view; }

  // "127.0.0.1" (loopback only) or "all".
  std::string IP;
  int Port = 80;

  void FormShow();
  // Any change of the address choice or of the port text.
  void cboIPChange();
  // The port field lost the focus.
  void SpinEdit1Exit();
  void btnOKClick();
  void btnCancelClick();

 private:
  DialogServices& FDialogs;
  SettingsView* FView = nullptr;
  std::string FPortText;  // the last text the field was left with
};
