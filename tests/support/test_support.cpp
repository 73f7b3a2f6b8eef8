#include "support/test_support.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace test {

fs::path U8Path(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

const fs::path& TempRoot() {
  static const fs::path root = SystemTempRoot();
  return root;
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const std::string name = "lodestack-test-" + std::to_string(CurrentProcessId()) + "-" +
                           std::to_string(counter++);
  const fs::path folder = TempRoot() / name;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  path_ = PathText(folder);
}

TempFolder::~TempFolder() {
  // Read-only entries would keep the tree alive on Windows.
  std::error_code ignored;
  const fs::path folder = U8Path(path_);
  for (auto it = fs::recursive_directory_iterator(folder, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink())
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(folder, ignored);
}

std::string TempFolder::operator/(const std::string& name) const { return path_ + kSep + name; }

std::string ChildProgram() { return THi::GetAppPath() + "test_child" + kExeSuffix; }

std::string LodestackProgram() { return THi::GetAppPath() + "lodestack" + kExeSuffix; }

void CopyProgram(const std::string& from, const std::string& to) {
  fs::copy_file(U8Path(from), U8Path(to), fs::copy_options::overwrite_existing);
  fs::permissions(U8Path(to), fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec);
}

void WriteFile(const std::string& file, const std::string& bytes) {
  std::ofstream out(U8Path(file), std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) ADD_FAILURE() << "cannot write " << file;
}

std::string ReadFile(const std::string& file) {
  std::ifstream in(U8Path(file), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool InCi() {
  const std::optional<std::string> ci = GetEnv("CI");
  return ci && *ci == "true";
}

std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  const fs::path root = U8Path(folder);
  for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
       it.increment(error)) {
    const std::string name = PathText(it->path().lexically_relative(root));
    if (it->is_symlink(error)) {
      entries[name] = "link " + PathText(fs::read_symlink(it->path(), error));
    } else if (it->is_directory(error)) {
      entries[name] = "folder";
    } else {
      const auto size = it->file_size(error);
      const auto time = it->last_write_time(error).time_since_epoch().count();
      entries[name] = "file " + std::to_string(size) + " " + std::to_string(time) +
                      (size < 65536 ? " " + ReadFile(PathText(it->path())) : "");
    }
  }
  return entries;
}

std::set<std::string> EntriesOf(const std::string& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(U8Path(folder), error))
    names.insert(PathText(entry.path().filename()));
  return names;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

std::string ChildReport::Get(const std::string& key) const {
  const auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

ChildReport ReadChildReport(const std::string& file) {
  ChildReport report;
  if (!WaitUntil([&] { return fs::exists(U8Path(file)); })) {
    ADD_FAILURE() << "test_child wrote no report to " << file;
    return report;
  }
  std::istringstream lines(ReadFile(file));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    if (key == "arg")
      report.args.push_back(value);
    else
      report.values[key] = value;
  }
  return report;
}

ProcessGuard::~ProcessGuard() {
  for (TProcessId pid : pids_) {
    if (THi::ProcessExists(pid)) THi::KillProcess(pid);
  }
}

TProcessId ProcessGuard::Add(TProcessId pid) {
  if (pid != 0) pids_.push_back(pid);
  return pid;
}

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)), saved_(GetEnv(name_)) {
  SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, saved_); }

}  // namespace test
