#include "util/resource_update.h"

#include <vector>

#include "util/hi.h"
#include "util/hi_error.h"
#include "util/hi_internal.h"
#include "util/icon_file.h"
#include "util/tfile.h"

namespace {

const ResourceName kMainIcon = ResourceName::Named("MAINICON");

[[noreturn]] void Fail(const std::string& detail) {
  throw EHiError("Resource update error: " + detail);
}

[[noreturn]] void FailWithCode(const std::string& step, const ResourceEditor& editor) {
  Fail(step + "(" + std::to_string(editor.LastError()) + ")");
}

std::string ReadIconFile(const std::string& iconFile) {
  TFile file(iconFile, TFileMode::kOpenExisting, TFileAccess::kRead, TFileShare::kRead);
  const std::int32_t size = file.GetSize();
  if (static_cast<std::uint32_t>(size) > icon_file::kMaxSize) Fail("Icon file is too large");
  std::string icon(static_cast<std::size_t>(size), '\0');
  file.ReadBuffer(icon.data(), icon.size());
  return icon;
}

// Everything between beginning and committing the update; a failure here
// leaves the update pending, and the caller discards it.
void ReplaceIconGroup(ResourceEditor& editor, const std::string& programFile,
                      const std::string& icon) {
  if (!editor.OpenView(programFile)) FailWithCode("LoadLibraryEx failed (1)", editor);
  std::string oldGroup;
  switch (editor.Read(kResGroupIcon, kMainIcon, oldGroup)) {
    case ResourceEditor::Lookup::kFound: break;
    case ResourceEditor::Lookup::kFindFailed: FailWithCode("FindResource failed (1)", editor);
    case ResourceEditor::Lookup::kLoadFailed: FailWithCode("LoadResource failed (1)", editor);
    case ResourceEditor::Lookup::kLockFailed: FailWithCode("LockResource failed (1)", editor);
  }
  const std::uint16_t groupLanguage = editor.FirstLanguage(kResGroupIcon, kMainIcon);
  if (!editor.Update(kResGroupIcon, kMainIcon, groupLanguage, nullptr))
    FailWithCode("UpdateResource failed (1)", editor);
  for (std::uint16_t id : icon_file::GroupIds(oldGroup)) {
    const ResourceName image = ResourceName::Numbered(id);
    if (!editor.Update(kResIcon, image, editor.FirstLanguage(kResIcon, image), nullptr))
      FailWithCode("UpdateResource failed (2)", editor);
  }
  const auto le16 = [&](std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(oldGroup[at]) |
                                      static_cast<unsigned char>(oldGroup[at + 1]) << 8);
  };
  const std::string group =
      icon_file::Group(icon, oldGroup.size() >= 4 ? le16(0) : 0, oldGroup.size() >= 4 ? le16(2) : 1);
  for (std::uint16_t i = 0; i < icon_file::ImageCount(icon); ++i) {
    const std::string image = icon_file::Image(icon, i);
    if (!editor.Update(kResIcon, ResourceName::Numbered(static_cast<std::uint16_t>(i + 1)),
                       kLangEnglishUs, &image))
      FailWithCode("UpdateResource failed (3)", editor);
  }
  if (!editor.Update(kResGroupIcon, kMainIcon, kLangEnglishUs, &group))
    FailWithCode("UpdateResource failed (4)", editor);
  editor.CloseView();
}

}  // namespace

bool WriteDataResource(ResourceEditor& editor, const std::string& programFile,
                       const std::string& name, const std::string& bytes) {
  if (!hi_internal::SetReadOnlyAttribute(programFile, false)) return false;
  if (!editor.Begin(programFile)) return false;
  const bool written = editor.Update(kResData, ResourceName::Named(name), kLangNeutral, &bytes);
  return editor.End(!written) && written;
}

void UpdateMainIcon(ResourceEditor& editor, const std::string& programFile,
                    const std::string& iconFile) {
  if (!THi::IsWindows2000OrLater()) Fail("Only supported on Windows NT and above");
  const std::string icon = ReadIconFile(iconFile);
  if (!icon_file::IsValid(icon)) Fail("Icon file is invalid");
  if (!editor.Begin(programFile)) FailWithCode("BeginUpdateResource failed (1)", editor);
  try {
    ReplaceIconGroup(editor, programFile, icon);
  } catch (...) {
    editor.CloseView();
    editor.End(true);
    throw;
  }
  if (!editor.End(false)) Fail("EndUpdateResource failed");
}

void UpdateMainIcon(const std::string& programFile, const std::string& iconFile) {
  const auto editor = ResourceEditor::Create();
  UpdateMainIcon(*editor, programFile, iconFile);
}

bool THi::WriteDataResource(const std::string& programFile, const std::string& name,
                            const std::string& bytes) {
  const auto editor = ResourceEditor::Create();
  return ::WriteDataResource(*editor, programFile, name, bytes);
}

void THi::ReplaceIcon(const std::string& programFile, const std::string& iconFile) {
  if (hi_internal::SetReadOnlyAttribute(programFile, false)) UpdateMainIcon(programFile, iconFile);
}

void THi::SaveResourceToFile(const std::string& name, const std::string& file) {
  std::string bytes;
  if (!hi_internal::LoadOwnDataResource(name, bytes))
    throw EHiError("Resource " + name + " not found");
  SaveFile(file, bytes);
}
