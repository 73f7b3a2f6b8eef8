// A stand-in for the database server in the Windows tests: it takes the
// launcher's five options, listens on the given port on 127.0.0.1 and greets
// every connection with a byte (as a database server greets its clients once
// it is ready), and shuts down cleanly when its shutdown event
// "MySQLShutdown<pid>" is set, leaving
// a file "clean-shutdown" beside its data folder (whose loose files the
// launcher removes) so a test can tell a clean stop from a termination. It
// leaves "started" there as soon as it runs.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <fstream>
#include <string>

namespace {

std::string Option(int argc, char** argv, const std::string& name) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind(name + "=", 0) == 0) return arg.substr(name.size() + 1);
  }
  return {};
}

// "datadir" from the [mysqld] section of the option file, unquoted.
std::string DataDir(const std::string& optionFile) {
  std::ifstream in(optionFile);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("datadir=", 0) == 0) {
      std::string value = line.substr(8);
      if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return {};
}

DWORD WINAPI Greet(void* listening) {
  const SOCKET server = reinterpret_cast<SOCKET>(listening);
  for (;;) {
    const SOCKET client = accept(server, nullptr, nullptr);
    if (client == INVALID_SOCKET) return 0;
    send(client, "\n", 1, 0);
    closesocket(client);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string port = Option(argc, argv, "--port");
  if (port.empty()) return 2;
  const std::string dataDir = DataDir(Option(argc, argv, "--defaults-file"));
  if (!dataDir.empty()) std::ofstream(dataDir + "/../started") << "started\n";
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::stoi(port)));
  inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(server, 8) != 0)
    return 1;
  const std::wstring eventName = L"MySQLShutdown" + std::to_wstring(GetCurrentProcessId());
  HANDLE shutdown = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  // Ready: it takes the shutdown request from here on.
  CreateThread(nullptr, 0, Greet, reinterpret_cast<void*>(server), 0, nullptr);
  WaitForSingleObject(shutdown, INFINITE);
  closesocket(server);
  if (!dataDir.empty()) std::ofstream(dataDir + "/../clean-shutdown") << "stopped\n";
  return 0;
}
