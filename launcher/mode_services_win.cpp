#include <windows.h>
#include <shellapi.h>

#include "launcher/mode_services.h"
#include "util/wide.h"

void ReopenProgram(const std::string& programFile) {
  ShellExecuteW(nullptr, L"open", wide::FromUtf8(programFile).c_str(), nullptr, nullptr, SW_SHOW);
}

void ShowErrorMessage(const std::string& text) {
  MessageBoxW(nullptr, wide::FromUtf8(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}
