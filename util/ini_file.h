// An INI file read once, changed by any number of writes with the rules of
// THi::WriteIniValue, and saved once: the server configurations set many
// keys of one file at every start, and a pass over the whole file for each
// of them is time the start-up does not have.
#pragma once

#include <string>

#include "util/ini.h"

class TIniFile {
 public:
  // Loads the file; a missing one is empty. Raises EHiError("Unable to
  // write to <file>") when it exists but cannot be read.
  explicit TIniFile(std::string file);

  std::string Read(const std::string& section, const std::string& key) const;
  void Write(const std::string& section, const std::string& key, const std::string& value);
  // Writes the file, creating it when missing; raises EHiError("Unable to
  // write to <file>").
  void Save() const;

  const std::string& Path() const { return file_; }

  // Makes every TIniFile read and write its file key by key through
  // THi::ReadIniValue and THi::WriteIniValue, as the writers once did, so
  // that a test can hold both ways' output side by side.
  static void WriteEachKeyToTheFile(bool each);

 private:
  std::string file_;
  ini::Document document_;
};
