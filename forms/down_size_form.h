// TfrmDownSize: the Down Size dialog. It offers each component whose files
// are present, asks for confirmation, and hands the choice over as the
// parameter string of the down-size worker.
#pragma once

#include <array>
#include <string>

#include "forms/dialog_services.h"
#include "packaging/down_size_table.h"

using TDownSizeChoice = std::array<bool, kDownSizeComponents>;

// The check boxes are numbered as the table's rows (position order).
class DownSizeView {
 public:
  virtual ~DownSizeView() = default;
  virtual bool BoxChecked(int box) const = 0;
  virtual void SetBoxEnabled(int box, bool enabled) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
  // Ends the modal dialog with this result.
  virtual void Close(TModalResult result) = 0;
};

class TfrmDownSize {
 public:
  // appPath: the program folder with its trailing separator.
  TfrmDownSize(DialogServices& dialogs, std::string appPath,
               const TDownSizeTable& table = DownSizeTable())
      : FDialogs(dialogs), FAppPath(std::move(appPath)), FTable(table) {}
  void Attach(DownSizeView& view) { FView = &view; }
  const TDownSizeTable& Table() const { return FTable; }

  void FormShow();
  // Any check box was clicked.
  void CheckBoxClick();
  void btnOKClick();
  void btnCancelClick();

  // The boxes that were checked when the dialog was confirmed.
  const TDownSizeChoice& Choice() const { return FChoice; }

 private:
  DialogServices& FDialogs;
  std::string FAppPath;
  const TDownSizeTable& FTable;
  DownSizeView* FView = nullptr;
  TDownSizeChoice FChoice{};
};

// "downsize" and one flag per component in position order: "-1" for a
// chosen one, "0" for the others, each after one blank.
std::string DownSizeParameters(const TDownSizeChoice& choice);
