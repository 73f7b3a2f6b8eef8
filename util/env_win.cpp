// The Win32 half of the environment operations: system folders, the locale
// name, the process environment and the Winsock port probe.
#include <winsock2.h>
// winsock2.h must come before windows.h.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <mutex>

#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/wide.h"

namespace {

// Reads a text from a Win32 call that fills a buffer of a given size and
// returns the length it wrote, or the size it needs when the buffer is too small.
template <typename Fill>
std::wstring ReadSystemText(Fill fill) {
  std::wstring text(MAX_PATH + 1, L'\0');
  for (;;) {
    const UINT length = fill(text.data(), static_cast<UINT>(text.size()));
    if (length == 0) return {};
    if (length < text.size()) {
      text.resize(length);
      return text;
    }
    text.resize(length + 1);
  }
}

// Winsock is started once per process and kept until it ends.
bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

}  // namespace

std::string THi::GetTempDir() {
  std::wstring temp =
      ReadSystemText([](wchar_t* buffer, UINT size) { return GetTempPathW(size, buffer); });
  if (!temp.empty() && temp.back() == L'\\') temp.pop_back();
  return wide::ToUtf8(temp);
}

std::string THi::GetWindowsDir() {
  return wide::ToUtf8(ReadSystemText(
      [](wchar_t* buffer, UINT size) { return GetWindowsDirectoryW(buffer, size); }));
}

std::string THi::GetSpecialFolder(int id) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return wide::ToUtf8(path);
}

std::string THi::GetDownloadsDir() {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path))) folder = wide::ToUtf8(path);
  CoTaskMemFree(path);
  if (!folder.empty() && DirectoryExists(folder)) return folder;
  wchar_t profile[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile))) return {};
  return wide::ToUtf8(profile);
}

std::string THi::GetSystemLanguage() {
  const int needed = GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring name(static_cast<std::size_t>(needed), L'\0');
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SENGLANGUAGE, name.data(), needed) <= 0)
    return {};
  return wide::ToUtf8(name.c_str());  // up to the first NUL
}

namespace hi_internal {

bool SetEnv(const std::string& name, const std::string& value) {
  // The process block is what CreateProcessW hands to children.
  return SetEnvironmentVariableW(wide::FromUtf8(name).c_str(), wide::FromUtf8(value).c_str()) !=
         FALSE;
}

std::string GetEnv(const std::string& name) {
  const std::wstring wideName = wide::FromUtf8(name);
  const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
  return wide::ToUtf8(value);
}

bool CanListen(int port, bool loopback) {
  if (!WinsockReady()) return false;
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  // No SO_REUSEADDR: on Windows it would let the probe share a port that a
  // server already listens on, and the port would pass as free.
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(loopback ? INADDR_LOOPBACK : INADDR_ANY);
  const bool listening =
      bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
      listen(probe, SOMAXCONN) == 0;
  closesocket(probe);
  return listening;
}

// Windows answers a connection to a closed port only after retrying for
// about two seconds: the connection is given half a second, which a
// listening server on this machine never needs.
bool ProbeLoopback(int port, int greetingMs) {
  if (!WinsockReady()) return false;
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  ioctlsocket(probe, FIONBIO, &nonBlocking);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const auto ready = [&](bool forReading, int milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(probe, &set);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, forReading ? &set : nullptr, forReading ? nullptr : &set, nullptr, &wait) == 1;
  };
  bool ok = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (!ok && WSAGetLastError() == WSAEWOULDBLOCK && ready(false, 500)) {
    int error = 0;
    int size = sizeof error;
    ok = getsockopt(probe, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 && error == 0;
  }
  if (ok && greetingMs >= 0) {
    char first = 0;
    ok = ready(true, greetingMs) && recv(probe, &first, 1, 0) == 1;
  }
  closesocket(probe);
  return ok;
}

}  // namespace hi_internal
