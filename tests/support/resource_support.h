// What the resource tests share: icon files made to measure, the temporary
// folder the program's copies go to, and a reader that lists every resource
// of a program file (every language, every identifier), which the editor's
// own view does not.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "util/resource_editor.h"
#include "util/resource_types.h"

namespace test {

// An icon file of 32-bit images of the given edge lengths, each filled with
// a colour of its own, so no two images have the same bytes.
std::string MakeIcon(const std::vector<int>& sizes);
// An icon file of one image whose data fills the file to exactly `total` bytes.
std::string MakeIconOfFileSize(std::size_t total);

// Reading an icon file or group directory the way the published format lays it out.
std::uint16_t Le16(const std::string& bytes, std::size_t at);
std::uint32_t Le32(const std::string& bytes, std::size_t at);
void PutLe16(std::string& bytes, std::size_t at, std::uint16_t value);
void PutLe32(std::string& bytes, std::size_t at, std::uint32_t value);
// The first 12 bytes of the icon file's directory entry i.
std::string IconEntry(const std::string& icon, int i);
// The data of image i of the icon file.
std::string IconImage(const std::string& icon, int i);
// A group directory (reserved and type 1) listing the given images.
std::string MakeGroup(const std::vector<std::string>& entries12,
                      const std::vector<std::uint16_t>& ids);
// The identifiers a group directory lists, in order.
std::vector<std::uint16_t> GroupIds(const std::string& group);

// A resource as the platform's own view reads it (ResourceEditor::OpenView,
// Read, FirstLanguage); nothing when it is not there.
struct ViewedResource {
  std::string bytes;
  std::uint16_t language = 0;
};
std::optional<ViewedResource> ViewResource(const std::string& programFile, std::uint16_t type,
                                           const ResourceName& name);
// One committed update through the platform's editor; false when any step failed.
bool EditResources(const std::string& programFile,
                   const std::function<bool(ResourceEditor&)>& changes);

// Every language the program file holds a resource in; empty when none.
std::vector<std::uint16_t> ResourceLanguages(const std::string& programFile, std::uint16_t type,
                                             const ResourceName& name);
// The numeric identifiers of every resource of the type, sorted.
std::vector<std::uint16_t> ResourceIds(const std::string& programFile, std::uint16_t type);

// True when this Windows program runs under Wine. Wine 8's resource update
// ignores the deletion of a resource the file already holds (it merges the
// file's old resources back in when the update is committed), so what must be
// gone after an update can only be checked on Windows itself and on Linux.
bool RunningUnderWine();
extern const char* const kWineKeepsDeletedResources;

// A private folder that the program (and every process started while this
// object lives) takes as its temporary folder.
class ScopedTempDir {
 public:
  explicit ScopedTempDir(const std::string& folder);
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

 private:
  std::vector<std::unique_ptr<ScopedEnv>> env_;
};

// The helper program with the launcher's built-in resources (resource_child).
std::string ResourceChildProgram();

// `"a" "b" ...` (each quoted with QuoteArgument): a parameter text for THi::RunProgram.
std::string Quoted(const std::vector<std::string>& args);

}  // namespace test
