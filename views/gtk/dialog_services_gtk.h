// The dialog services on GTK: message dialogs, the watch cursor, and the
// file chooser for files and folders, each owned by the application window;
// and the save dialog of a browser window.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "forms/dialog_services.h"

class GtkDialogServices : public DialogServices {
 public:
  // `owner` is the application window; `appTitle` gives the caption of a box without an icon.
  GtkDialogServices(GtkWindow* owner, std::function<std::string()> appTitle)
      : owner_(owner), appTitle_(std::move(appTitle)) {}

  int AppMessageBox(const std::string& text, unsigned flags) override;
  void SetBusy(bool busy) override;
  std::string OpenFile(const std::string& initialFile, const std::string& defaultExt,
                       const std::string& filter) override;
  std::string BrowseForFolder(const std::string& text, const std::string& initialFolder) override;

 private:
  GtkWindow* owner_;
  std::function<std::string()> appTitle_;
};

// The file chooser in save mode, over `owner`: it starts in `folder` with
// `name` and asks before it replaces a file. The file chosen, or empty.
std::string RunSaveDialog(GtkWindow* owner, const std::string& folder, const std::string& name);
