#include "forms/down_size_form.h"

#include "util/hi.h"

void TfrmDownSize::FormShow() {
  for (std::size_t i = 0; i < FTable.rows.size(); ++i) {
    const TDownSizeRow& row = FTable.rows[i];
    const std::string marker = FAppPath + row.marker;
    const bool present = (row.markerIsFolder ? THi::DirectoryExists(marker) : THi::FileExists(marker)) ||
                         (!row.newerMarker.empty() && THi::FileExists(FAppPath + row.newerMarker));
    FView->SetBoxEnabled(static_cast<int>(i), present);
  }
  FView->SetOkEnabled(false);
}

void TfrmDownSize::CheckBoxClick() {
  bool any = false;
  for (int i = 0; i < kDownSizeComponents; ++i) any = any || FView->BoxChecked(i);
  FView->SetOkEnabled(any);
}

void TfrmDownSize::btnOKClick() {
  if (FDialogs.AppMessageBox("Are you sure you want to do this?", kMbYesNo | kMbIconQuestion) != mrYes)
    return;
  for (int i = 0; i < kDownSizeComponents; ++i) FChoice[static_cast<std::size_t>(i)] = FView->BoxChecked(i);
  FView->Close(mrOK);
}

void TfrmDownSize::btnCancelClick() { FView->Close(mrCancel); }

std::string DownSizeParameters(const TDownSizeChoice& choice) {
  std::string params = "downsize";
  for (const bool chosen : choice) params += chosen ? " -1" : " 0";
  return params;
}
