// Resources on Linux: the table appended to the ELF program file. An update
// writes a new file beside the target and renames it over the target, so the
// target is either the old file or the new one, never half of each.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "util/hi.h"
#include "util/hi_internal.h"
#include "util/resource_editor.h"
#include "util/resource_table.h"

namespace {

std::optional<ResourceFile> ReadResourceFile(const std::string& path, std::uint32_t& error) {
  try {
    auto parsed = restable::Parse(THi::LoadFile(path));
    if (!parsed) error = EILSEQ;
    return parsed;
  } catch (const std::exception&) {
    error = errno ? static_cast<std::uint32_t>(errno) : ENOENT;
    return std::nullopt;
  }
}

bool WriteWhole(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

class AppendedTableEditor : public ResourceEditor {
 public:
  bool Begin(const std::string& programFile) override {
    auto parsed = ReadResourceFile(programFile, error_);
    if (!parsed) return false;
    target_ = programFile;
    pending_ = std::move(*parsed);
    active_ = true;
    return true;
  }

  bool Update(std::uint16_t type, const ResourceName& name, std::uint16_t language,
              const std::string* data) override {
    if (!active_) return Failed(EBADF);
    restable::Update(pending_.entries, type, name, language, data);
    return true;
  }

  bool End(bool discard) override {
    if (!active_) return Failed(EBADF);
    active_ = false;
    return discard || Commit();
  }

  bool OpenView(const std::string& programFile) override {
    auto parsed = ReadResourceFile(programFile, error_);
    if (!parsed) return false;
    view_ = std::move(parsed->entries);
    return true;
  }

  void CloseView() override { view_.clear(); }

  Lookup Read(std::uint16_t type, const ResourceName& name, std::string& bytes) override {
    const ResourceEntry* entry = restable::Find(view_, type, name);
    if (!entry) {
      error_ = ENOENT;
      return Lookup::kFindFailed;
    }
    bytes = entry->data;
    return Lookup::kFound;
  }

  std::uint16_t FirstLanguage(std::uint16_t type, const ResourceName& name) override {
    const ResourceEntry* entry = restable::Find(view_, type, name);
    return entry ? entry->language : 0;
  }

  std::uint32_t LastError() const override { return error_; }

 private:
  bool Failed(int error) {
    error_ = static_cast<std::uint32_t>(error);
    return false;
  }

  bool Commit() {
    struct stat st {};
    if (stat(target_.c_str(), &st) != 0) return Failed(errno);
    const std::string temp = target_ + ".lodestack-update";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (fd < 0) return Failed(errno);
    const bool written = WriteWhole(fd, restable::Serialize(pending_)) &&
                         fchmod(fd, st.st_mode & 07777) == 0 && fsync(fd) == 0;
    const int error = errno;
    close(fd);
    if (!written || rename(temp.c_str(), target_.c_str()) != 0) {
      const int failure = written ? errno : error;
      unlink(temp.c_str());
      return Failed(failure);
    }
    return true;
  }

  std::string target_;
  ResourceFile pending_;
  std::vector<ResourceEntry> view_;
  bool active_ = false;
  std::uint32_t error_ = 0;
};

}  // namespace

std::unique_ptr<ResourceEditor> ResourceEditor::Create() {
  return std::make_unique<AppendedTableEditor>();
}

namespace {

bool ReadAt(int fd, std::uint64_t offset, std::size_t length, std::string& bytes) {
  bytes.resize(length);
  std::size_t done = 0;
  while (done < length) {
    const ssize_t n = pread(fd, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The program's own table: its footer and entries from the end of the file,
// never the program before them.
std::optional<std::vector<ResourceEntry>> ReadOwnTable() {
  const int fd = open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::vector<ResourceEntry>> entries;
  if (fstat(fd, &st) == 0)
    entries = restable::ReadEntries(
        static_cast<std::uint64_t>(st.st_size),
        [fd](std::uint64_t offset, std::size_t length, std::string& bytes) {
          return ReadAt(fd, offset, length, bytes);
        });
  close(fd);
  return entries;
}

// The file cannot change under a running program (it is replaced, never
// rewritten in place), so one reading serves the whole process.
const std::optional<std::vector<ResourceEntry>>& OwnTable() {
  static const std::optional<std::vector<ResourceEntry>> table = ReadOwnTable();
  return table;
}

}  // namespace

namespace hi_internal {

bool LoadOwnResource(std::uint16_t type, const ResourceName& name, std::string& bytes) {
  const auto& own = OwnTable();
  if (!own) return false;
  const ResourceEntry* entry = restable::Find(*own, type, name);
  if (!entry) return false;
  bytes = entry->data;
  return true;
}

bool LoadOwnDataResource(const std::string& name, std::string& bytes) {
  return LoadOwnResource(kResData, ResourceName::Named(name), bytes);
}

}  // namespace hi_internal
