// The down-size worker: once the launcher that started it has gone, it
// removes the chosen components from the installation folder, tidies what
// they leave behind, and starts the launcher again. What it could not
// remove, and why, goes to that launcher in one message (util/notice.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "packaging/down_size_table.h"

struct TDownSizeRun {
  // The program file: the worker waits until it is the only process running
  // it, and the installation folder is the file's folder.
  std::string programFile;
  const TDownSizeTable* table = &DownSizeTable();
  // Lets window messages through while the worker waits.
  std::function<void()> processMessages = [] {};
  // Starts the launcher again (by default the program file, shown normally)
  // with the notice for it to show; empty when everything went.
  std::function<void(const std::string& programFile, const std::string& notice)> restart;
  // Tells a failure when there is no launcher to hand it to.
  std::function<void(const std::string& text)> showFailure = [](const std::string&) {};
};

// flags: one per component in position order; any text but "0" chooses it.
void RunDownSizeWorker(const std::vector<std::string>& flags, const TDownSizeRun& run);

// The php.ini text without the extension lines whose library is missing
// from extensionDir (under the name as written or between `prefix` and
// `suffix`); every other byte stays as it was.
std::string DropMissingExtensions(const std::string& phpIni, const std::string& extensionDir,
                                  const std::string& prefix, const std::string& suffix);
