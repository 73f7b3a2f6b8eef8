#include "support/resource_support.h"

#include "util/command_line.h"

namespace test {

std::uint16_t Le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                    static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  return Le16(bytes, at) | std::uint32_t(Le16(bytes, at + 2)) << 16;
}

void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<char>(value & 0xff);
  bytes.at(at + 1) = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  PutLe16(bytes, at, static_cast<std::uint16_t>(value & 0xffff));
  PutLe16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

namespace {

// BITMAPINFOHEADER, the colour pixels and the transparency mask of one
// square 32-bit image, as an icon image carries them.
std::string Dib(int size, std::uint32_t colour) {
  std::string dib(40, '\0');
  PutLe32(dib, 0, 40);
  PutLe32(dib, 4, static_cast<std::uint32_t>(size));
  PutLe32(dib, 8, static_cast<std::uint32_t>(size * 2));  // colour and mask
  PutLe16(dib, 12, 1);
  PutLe16(dib, 14, 32);
  for (int i = 0; i < size * size; ++i) {
    for (int b = 0; b < 4; ++b) dib += static_cast<char>((colour >> (8 * b)) & 0xff);
  }
  const int maskRow = (size + 31) / 32 * 4;
  dib.append(static_cast<std::size_t>(maskRow * size), '\0');
  return dib;
}

std::string IconHeader(std::size_t count) {
  std::string header(6 + 16 * count, '\0');
  PutLe16(header, 2, 1);
  PutLe16(header, 4, static_cast<std::uint16_t>(count));
  return header;
}

void SetEntry(std::string& icon, int i, int size, std::uint32_t bytes, std::uint32_t offset) {
  const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
  icon.at(at) = static_cast<char>(size % 256);
  icon.at(at + 1) = static_cast<char>(size % 256);
  PutLe16(icon, at + 4, 1);
  PutLe16(icon, at + 6, 32);
  PutLe32(icon, at + 8, bytes);
  PutLe32(icon, at + 12, offset);
}

}  // namespace

std::string MakeIcon(const std::vector<int>& sizes) {
  std::string icon = IconHeader(sizes.size());
  std::string data;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::string image = Dib(sizes[i], 0xff102030u + 0x00152a3fu * std::uint32_t(i + 1));
    SetEntry(icon, static_cast<int>(i), sizes[i], static_cast<std::uint32_t>(image.size()),
             static_cast<std::uint32_t>(icon.size() + data.size()));
    data += image;
  }
  return icon + data;
}

std::string MakeIconOfFileSize(std::size_t total) {
  std::string icon = IconHeader(1);
  const std::size_t dataSize = total - icon.size();
  std::string data = Dib(16, 0xff4080c0u);
  data.resize(dataSize, '\x5a');
  SetEntry(icon, 0, 16, static_cast<std::uint32_t>(dataSize), static_cast<std::uint32_t>(icon.size()));
  return icon + data;
}

std::string IconEntry(const std::string& icon, int i) {
  return icon.substr(6 + 16 * static_cast<std::size_t>(i), 12);
}

std::string IconImage(const std::string& icon, int i) {
  const std::size_t at = 6 + 16 * static_cast<std::size_t>(i);
  return icon.substr(Le32(icon, at + 12), Le32(icon, at + 8));
}

std::string MakeGroup(const std::vector<std::string>& entries12,
                      const std::vector<std::uint16_t>& ids) {
  std::string group(6, '\0');
  PutLe16(group, 2, 1);
  PutLe16(group, 4, static_cast<std::uint16_t>(entries12.size()));
  for (std::size_t i = 0; i < entries12.size(); ++i) {
    group += entries12[i];
    group += std::string(2, '\0');
    PutLe16(group, group.size() - 2, ids.at(i));
  }
  return group;
}

std::vector<std::uint16_t> GroupIds(const std::string& group) {
  std::vector<std::uint16_t> ids;
  if (group.size() < 6) return ids;
  for (std::size_t i = 0; i < Le16(group, 4) && 6 + 14 * (i + 1) <= group.size(); ++i)
    ids.push_back(Le16(group, 6 + 14 * i + 12));
  return ids;
}

std::optional<ViewedResource> ViewResource(const std::string& programFile, std::uint16_t type,
                                           const ResourceName& name) {
  const auto editor = ResourceEditor::Create();
  if (!editor->OpenView(programFile)) {
    ADD_FAILURE() << "cannot view the resources of " << programFile << ": error "
                  << editor->LastError();
    return std::nullopt;
  }
  ViewedResource resource;
  const bool found = editor->Read(type, name, resource.bytes) == ResourceEditor::Lookup::kFound;
  resource.language = editor->FirstLanguage(type, name);
  editor->CloseView();
  if (!found) return std::nullopt;
  return resource;
}

bool EditResources(const std::string& programFile,
                   const std::function<bool(ResourceEditor&)>& changes) {
  const auto editor = ResourceEditor::Create();
  if (!editor->Begin(programFile)) return false;
  if (!changes(*editor)) {
    editor->End(true);
    return false;
  }
  return editor->End(false);
}

const char* const kWineKeepsDeletedResources =
    "Wine's resource update does not delete resources the file already holds, so the old "
    "resources are still there; their removal is checked on Linux (and holds on Windows itself)";

ScopedTempDir::ScopedTempDir(const std::string& folder) {
  // Linux takes a private folder only: closed to other users, who may only
  // pass through when the launcher runs as root.
  const fs::perms passThrough =
      RunningAsRoot() ? fs::perms::group_exec | fs::perms::others_exec : fs::perms::none;
  fs::permissions(U8Path(folder), fs::perms::owner_all | passThrough, fs::perm_options::replace);
  for (const char* name : {"XDG_RUNTIME_DIR", "TMP", "TEMP"})
    env_.push_back(std::make_unique<ScopedEnv>(name, folder));
}

ScopedTempDir::~ScopedTempDir() = default;

std::string ResourceChildProgram() { return THi::GetAppPath() + "resource_child" + kExeSuffix; }

std::string Quoted(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "" : " ") + QuoteArgument(arg);
  return text;
}

}  // namespace test
