#include "packaging/brand_builder.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "packaging/brand_builder_internal.h"
#include "packaging/brand_staging.h"
#include "packaging/patch_mode.h"
#include "picture/splash_picture.h"
#include "util/command_line.h"
#include "util/hi.h"
#include "util/hi_error.h"
#include "util/icon_file.h"
#include "util/platform.h"
#include "util/utf8_path.h"

namespace {

namespace fs = std::filesystem;

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
  std::vector<std::string> earlier;      // what an earlier copy left in the output
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
  // What an earlier copy there holds is replaced whole: never the stack
  // itself, nor a folder the copy is made from.
  sources.push_back(THi::GetAppDir());
  plan.earlier = EarlierCopyIn(plan.output);
  for (const std::string& name : plan.earlier) {
    for (const std::string& source : sources) {
      if (THi::DirectoryExists(source) && LiesInside(source, Join(plan.output, name)))
        throw EHiError("The output folder " + plan.output + " holds " + source + " in its " + name +
                       ", which a new copy would replace. Choose another output folder.");
    }
  }
  return plan;
}

// Runs the program's own patch mode on the copy's program file and checks
// what it stored.
void Patch(const std::string& program, const std::string& target, const std::string& mode,
           const std::string& source, const std::string& what) {
  THi::RunProgramAndWait(program, mode + " " + QuoteArgument(target) + " " + QuoteArgument(source), "",
                         kShowNormal);
  if (!PatchIsStored(mode, target, source))
    throw EHiError("Unable to store the " + what + " " + source + " in the copy's program file.");
}

void BuildProgram(const std::string& target, const std::string& splash, const std::string& chosenIcon,
                  const std::string& brandIni) {
  const std::string program = THi::GetProgramFile();
  // The copy keeps the program's permissions, so it stays runnable.
  std::error_code ec;
  fs::copy_file(U8Path(program), U8Path(target), fs::copy_options::overwrite_existing, ec);
  if (ec || !THi::SetReadOnlyTree(target, false))
    throw EHiError("Unable to write " + target + ": " + (ec ? ec.message() : "it stays read-only") + ".");
  if (!splash.empty()) Patch(program, target, "/splash", splash, "splash image");
  const std::string icon = chosenIcon.empty() ? ExtractDefaultBrandIcon() : chosenIcon;
  Patch(program, target, "/icon", icon, "icon");
  (void)ReadChosenFile(brandIni, "settings file");  // a clear message for an unreadable one
  Patch(program, target, "/config", brandIni, "settings");
}

// Copies a folder (or "folder/*", its contents) into the destination and
// makes the result writable; the first file that fails ends the build.
void CopyTree(const std::string& source, const std::string& destFolder, const std::string& result) {
  std::string failure;
  if (!THi::CopyFolder(source, destFolder, &failure)) throw EHiError(failure);
  if (!THi::SetReadOnlyTree(result, false)) throw EHiError("Unable to make " + result + " writable.");
}

// The stack's database server is stopped for as long as its data is
// copied, so the copy holds what it wrote, whole. A server that ignored the
// request and had to be ended may have left its files half written: then
// there is no copy.
class DatabasePause {
 public:
  explicit DatabasePause(const TBrandedCopy& copy)
      : copy_(copy), stop_(copy.stopDatabase ? copy.stopDatabase() : TServerStop::kNotRunning) {
    if (stop_ != TServerStop::kKilled) return;
    Restart();
    throw EHiError(
        "No copy was made: the database server did not shut down within 15 seconds when asked and had to be "
        "ended, so its data may not have been written whole. Try again once the database server is not busy.");
  }
  ~DatabasePause() { Restart(); }
  DatabasePause(const DatabasePause&) = delete;
  DatabasePause& operator=(const DatabasePause&) = delete;

 private:
  void Restart() {
    if (stop_ != TServerStop::kNotRunning && copy_.restartDatabase) copy_.restartDatabase();
    stop_ = TServerStop::kNotRunning;
  }
  const TBrandedCopy& copy_;
  TServerStop stop_;
};

// "runme, bin, data and www".
std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i)
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return text;
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
  if (!plan.earlier.empty()) {
    const std::string question = "The output folder " + plan.output + " holds an earlier copy (" +
                                 Listed(plan.earlier) + "). Replace it with the new copy once that is " +
                                 "complete? The folder's other files stay as they are.";
    if (!copy.confirmReplace || !copy.confirmReplace(question)) return;
  }

  TCopyUnderConstruction building(plan.output);
  BuildProgram(building.Path(kBrandProgramName), splash, icon, copy.brandIni);

  const std::string autoRun = building.Path(kAutoRunName);
  THi::SaveResourceToFile("RES_AUTORUN", autoRun);
  if (!brand_internal::MakeAutoRunRunnable(autoRun))
    throw EHiError("Unable to make " + autoRun + " runnable");

  CopyTree(plan.binSource, building.Folder(), building.Path("bin"));
  if (!plan.dataRoot.empty()) {
    const std::string data = building.NewFolder("data");
    const DatabasePause pause(copy);
    for (const std::string& source : plan.dataSources) CopyTree(source, data, data);
    // The Aria engine's control file and log go along: tables copied
    // without them belong to no log, and MariaDB wants them repaired.
    for (const std::string& name : THi::ListFiles(plan.dataRoot))
      if (name.rfind("aria_log", 0) == 0) CopyTree(Join(plan.dataRoot, name), data, data);
  }
  const std::string www = building.NewFolder("www");
  CopyTree(Join(plan.wwwSource, "*"), www, www);
  building.Complete(plan.earlier);

  THi::OpenFolder(plan.output, kShowShow);
}
