// Listing a Windows program file's resources through the system's own
// enumeration of a module loaded as data.
#include <windows.h>

#include <algorithm>

#include "support/resource_support.h"

namespace test {

namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}

class DataModule {
 public:
  explicit DataModule(const std::string& file)
      : module_(LoadLibraryExW(Wide(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    if (!module_) ADD_FAILURE() << "cannot load " << file << " as data: error " << GetLastError();
  }
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list) {
  reinterpret_cast<std::vector<std::uint16_t>*>(list)->push_back(language);
  return TRUE;
}

BOOL CALLBACK AddId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list) {
  if (IS_INTRESOURCE(name))
    reinterpret_cast<std::vector<std::uint16_t>*>(list)->push_back(
        static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

}  // namespace

std::vector<std::uint16_t> ResourceLanguages(const std::string& programFile, std::uint16_t type,
                                             const ResourceName& name) {
  std::vector<std::uint16_t> languages;
  const DataModule module(programFile);
  if (!module.get()) return languages;
  const std::wstring text = Wide(name.name);
  EnumResourceLanguagesW(module.get(), MAKEINTRESOURCEW(type),
                         name.IsNumber() ? MAKEINTRESOURCEW(name.id) : text.c_str(), AddLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

std::vector<std::uint16_t> ResourceIds(const std::string& programFile, std::uint16_t type) {
  std::vector<std::uint16_t> ids;
  const DataModule module(programFile);
  if (!module.get()) return ids;
  EnumResourceNamesW(module.get(), MAKEINTRESOURCEW(type), AddId, reinterpret_cast<LONG_PTR>(&ids));
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace test

namespace test {
bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
}  // namespace test
