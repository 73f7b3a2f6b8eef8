// What the tools' dialogs ask of the window toolkit besides their own
// widgets: the application's message box, the busy cursor and the file and
// folder pickers. Flags and answers carry the Windows values on every
// platform, so the forms pass them through unchanged.
#pragma once

#include <string>

// How a modal dialog was closed.
enum TModalResult : int { mrNone = 0, mrOK = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Message box buttons and icons (combine one of each).
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbYesNo = 0x04;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;

// The caption of a message box: it follows the icon bits ("Information",
// "Warning", "Confirm", "Error"), else the application's title.
std::string AppMessageBoxCaption(unsigned flags, const std::string& appTitle);

class DialogServices {
 public:
  virtual ~DialogServices() = default;
  // A message box owned by the application window; returns the button
  // pressed as a modal result (mrOK, mrYes, mrNo).
  virtual int AppMessageBox(const std::string& text, unsigned flags) = 0;
  // The hourglass over the whole application, on or off.
  virtual void SetBusy(bool busy) = 0;
  // An open-file dialog for an existing file; `filter` is "description|pattern"
  // with patterns separated by ';'. Returns the chosen file, empty when cancelled.
  virtual std::string OpenFile(const std::string& initialFile, const std::string& defaultExt,
                               const std::string& filter) = 0;
  // A folder picker with a caption text; returns the chosen folder, empty when cancelled.
  virtual std::string BrowseForFolder(const std::string& text, const std::string& initialFolder) = 0;
};

// THi.BrowseForFile: the open-file dialog for one extension ("*.ico|*.ico",
// or every file when it is empty). `file` starts as the initial name (emptied
// when it names no existing file) and becomes the chosen file; true when the
// user confirmed.
bool BrowseForFile(DialogServices& dialogs, std::string& file, const std::string& extension);
// THi.BrowseForFolder: as above for a folder.
bool BrowseForFolder(DialogServices& dialogs, std::string& folder, const std::string& text);
