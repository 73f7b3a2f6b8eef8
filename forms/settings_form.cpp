#include "forms/settings_form.h"

#include <algorithm>

#include "forms/port_edit.h"

void TfrmSettings::FormShow() {
  FView->SetIpIndex(IP == "127.0.0.1" ? 0 : 1);
  FPortText = std::to_string(std::clamp(Port, kMinPort, kMaxPort));
  FView->SetPortText(FPortText);
  FView->SetOkEnabled(false);
}

void TfrmSettings::cboIPChange() { FView->SetOkEnabled(true); }

void TfrmSettings::SpinEdit1Exit() {
  FPortText = port_edit::ExitText(FView->PortText(), FPortText);
  FView->SetPortText(FPortText);
}

void TfrmSettings::btnOKClick() {
  if (FDialogs.AppMessageBox("Are you sure you want to do this?", kMbYesNo | kMbIconQuestion) != mrYes)
    return;
  IP = FView->IpIndex() == 0 ? "127.0.0.1" : "all";
  Port = port_edit::Value(FView->PortText());
  FView->Close(mrOK);
}

void TfrmSettings::btnCancelClick() { FView->Close(mrCancel); }
