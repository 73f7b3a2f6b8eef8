#include "packaging/brand_builder.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "packaging/brand_builder_internal.h"
#include "picture/splash_picture.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/hi_error.h"
#include "util/icon_file.h"
#include "util/platform.h"
#include "util/resource_editor.h"
#include "util/resource_types.h"

namespace {

namespace fs = std::filesystem;

fs::path U8Path(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == platform::kPathDelim) return folder + name;
  return folder + platform::kPathDelim + name;
}

// An existing folder and the folders it is in, up to its root.
std::vector<fs::path> FolderAndAncestors(const std::string& folder) {
  std::error_code ec;
  fs::path path = fs::weakly_canonical(U8Path(folder), ec);
  if (ec) path = fs::absolute(U8Path(folder), ec);
  std::vector<fs::path> chain;
  for (;;) {
    chain.push_back(path);
    if (!path.has_relative_path()) break;
    path = path.parent_path();
  }
  return chain;
}

// True when `folder` is `tree` or lies somewhere below it; compared by file
// identity, so links and other spellings of a path do not hide it.
bool LiesInside(const std::string& folder, const std::string& tree) {
  for (const fs::path& candidate : FolderAndAncestors(folder)) {
    std::error_code ec;
    if (fs::equivalent(candidate, U8Path(tree), ec)) return true;
  }
  return false;
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(U8Path(a), U8Path(b), ec);
}

std::string ReadChosenFile(const std::string& file, const std::string& what) {
  try {
    return THi::LoadFile(file);
  } catch (const std::exception&) {
    throw EHiError("Unable to read the " + what + " " + file);
  }
}

void CheckSplash(const std::string& file) {
  if (DecodeSplashPicture(ReadChosenFile(file, "splash image")).Empty())
    throw EHiError("The splash image " + file +
                   " is not a BMP, JPEG or PNG picture that can be shown. Choose another image.");
}

void CheckIcon(const std::string& file) {
  const std::string icon = ReadChosenFile(file, "product icon");
  if (icon.size() > icon_file::kMaxSize)
    throw EHiError("The product icon " + file + " is too large (more than 1 MB). Choose another icon.");
  if (!icon_file::IsValid(icon) || icon_file::ImageCount(icon) == 0)
    throw EHiError("The product icon " + file + " is not a valid icon file (*.ico). Choose another icon.");
}

// Where the copy goes, with the folders it copies from; refuses a folder that
// would copy into itself or onto the running stack.
struct TPlan {
  std::string appPath;
  std::string output;
  std::string binSource;
  std::string dataRoot;                  // empty when the stack has no data folder
  std::vector<std::string> dataSources;  // each becomes a folder of the copy's data
  std::string wwwSource;                 // its contents become the copy's www
};

TPlan MakePlan(const TBrandedCopy& copy) {
  TPlan plan;
  plan.appPath = THi::GetAppPath();
  plan.output = THi::DirectoryExists(copy.outputDir) ? copy.outputDir : DefaultBrandOutputDir();
  plan.binSource = plan.appPath + "bin";
  const std::string data = plan.appPath + "data";
  if (THi::DirectoryExists(data)) {
    plan.dataRoot = data;
    if (THi::DirectoryExists(copy.dataDir)) {
      plan.dataSources = {Join(data, "mysql"), copy.dataDir};
    } else {
      for (const std::string& name : THi::ListFolders(data)) plan.dataSources.push_back(Join(data, name));
    }
  }
  plan.wwwSource = THi::DirectoryExists(copy.srcDir) ? copy.srcDir : plan.appPath + "www";

  if (SameFolder(plan.output, THi::GetAppDir()))
    throw EHiError("The output folder " + plan.output +
                   " is the program's own folder; the copy would overwrite the running stack. "
                   "Choose another output folder.");
  std::vector<std::string> sources = {plan.binSource, plan.wwwSource};
  if (!plan.dataRoot.empty()) sources.push_back(plan.dataRoot);
  sources.insert(sources.end(), plan.dataSources.begin(), plan.dataSources.end());
  for (const std::string& source : sources) {
    if (THi::DirectoryExists(source) && LiesInside(plan.output, source))
      throw EHiError("The output folder " + plan.output + " lies inside " + source +
                     ", which is copied into it. Choose an output folder outside it.");
  }
  return plan;
}

// Reads one resource of a program file back; empty when it is not there.
std::string ReadResource(const std::string& program, std::uint16_t type, const std::string& name) {
  std::unique_ptr<ResourceEditor> view = ResourceEditor::Create();
  std::string bytes;
  if (!view->OpenView(program)) return bytes;
  if (view->Read(type, ResourceName::Named(name), bytes) != ResourceEditor::Lookup::kFound) bytes.clear();
  view->CloseView();
  return bytes;
}

// The copy's program file, built under a temporary name and given its real
// name only once every resource is in place, so a file named like the copy's
// program is always complete. A build that stops midway removes it.
class ProgramUnderConstruction {
 public:
  explicit ProgramUnderConstruction(const std::string& output)
      : partial_(Join(output, std::string(kBrandProgramName) + ".partial")),
        final_(Join(output, kBrandProgramName)) {}
  ~ProgramUnderConstruction() {
    if (!done_) THi::DeleteFile(partial_);
  }

  void Start(const std::string& program) {
    // The copy keeps the program's permissions, so it stays runnable.
    if (!THi::DeleteFile(partial_) || !THi::CopyFile(program, partial_) ||
        !THi::SetReadOnlyTree(partial_, false))
      throw EHiError("Unable to write " + partial_ + ". Check that the output folder can be written to.");
  }

  // Runs the program's own patch mode on the file and checks what it stored.
  void Patch(const std::string& program, const std::string& mode, const std::string& source,
             const std::function<bool()>& stored, const std::string& what) {
    THi::RunProgramAndWait(program, mode + " " + QuoteArguments({partial_, source}), "", kShowNormal);
    if (!stored()) throw EHiError("Unable to store the " + what + " " + source + " in " + final_ + ".");
  }

  void Finish() {
    std::error_code ec;
    fs::rename(U8Path(partial_), U8Path(final_), ec);
    if (ec)
      throw EHiError("Unable to replace " + final_ + ". Close any copy of it that is running and try again.");
    done_ = true;
  }

  const std::string& path() const { return partial_; }

 private:
  std::string partial_;
  std::string final_;
  bool done_ = false;
};

void BuildProgram(const TPlan& plan, const std::string& splash, const std::string& chosenIcon,
                  const std::string& brandIni) {
  const std::string program = THi::GetProgramFile();
  ProgramUnderConstruction copy(plan.output);
  copy.Start(program);
  const std::string& target = copy.path();

  if (!splash.empty()) {
    const std::string bytes = THi::LoadFile(splash);
    copy.Patch(program, "/splash", splash,
               [&] { return ReadResource(target, kResData, "RES_SPLASH") == bytes; }, "splash image");
  }

  const std::string defaultIcon = ExtractDefaultBrandIcon();
  const std::string icon = chosenIcon.empty() ? defaultIcon : chosenIcon;
  const std::string iconBytes = THi::LoadFile(icon);
  copy.Patch(program, "/icon", icon, [&] {
    const std::string group = ReadResource(target, kResGroupIcon, "MAINICON");
    if (group.size() < 6) return false;
    const auto le16 = [&](std::size_t at) {
      return static_cast<std::uint16_t>(static_cast<unsigned char>(group[at]) |
                                        static_cast<unsigned char>(group[at + 1]) << 8);
    };
    return group == icon_file::Group(iconBytes, le16(0), le16(2));
  }, "icon");

  const std::string config = ReadChosenFile(brandIni, "settings file");
  copy.Patch(program, "/config", brandIni,
             [&] { return ReadResource(target, kResData, "RES_CONFIG_INI") == config; }, "settings");
  copy.Finish();
}

void CopyTree(const std::string& source, const std::string& destFolder, const std::string& result) {
  THi::CopyFolder(source, destFolder);
  THi::SetReadOnlyTree(result, false);
}

}  // namespace

std::string DefaultBrandOutputDir() {
  const std::string folder = Join(THi::GetDocumentsDir(), "$Output$");
  std::error_code ec;
  fs::create_directories(U8Path(folder), ec);
  if (!THi::DirectoryExists(folder)) throw EHiError("Unable to create the output folder " + folder);
  return folder;
}

std::string ExtractDefaultBrandIcon() {
  const std::string work = THi::GetWorkDir();
  if (work.empty()) throw EHiError("Unable to create the work folder for the default icon");
  const std::string file = Join(work, "CD.ico");
  THi::SaveResourceToFile("RES_CD", file);
  return file;
}

void BuildBrandedCopy(const TBrandedCopy& copy) {
  // The chosen pictures are checked before anything is written.
  const std::string splash = THi::FileExists(copy.splashFile) ? copy.splashFile : "";
  const std::string icon = THi::FileExists(copy.iconFile) ? copy.iconFile : "";
  if (!splash.empty()) CheckSplash(splash);
  if (!icon.empty()) CheckIcon(icon);
  const TPlan plan = MakePlan(copy);

  BuildProgram(plan, splash, icon, copy.brandIni);

  const std::string autoRun = Join(plan.output, kAutoRunName);
  THi::SaveResourceToFile("RES_AUTORUN", autoRun);
  if (!brand_internal::MakeAutoRunRunnable(autoRun))
    throw EHiError("Unable to make " + autoRun + " runnable");

  CopyTree(plan.binSource, plan.output, Join(plan.output, "bin"));
  if (!plan.dataRoot.empty()) {
    const std::string data = Join(plan.output, "data");
    std::error_code ec;
    fs::create_directories(U8Path(data), ec);
    for (const std::string& source : plan.dataSources) THi::CopyFolder(source, data);
    THi::SetReadOnlyTree(data, false);
  }
  const std::string www = Join(plan.output, "www");
  std::error_code ec;
  fs::create_directories(U8Path(www), ec);
  CopyTree(Join(plan.wwwSource, "*"), www, www);

  THi::OpenFolder(plan.output, kShowShow);
}
