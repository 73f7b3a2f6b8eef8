// Resources on Windows: the program file's PE resources, rewritten through
// the system's resource update (BeginUpdateResource ... EndUpdateResource).
#include <windows.h>

#include "util/hi_internal.h"
#include "util/resource_editor.h"
#include "util/wide.h"

namespace {

// A resource name as the Win32 calls take it: a string or MAKEINTRESOURCE.
class Win32Name {
 public:
  explicit Win32Name(const ResourceName& name) : text_(wide::FromUtf8(name.name)), id_(name.id) {}
  LPCWSTR get() const { return text_.empty() ? MAKEINTRESOURCEW(id_) : text_.c_str(); }

 private:
  std::wstring text_;
  WORD id_;
};

BOOL CALLBACK TakeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;  // the first one is all we want
}

class PeResourceEditor : public ResourceEditor {
 public:
  ~PeResourceEditor() override {
    CloseView();
    if (update_) EndUpdateResourceW(update_, TRUE);
  }

  bool Begin(const std::string& programFile) override {
    update_ = BeginUpdateResourceW(wide::FromUtf8(programFile).c_str(), FALSE);
    return Track(update_ != nullptr);
  }

  bool Update(std::uint16_t type, const ResourceName& name, std::uint16_t language,
              const std::string* data) override {
    const Win32Name resName(name);
    return Track(UpdateResourceW(update_, MAKEINTRESOURCEW(type), resName.get(), language,
                                 data ? const_cast<char*>(data->data()) : nullptr,
                                 data ? static_cast<DWORD>(data->size()) : 0) != FALSE);
  }

  bool End(bool discard) override {
    const bool ok = Track(EndUpdateResourceW(update_, discard ? TRUE : FALSE) != FALSE);
    update_ = nullptr;
    return ok;
  }

  bool OpenView(const std::string& programFile) override {
    view_ = LoadLibraryExW(wide::FromUtf8(programFile).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return Track(view_ != nullptr);
  }

  void CloseView() override {
    if (view_) FreeLibrary(view_);
    view_ = nullptr;
  }

  Lookup Read(std::uint16_t type, const ResourceName& name, std::string& bytes) override {
    const Win32Name resName(name);
    HRSRC found = FindResourceW(view_, resName.get(), MAKEINTRESOURCEW(type));
    if (!Track(found != nullptr)) return Lookup::kFindFailed;
    HGLOBAL loaded = LoadResource(view_, found);
    if (!Track(loaded != nullptr)) return Lookup::kLoadFailed;
    const void* data = LockResource(loaded);
    if (!Track(data != nullptr)) return Lookup::kLockFailed;
    bytes.assign(static_cast<const char*>(data), SizeofResource(view_, found));
    return Lookup::kFound;
  }

  std::uint16_t FirstLanguage(std::uint16_t type, const ResourceName& name) override {
    const Win32Name resName(name);
    WORD language = 0;
    EnumResourceLanguagesW(view_, MAKEINTRESOURCEW(type), resName.get(), TakeFirstLanguage,
                           reinterpret_cast<LONG_PTR>(&language));
    return language;
  }

  std::uint32_t LastError() const override { return error_; }

 private:
  bool Track(bool ok) {
    if (!ok) error_ = GetLastError();
    return ok;
  }

  HANDLE update_ = nullptr;
  HMODULE view_ = nullptr;
  std::uint32_t error_ = 0;
};

}  // namespace

std::unique_ptr<ResourceEditor> ResourceEditor::Create() {
  return std::make_unique<PeResourceEditor>();
}

namespace hi_internal {

bool LoadOwnResource(std::uint16_t type, const ResourceName& name, std::string& bytes) {
  // FindResource compares names without regard to case.
  const std::wstring wname = wide::FromUtf8(name.name);
  HRSRC found = FindResourceW(nullptr, name.IsNumber() ? MAKEINTRESOURCEW(name.id) : wname.c_str(),
                              MAKEINTRESOURCEW(type));
  if (!found) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return false;
  bytes.assign(static_cast<const char*>(data), SizeofResource(nullptr, found));
  return true;
}

bool LoadOwnDataResource(const std::string& name, std::string& bytes) {
  return LoadOwnResource(kResData, ResourceName::Named(name), bytes);
}

}  // namespace hi_internal
