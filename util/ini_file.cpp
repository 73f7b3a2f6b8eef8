#include "util/ini_file.h"

#include <exception>
#include <utility>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/platform.h"

namespace {

bool eachKeyToTheFile = false;

std::string LoadForWriting(const std::string& file) {
  if (eachKeyToTheFile || !THi::FileExists(file)) return {};
  try {
    return THi::LoadFile(file);
  } catch (const std::exception&) {
    throw EHiError("Unable to write to " + file);
  }
}

}  // namespace

TIniFile::TIniFile(std::string file)
    : file_(std::move(file)), document_(LoadForWriting(file_), platform::kEol) {}

std::string TIniFile::Read(const std::string& section, const std::string& key) const {
  if (eachKeyToTheFile) return THi::ReadIniValue(file_, section, key);
  return document_.Read(section, key);
}

void TIniFile::Write(const std::string& section, const std::string& key, const std::string& value) {
  if (eachKeyToTheFile) return THi::WriteIniValue(file_, section, key, value);
  document_.Write(section, key, value);
}

void TIniFile::Save() const {
  if (eachKeyToTheFile) return;
  try {
    THi::SaveFile(file_, document_.Text());
  } catch (const std::exception&) {
    throw EHiError("Unable to write to " + file_);
  }
}

void TIniFile::WriteEachKeyToTheFile(bool each) { eachKeyToTheFile = each; }
