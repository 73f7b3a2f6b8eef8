#include "mail/mailbox.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "mail/own_process.h"
#include "util/hi.h"
#include "util/platform.h"

namespace mail {

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// UTC time to the millisecond: names sort in the order messages came.
std::string TimeStamp() {
  using namespace std::chrono;
  const auto now = floor<milliseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date(day);
  const hh_mm_ss time(now - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02u%02u-%02d%02d%02d-%03d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
  return text;
}

// Writes `message` into `part` (a new file, which must not exist yet) and
// renames it to `file`; the part is gone afterwards either way.
bool WriteThenRename(const std::string& part, const std::string& file, const std::string& message,
                     std::string& error) {
  try {
    THi::SaveFile(part, message);
  } catch (const std::exception& e) {
    THi::DeleteFile(part);
    error = e.what();
    return false;
  }
  if (THi::RenameFile(part, file)) return true;
  error = "Cannot rename \"" + part + "\" to \"" + file + "\".";
  THi::DeleteFile(part);
  return false;
}

}  // namespace

std::string StoreMessage(const std::string& folder, const std::string& message, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(PathOf(folder), ec);
  if (!THi::DirectoryExists(folder)) {
    error = "cannot make the mailbox \"" + folder + "\": " + ec.message();
    return {};
  }
  static std::atomic<int> counter{0};
  const std::string stem = folder + platform::kPathDelim + TimeStamp() + "-" +
                           std::to_string(OwnProcessId());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string file = stem + "-" + std::to_string(counter++) + ".eml";
    const std::string part = file + ".part";
    std::string reason;
    if (THi::FileExists(file)) continue;
    if (!THi::CreateNewFile(part, reason)) {
      if (THi::FileExists(part)) continue;
      error = "cannot write into the mailbox \"" + folder + "\": " + reason;
      return {};
    }
    if (!WriteThenRename(part, file, message, error)) {
      error = "cannot store the message in the mailbox \"" + folder + "\": " + error;
      return {};
    }
    return file;
  }
  error = "cannot find a free name in the mailbox \"" + folder + "\"";
  return {};
}

bool ReplaceMessage(const std::string& file, const std::string& message, std::string& error) {
  const std::string part = file + ".part";
  std::string reason;
  // Only this message's own run replaces it: a part is what a run cut short left.
  THi::DeleteFile(part);
  if (!THi::CreateNewFile(part, reason)) {
    error = "cannot write \"" + part + "\": " + reason;
    return false;
  }
  return WriteThenRename(part, file, message, error);
}

std::string WithHeadersBefore(const std::string& message, const std::string& lines) {
  const auto firstEnd = message.find('\n');
  const bool crlf = firstEnd != std::string::npos && firstEnd > 0 && message[firstEnd - 1] == '\r';
  std::string out;
  std::istringstream in(lines);
  for (std::string line; std::getline(in, line);) out += line + (crlf ? "\r\n" : "\n");
  return out + message;
}

}  // namespace mail
