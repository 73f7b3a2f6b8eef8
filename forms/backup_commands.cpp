// The tray menu's backups and the automatic one before Down Size and
// Rebrand: the rules are the backup room's; here they get a window, with
// the progress in the status bar and each result said in a message box.
#include <algorithm>

#include "backup/backup_files.h"
#include "commands/backup_command.h"
#include "commands/command_run.h"
#include "forms/main_form.h"
#include "forms/main_window_view.h"
#include "util/platform.h"

namespace {

struct TSetup {
  commands::TStack stack;
  backup::TTools tools;
  std::string why;  // what is missing; empty when a backup can be made
};

TSetup FindSetup() {
  TSetup setup{commands::FindStack(), {}, {}};
  setup.tools = commands::BackupTools(setup.stack);
  setup.why = commands::WhyNoBackup(setup.stack, setup.tools);
  return setup;
}

// The newest backup of the folder, where the file chooser opens.
std::string NewestBackup(const std::string& folder) {
  std::string newest;
  for (const std::string& name : THi::ListFiles(folder))
    if (name.ends_with(".sql.gz") && name > newest) newest = name;
  return folder + platform::kPathDelim + newest;
}

// Both tray items: a copy that cannot dump says what is missing; otherwise
// `work` runs with the tray icon off, so that no second item starts meanwhile.
void WithTools(TfrmMain& form, MainWindowView* window, const std::string& verb,
               const std::function<void(DialogServices&, const TSetup&)>& work) {
  if (!window) return;
  DialogServices& dialogs = window->Dialogs();
  const TSetup setup = FindSetup();
  if (!setup.why.empty()) {
    dialogs.AppMessageBox("The database cannot be " + verb + ": " + setup.why, kMbOk | kMbIconError);
    return;
  }
  form.EnableTrayIcon(false);
  work(dialogs, setup);
  form.EnableTrayIcon(true);
}

void SayOutcome(DialogServices& dialogs, const backup::TOutcome& outcome) {
  dialogs.AppMessageBox(outcome.message, kMbOk | (outcome.ok ? kMbIconInformation : kMbIconError));
}

}  // namespace

// The window stays usable and says how far the work is, once it takes a second.
backup::TOutcome TfrmMain::WithProgress(
    const std::string& label,
    const std::function<backup::TOutcome(const std::function<void(std::uint64_t)>&)>& work) {
  MainWindowView* window = Window();
  window->Dialogs().SetBusy(true);
  commands::TProgressPace pace([&](std::uint64_t bytes) {
    window->SetStatusText(label + ": " + backup::SizeText(bytes) + " so far");
  });
  const backup::TOutcome outcome = work([&](std::uint64_t bytes) {
    pace(bytes);
    ProcessMessages();
  });
  window->SetStatusText(outcome.message);
  window->Dialogs().SetBusy(false);
  return outcome;
}

// The folder a backup goes into: `backups` in the program folder, or one the
// user picks when that cannot be written into. Empty when the user cancels.
static std::string ChooseFolder(DialogServices& dialogs, const std::string& appPath) {
  const std::string folder = backup::BackupFolder(appPath);
  const std::string why = backup::PrepareFolder(folder);
  if (why.empty()) return folder;
  return dialogs.BrowseForFolder("The program folder cannot be written into (" + why +
                                     "). Choose the folder for the database backup:",
                                 THi::GetDocumentsDir());
}

void TfrmMain::mnuTray_BackUpClick() {
  WithTools(*this, Window(), "backed up", [this](DialogServices& dialogs, const TSetup& setup) {
    const std::string folder = ChooseFolder(dialogs, setup.stack.appPath);
    if (folder.empty()) return;
    const std::string file = commands::NewBackupFile(folder, AppName, false);
    SayOutcome(dialogs, WithProgress("Backing up the database", [&](const auto& progress) {
                 return backup::MakeBackup(setup.tools, file, progress);
               }));
  });
}

void TfrmMain::mnuTray_RestoreClick() {
  WithTools(*this, Window(), "restored", [this](DialogServices& dialogs, const TSetup& setup) {
    const std::string file = dialogs.OpenFile(NewestBackup(backup::BackupFolder(setup.stack.appPath)), "gz",
                                              "Database backups (*.sql.gz)|*.sql.gz;*.gz");
    const backup::TContents contents = file.empty() ? backup::TContents{} : backup::Inspect(file);
    std::string names;
    for (const std::string& name : contents.databases) names += (names.empty() ? "" : ", ") + name;
    if (file.empty()) {
    } else if (!contents.why.empty()) {
      dialogs.AppMessageBox("Nothing was restored: " + file + " " + contents.why + ".", kMbOk | kMbIconError);
    } else if (dialogs.AppMessageBox("Restore the database from " + file + "?\n\nThe databases it holds (" +
                                         (names.empty() ? "none" : names) +
                                         ") are replaced whole; the others stay as they are. A backup of the "
                                         "current state is made first. The site's writes during the restore "
                                         "may be lost.",
                                     kMbYesNo | kMbIconWarning) == mrYes) {
      const std::string folder = ChooseFolder(dialogs, setup.stack.appPath);
      if (!folder.empty()) {
        const std::string safety = commands::NewBackupFile(folder, AppName, true);
        const backup::TOutcome outcome = WithProgress("Restoring the database", [&](const auto& progress) {
          return backup::Restore(setup.tools, file, safety, progress);
        });
        backup::PruneAutomatic(folder);
        SayOutcome(dialogs, outcome);
      }
    }
  });
}

bool TfrmMain::AutomaticBackup(const std::string& before, std::string* said) {
  MainWindowView* window = Window();
  if (!window) return true;
  DialogServices& dialogs = window->Dialogs();
  const TSetup setup = FindSetup();
  // A tree without the dump and client programs (one of the older servers)
  // can never make a backup: the status bar says so and the tool goes on.
  if (!setup.stack.fileExists(setup.tools.dump) || !setup.stack.fileExists(setup.tools.client)) {
    const std::string line = "No backup before " + before + ": " + setup.why;
    window->SetStatusText(line);
    if (said) *said = line;
    return true;
  }
  std::string failure = setup.why;
  if (failure.empty()) {
    const std::string folder = backup::BackupFolder(setup.stack.appPath);
    failure = backup::PrepareFolder(folder);
    if (failure.empty()) {
      const std::string file = commands::NewBackupFile(folder, AppName, true);
      const backup::TOutcome outcome = WithProgress("Backing up the database", [&](const auto& progress) {
        return backup::MakeBackup(setup.tools, file, progress);
      });
      backup::PruneAutomatic(folder);
      if (outcome.ok) {
        // Said where the tool's own result will not cover it, without a box
        // to answer before the tool can go on.
        const std::string line = "Before " + before + ": " + outcome.message;
        window->SetStatusText(line);
        if (said) *said = line;
        return true;
      }
      failure = outcome.message;
    } else {
      failure = "cannot write into " + folder + " (" + failure + ")";
    }
  }
  return dialogs.AppMessageBox("The automatic backup of the database before " + before + " failed: " + failure +
                                   "\n\nGo on without a backup?",
                               kMbYesNo | kMbIconWarning) == mrYes;
}
