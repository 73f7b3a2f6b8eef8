// test_child on Windows: the arguments are those the C runtime split from
// the command line; the raw command line and the show value of the start-up
// information are reported as well.
#include <windows.h>

#include "helpers/test_child.h"

namespace {

std::string Utf8(const wchar_t* wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(n - 1));
  return utf8;
}

std::wstring Wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), n);
  return wide;
}

}  // namespace

std::optional<std::string> ChildEnv(const char* name) {
  const std::wstring wname = Wide(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring value(n, L'\0');
  GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  return Utf8(value.c_str());
}

std::string ChildShowState() {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  return std::to_string(startup.wShowWindow);
}

void ChildPlatformReport(std::ostream& out) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  out << "showflag=" << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) << "\n";
}

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
  return RunChild(args, Utf8(GetCommandLineW()));
}
