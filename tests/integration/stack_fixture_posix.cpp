#include "integration/stack_fixture_posix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "util/command_line.h"

extern char** environ;

namespace stack_test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string SharedTree() {
  const char* tree = std::getenv("LODESTACK_STACK_TREE");
  if (!tree || !fs::exists(fs::path(tree) / "bin/Apache/Apache")) return {};
  return tree;
}

std::string ConfigWith(const std::string& port, const std::string& ip) {
  return "[INI]\r\nfullscreen=0\r\ntitle=Stack Test\r\nport=" + port + "\r\nip=" + ip +
         "\r\ncopyfilestoharddisk=0\r\nbrand=0";
}

bool Answers200(const std::string& response) { return response.rfind("HTTP/1.1 200 OK", 0) == 0; }

Tree::Tree(const test::TempFolder& temp, const std::string& name, const TreeOptions& options)
    : root_(temp / name) {
  const fs::path shared = SharedTree();
  const fs::path root = root_;
  fs::create_directories(root / "bin");
  fs::create_directories(root / "www");
  test::CopyProgram(test::LodestackProgram(), program());
  // The web server's program is this tree's own: the launcher stops every
  // process of that file, which must not reach another test's server.
  fs::copy(shared / "bin/Apache", root / "bin/Apache", fs::copy_options::recursive);
  fs::create_directory_symlink(shared / "bin/php", root / "bin/php");
  if (options.withDatabase) fs::create_directory_symlink(shared / "bin/mysql", root / "bin/mysql");
  if (fs::exists(shared / "bin/composer"))
    fs::create_directory_symlink(shared / "bin/composer", root / "bin/composer");
  fs::copy(shared / "bin/Favorites.ini", root / "bin/Favorites.ini");
  fs::copy(shared / "bin/pages", root / "bin/pages", fs::copy_options::recursive);
  fs::copy(shared / "www/index.php", root / "www/index.php");
  if (fs::exists(shared / "www/phpmyadmin"))
    fs::create_directory_symlink(shared / "www/phpmyadmin", root / "www/phpmyadmin");
  fs::copy(shared / "data", root / "data", fs::copy_options::recursive);
  if (!options.config.empty()) {
    const std::string ini = root_ + "/new-config.ini";
    test::WriteFile(ini, options.config);
    THi::RunProgramAndWait(test::LodestackProgram(), "/config " + QuoteArguments({program(), ini}), "",
                           kShowHidden);
  }
}

TCommandResult RunInTerminal(const Tree& tree, const std::string& folder, std::vector<std::string> args,
                             const std::string& keys, std::chrono::seconds limit) {
  args.insert(args.begin(), tree.program());
  TerminalRun run(folder, args);
  if (!keys.empty()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    run.Type(keys);
  }
  const int status = run.WaitForExit(limit);
  return {status, run.Output()};
}

std::string Tree::WorkDir() const {
  return THi::GetTempDir() + "/" + THi::Md5Hex(fs::canonical(program()).string());
}

Launcher::Launcher(const std::string& program, const std::string& folder)
    : log_(folder + "/launcher-" + std::to_string(std::rand()) + ".log") {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "LODESTACK_SHOWCMD=", 18) != 0) env.emplace_back(*e);
  }
  // Started as the relaunched launcher, so the process we hold is the launcher itself.
  env.emplace_back("LODESTACK_SHOWCMD=6005");
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string file = program;
  char* argv[] = {file.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (posix_spawn(&pid_, file.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

// A run the test left going is stopped as the system stops it, so that it
// removes its work folder; killed only when it does not end.
Launcher::~Launcher() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  WaitForExit(30s);
  if (!Running()) return;
  const std::vector<pid_t> servers = Descendants(pid_);
  kill(pid_, SIGKILL);
  for (pid_t pid : servers) kill(pid, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool Launcher::Running() const {
  return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0;
}

std::string Launcher::Output() const { return test::ReadFile(log_); }

int Launcher::WaitForHome() {
  const std::string marker = "running at http://127.0.0.1:";
  int port = 0;
  test::WaitUntil(
      [&] {
        const std::string out = Output();
        const std::size_t at = out.find(marker);
        if (at != std::string::npos) port = std::atoi(out.c_str() + at + marker.size());
        return port != 0 || !Running();
      },
      60s);
  return port;
}

int Launcher::Stop(int signal) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal);
  return WaitForExit(60s);
}

int Launcher::WaitForExit(std::chrono::seconds limit) {
  if (pid_ <= 0) return -1;
  int status = 0;
  const bool ended = test::WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
  if (!ended) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TerminalRun::TerminalRun(const std::string& folder, std::vector<std::string> argv) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "LODESTACK_SHOWCMD=", 18) != 0) env.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
  if (pid_ == 0) {
    std::vector<char*> args;
    for (auto& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    if (chdir(folder.c_str()) == 0) execve(args[0], args.data(), envp.data());
    _exit(127);
  }
}

// Ctrl+C first, as a user ends it, so that the run removes its work folder.
TerminalRun::~TerminalRun() {
  if (pid_ > 0 && master_ >= 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
    Type("\x03");
    WaitForExit(30s);
  }
  if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
    for (pid_t pid : Descendants(pid_)) kill(pid, SIGKILL);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) close(master_);
}

void TerminalRun::ReadAvailable(int timeoutMs) {
  pollfd p{master_, POLLIN, 0};
  if (master_ < 0 || poll(&p, 1, timeoutMs) <= 0) return;
  char buffer[1024];
  const ssize_t got = read(master_, buffer, sizeof buffer);
  if (got > 0) output_.append(buffer, static_cast<std::size_t>(got));
}

int TerminalRun::WaitForHome() {
  const std::string marker = "running at http://127.0.0.1:";
  int port = 0;
  test::WaitUntil(
      [&] {
        ReadAvailable(50);
        const std::size_t at = output_.find(marker);
        if (at != std::string::npos) port = std::atoi(output_.c_str() + at + marker.size());
        return port != 0 || waitpid(pid_, nullptr, WNOHANG) != 0;
      },
      60s);
  return port;
}

bool TerminalRun::WaitForOutput(const std::string& text, std::chrono::seconds limit) {
  return test::WaitUntil(
      [&] {
        ReadAvailable(50);
        return output_.find(text) != std::string::npos;
      },
      limit);
}

void TerminalRun::Type(const std::string& keys) {
  if (master_ >= 0) (void)write(master_, keys.data(), keys.size());
}

void TerminalRun::Close() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

int TerminalRun::WaitForExit(std::chrono::seconds limit) {
  int status = 0;
  const bool ended = test::WaitUntil(
      [&] {
        ReadAvailable(10);
        return waitpid(pid_, &status, WNOHANG) == pid_;
      },
      limit);
  if (!ended) return -1;
  pid_ = -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<pid_t> Descendants(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    fields >> state >> parent;
    if (state != 'Z') children.emplace(parent, std::stoi(name));
  }
  std::vector<pid_t> found;
  std::vector<pid_t> queue{root};
  while (!queue.empty()) {
    const pid_t next = queue.back();
    queue.pop_back();
    for (auto [it, end] = children.equal_range(next); it != end; ++it) {
      found.push_back(it->second);
      queue.push_back(it->second);
    }
  }
  return found;
}

bool Alive(pid_t pid) { return THi::ProcessExists(pid); }

std::string PageOnceTheDatabaseAnswers(int port) {
  std::string page;
  test::WaitUntil(
      [&] {
        page = HttpGet(port, "/");
        return page.find("The database answered") != std::string::npos;
      },
      60s);
  return page;
}

bool NothingOfTheTreeRuns(const Tree& tree) {
  for (const std::string& program :
       {tree.program(), tree.root() + "/bin/Apache/Apache", tree.root() + "/bin/mysql/bin/mysqld"})
    if (!THi::FindProcessesByPath(program).empty()) return false;
  return true;
}

std::string HttpGet(int port, const std::string& path) { return HttpGetAt("127.0.0.1", port, path); }

std::string HttpGetAt(const std::string& address, int port, const std::string& path) {
  return HttpGetNamed(address, port, path, address);
}

std::string HttpGetNamed(const std::string& address, int port, const std::string& path,
                         const std::string& host) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  timeval timeout{20, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in server{};
  server.sin_family = AF_INET;
  server.sin_port = htons(static_cast<std::uint16_t>(port));
  if (inet_pton(AF_INET, address.c_str(), &server.sin_addr) != 1) {
    close(fd);
    return {};
  }
  std::string response;
  if (connect(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0) {
    const std::string request =
        "GET " + path + " HTTP/1.0\r\n" + (host.empty() ? "" : "Host: " + host + "\r\n") + "\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) response.append(buffer, n);
    }
  }
  close(fd);
  return response;
}

namespace {

// Runs a command to its end, its output gone; true when it succeeded.
bool Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// A subnet of 10.231.0.0/16 per test process, so that two test runs on one
// machine do not share one.
OtherHost::OtherHost() : name_("lodestack-" + std::to_string(getpid())) {
  if (geteuid() != 0) {
    whyNot_ = "only root can make a network namespace";
    return;
  }
  if (!Run({"ip", "-V"})) {
    whyNot_ = "ip (iproute2) is missing";
    return;
  }
  const std::string subnet = "10.231." + std::to_string(getpid() % 250 + 1) + ".";
  const std::string ours = "ls" + std::to_string(getpid()) + "a";
  const std::string theirs = "ls" + std::to_string(getpid()) + "b";
  ourAddress_ = subnet + "1";
  const bool made = Run({"ip", "netns", "add", name_}) &&
                    Run({"ip", "link", "add", ours, "type", "veth", "peer", "name", theirs, "netns", name_}) &&
                    Run({"ip", "addr", "add", ourAddress_ + "/24", "dev", ours}) &&
                    Run({"ip", "link", "set", ours, "up"}) &&
                    Run({"ip", "-n", name_, "addr", "add", subnet + "2/24", "dev", theirs}) &&
                    Run({"ip", "-n", name_, "link", "set", theirs, "up"}) &&
                    Run({"ip", "-n", name_, "link", "set", "lo", "up"});
  if (!made) whyNot_ = "could not make the network namespace " + name_ + " and its devices";
}

OtherHost::~OtherHost() {
  if (!ourAddress_.empty()) Run({"ip", "netns", "delete", name_});
}

// The request is made by a thread that has joined the other host's network.
std::string OtherHost::HttpGet(int port, const std::string& path, const std::string& host) const {
  std::string response;
  std::thread([&] {
    const int ns = open(("/run/netns/" + name_).c_str(), O_RDONLY | O_CLOEXEC);
    if (ns < 0) return;
    if (setns(ns, CLONE_NEWNET) == 0)
      response = HttpGetNamed(ourAddress_, port, path, host.empty() ? ourAddress_ : host);
    close(ns);
  }).join();
  return response;
}

}  // namespace stack_test
