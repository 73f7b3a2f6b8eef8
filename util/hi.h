// THi: the program's stateless utility class. Every operating-system service
// the launcher needs goes through these static members; they report failures
// by their result (false, 0, empty) and raise only where a member says so.
// Strings are UTF-8 on both platforms; paths use the platform's separator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using TProcessId = std::uint32_t;
using TProcessIdList = std::vector<TProcessId>;
using TNameList = std::vector<std::string>;
// A top-level window of the desktop: an HWND on Windows, an X11 window id on Linux.
using TWindowHandle = std::uintptr_t;

// Show states passed to started programs.
enum : int {
  kShowHidden = 0,
  kShowNormal = 1,
  kShowMaximized = 3,
  kShowShow = 5,
  kRelaunchMarker = 6005,  // not a real show command: marks our own relaunch
};

// What becomes of a started program when the launcher dies without its
// shut-down (killed, crashed).
enum class TChildTie {
  kNone,
  kEndWithLauncher,   // ended at once
  kStopWithLauncher,  // asked to stop at once, and ends with what it started
  // Asked to shut down by a guard process once it accepts connections, then
  // once a second, and ended after 15 seconds: for a database server, which
  // may lose data when terminated.
  kShutDownWithLauncher,
};

class THi {
 public:
  THi() = delete;

  // ---- Processes (process.cpp, process_posix.cpp / process_win.cpp) ----

  // Starts `"program" params` (quotes removed from program) with the given
  // show state; `workDir` is used only when it names an existing folder.
  // Returns the new process id, 0 when the start failed.
  static TProcessId RunProgram(const std::string& program, const std::string& params,
                               const std::string& workDir, int show,
                               TChildTie tie = TChildTie::kNone);
  // Starts a server hidden (show state 0), tied to the launcher as `tie`
  // says, with its standard output and error appended to `outputFile`
  // (created when missing). `port` is where it accepts connections once it
  // is ready (0: unknown). Returns the new process id, 0 when the start failed.
  static TProcessId RunServer(const std::string& program, const std::string& params,
                              TChildTie tie, const std::string& outputFile, int port);
  // As RunProgram, then blocks until the started process has ended.
  static void RunProgramAndWait(const std::string& program, const std::string& params,
                                const std::string& workDir, int show);
  // Opens an existing folder in the desktop's file manager; otherwise nothing.
  static void OpenFolder(const std::string& folder, int show);
  // Opens the mail client on the maker's contact address.
  static void OpenContactMail();
  // Opens a web address in the user's default browser.
  static void OpenAddress(const std::string& address);
  // Opens a text file in the user's plain-text editor.
  static void EditTextFile(const std::string& file);
  // The process that keeps the desktop's notification area (Windows: the
  // taskbar's; Linux: the owner of the X11 system tray); 0 when there is none.
  static TProcessId GetShellProcessId();
  // The process that owns the window; 4294967295 when the handle names no window.
  static TProcessId GetWindowProcessId(TWindowHandle window);
  // Makes the window the foreground window, also when another program's
  // window is in front.
  static void ForceForeground(TWindowHandle window);

  // True when a running process has this id (negative: false; 0: the idle entry).
  static bool ProcessExists(std::int64_t pid);
  // Terminates a running process; true when it existed and was terminated.
  static bool KillProcess(TProcessId pid);
  // Asks a process to shut down by itself (SIGTERM on Linux; on Windows the
  // database server's shutdown event); true when the request was delivered.
  static bool RequestStop(TProcessId pid);
  // Ends the own process at once with the exit code (0 unless a failure is
  // to be told); no clean-up runs.
  [[noreturn]] static void KillSelf(int exitCode = 0);
  // Full path of the process's program file, or empty.
  static std::string GetProcessPath(TProcessId pid);
  // Ids of all processes running the given existing program file, in snapshot order.
  static TProcessIdList FindProcessesByPath(const std::string& programFile);
  // First process running the program file, or 0.
  static TProcessId FindProcessByPath(const std::string& programFile);
  static TProcessId GetParentProcessId(TProcessId pid);
  static TProcessId GetOwnProcessId();
  // Adjusts one privilege of the own token (Windows only; false elsewhere).
  static bool EnablePrivilege(const std::string& name);
  // True only when the named mutex did not exist before; it stays held until
  // the process ends.
  static bool CreateInstanceMutex(const std::string& name);
  // True while some process holds the named mutex; takes nothing itself.
  static bool InstanceMutexHeld(const std::string& name);
  static bool IsWindows2000OrLater();
  // Shows the version error and ends the process when the check fails.
  static void RequireWindows2000();

  // ---- Files, folders and INI files (file.cpp, file_posix.cpp / file_win.cpp) ----

  static std::string GetProgramFile();  // full path of the running program file
  static std::string GetAppDir();       // program folder, no trailing separator (but a root keeps it)
  static std::string GetAppPath();      // program folder with trailing separator
  static std::string ExpandPath(const std::string& path);  // full path, relative to the program folder
  static bool FileExists(const std::string& file);          // an existing non-folder
  // The short form of an existing path (the path itself where there is
  // none); empty when the path does not exist.
  static std::string GetShortPath(const std::string& path);
  static bool DirectoryExists(const std::string& folder);

  // Copies the source (a file, a folder, or "folder/*" for its contents) into
  // the destination folder, overwriting, silently. True when everything was
  // copied; otherwise it stops at the first entry that failed and, when
  // asked, tells which and why in `failure`.
  static bool CopyFolder(const std::string& source, const std::string& destFolder,
                         std::string* failure = nullptr);
  // Copies one file, replacing the destination and keeping the permissions.
  static bool CopyFile(const std::string& from, const std::string& to);
  static bool DeleteFolder(const std::string& folder);  // true when absent afterwards
  static bool DeleteFile(const std::string& file);      // true when absent afterwards
  // Creates an empty file where none exists yet; otherwise false, with the
  // system's words for why in `reason` ("Read-only file system").
  static bool CreateNewFile(const std::string& file, std::string& reason);
  // Gives a file another name in the same file system, replacing a file of
  // that name; true when done.
  static bool RenameFile(const std::string& from, const std::string& to);
  static bool SetReadOnlyTree(const std::string& path, bool readOnly);

  static TNameList ListFiles(const std::string& folder);
  static TNameList ListEntries(const std::string& folder);  // includes "." and ".."
  static TNameList ListFolders(const std::string& folder);

  static std::string LoadFile(const std::string& file);  // raises EHiError
  static void SaveFile(const std::string& file, const std::string& bytes);  // raises EHiError
  // True when the file exists and cannot be opened exclusively for writing
  // (a running program, a read-only file).
  static bool IsFileInUse(const std::string& file);
  // Why the file cannot be opened for writing now, or no file can be made
  // in the folder, in the system's words; empty when it can.
  static std::string WhyNotWritable(const std::string& path);
  static std::string MakeUniqueFileName(const std::string& prefix, const std::string& folder,
                                        int number, const std::string& ext);
  // True when the drive (the program's own when empty) is a CD-ROM.
  static bool IsCdRom(const std::string& drive = std::string());

  // Resources. The program's own data resource, by name without regard to
  // case, written byte for byte into the file; raises EHiError when the
  // resource is missing or the file cannot be created.
  static void SaveResourceToFile(const std::string& name, const std::string& file);
  // The program's own data resource of that name, any letter case; empty when missing.
  static std::string LoadDataResource(const std::string& name);
  // The program's own icon group of that name as an icon file; empty when missing.
  static std::string LoadIconFile(const std::string& name);
  // Stores bytes as a named data resource of another program file; true when committed.
  static bool WriteDataResource(const std::string& programFile, const std::string& name,
                                const std::string& bytes);
  // Makes the program file writable, then replaces its main icon from the
  // icon file; raises the icon writer's errors.
  static void ReplaceIcon(const std::string& programFile, const std::string& iconFile);

  // INI files with the profile-file rules; each call opens the file anew.
  static std::string ReadIniValue(const std::string& file, const std::string& section,
                                  const std::string& key);
  // Raises EHiError("Unable to write to <file>") when the file cannot be written.
  static void WriteIniValue(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value);
  static void DeleteIniKey(const std::string& file, const std::string& section,
                           const std::string& key);
  static TNameList ReadIniSection(const std::string& file, const std::string& section);

  // ---- Environment, locale and network (env.cpp, env_posix.cpp / env_win.cpp) ----

  static std::string GetTempDir();  // no trailing separator; empty when none
  static std::string GetWindowsDir();
  static std::string GetSpecialFolder(int id);
  static std::string GetDesktopDir();    // special folder 16
  static std::string GetDocumentsDir();  // special folder 5
  // The user's Downloads folder, or the home folder when there is none.
  static std::string GetDownloadsDir();
  static std::string Md5Hex(const std::string& bytes);
  // Md5Hex of the text, or of the program file's full path when it is empty.
  static std::string GetInstanceHash(const std::string& text = std::string());
  // The work folder named by the instance hash, created when missing; empty on failure.
  static std::string GetWorkDir();
  static std::string GetSystemLanguage();
  static bool SetOsLanguageEnv();
  static bool SetPhprcEnv(const std::string& folder = std::string());
  // Sets a variable in the launcher's environment, inherited by what it starts.
  static bool SetEnvVar(const std::string& name, const std::string& value);
  // A variable of the own environment; empty when it is not set.
  static std::string GetEnvVar(const std::string& name);
  static bool IsPortInUse(int port, bool loopback);
  // True when a server on 127.0.0.1 accepts a TCP connection on the port.
  static bool PortAccepts(int port);
  // True when a server on 127.0.0.1 that speaks first, as database servers
  // do, sends its greeting on the port within the time.
  static bool PortGreets(int port, int timeoutMs);
  static int FindFreePort(int startPort, bool loopback);  // -1 when none
};
