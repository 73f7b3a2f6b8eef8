// A stand-in for the web server in the Windows tests: started as
// `-f "<httpd.conf>"`, it reads the Listen line, starts one child of its own
// program file (as the real server runs as a parent and a worker), writes
// the pid file (and beside it, in "path.txt", the PATH it was given), and
// answers every connection with a small HTTP response
// until it is terminated.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Unquote(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
  return text;
}

// The value after a directive name, e.g. "Listen" or "PidFile".
std::string Directive(const std::string& conf, const std::string& name) {
  std::ifstream in(conf);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(name + " ", 0) == 0) return Unquote(line.substr(name.size() + 1));
  }
  return {};
}

void StartChild() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" -child";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

int Serve(const std::string& listen) {
  const std::size_t colon = listen.rfind(':');
  if (colon == std::string::npos) return 1;
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::stoi(listen.substr(colon + 1))));
  inet_pton(AF_INET, listen.substr(0, colon).c_str(), &address.sin_addr);
  if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(server, 8) != 0)
    return 1;
  const std::string response =
      "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nstand-in web server\r\n";
  for (;;) {
    SOCKET client = accept(server, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    char buffer[1024];
    recv(client, buffer, sizeof buffer, 0);
    send(client, response.data(), static_cast<int>(response.size()), 0);
    closesocket(client);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "-child") {
    Sleep(INFINITE);
    return 0;
  }
  if (argc < 3 || std::string(argv[1]) != "-f") return 2;
  const std::string conf = argv[2];
  const std::string listen = Directive(conf, "Listen");
  const std::string pidFile = Directive(conf, "PidFile");
  if (listen.empty()) return 1;
  if (!pidFile.empty()) {
    std::ofstream(pidFile) << GetCurrentProcessId() << "\n";
    const char* path = getenv("PATH");
    std::ofstream(pidFile.substr(0, pidFile.find_last_of("\\/") + 1) + "path.txt") << (path ? path : "") << "\n";
  }
  StartChild();
  return Serve(listen);
}
