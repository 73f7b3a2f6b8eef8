// One message as PHP hands it to the mail program: the command line's
// options, and what the headers say about where it goes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mail {

// A larger message is refused rather than stored in part.
inline constexpr std::size_t kMaxMessageBytes = 50u * 1024u * 1024u;

struct Options {
  bool recipientsFromHeaders = false;  // -t
  std::string sender;                  // -f (or -r)
  std::string mailbox;                 // --mailbox: the folder messages are kept in
  std::vector<std::string> recipients; // the addresses after the options
};

// The program's options; `error` says what was wrong when they cannot be
// read (the message is then not taken).
Options ParseArguments(const std::vector<std::string>& args, std::string& error);

struct Header {
  std::string name;
  std::string value;  // unfolded, without the line break
};

// The header lines before the first empty line. A line that is no header
// (no colon, a name with a blank) is passed over: the message stays whole,
// only that line says nothing about where it goes.
std::vector<Header> ReadHeaders(const std::string& message);

// The addresses of a To, Cc or Bcc header: the part in angle brackets, or
// the bare address; display names, quoted text and comments are not
// addresses, and a group's name is not either.
std::vector<std::string> Addresses(const std::string& value);

// Everyone the message goes to: the command line's addresses and, with -t,
// those of the To, Cc and Bcc headers; each once.
std::vector<std::string> Recipients(const std::string& message, const Options& options);

// The sender: -f when given, else the first address of From; may be empty.
std::string Sender(const std::string& message, const Options& options);

// The message without the header `name` (in any case), its folded lines
// included; the body stays as it is.
std::string WithoutHeader(const std::string& message, const std::string& name);

}  // namespace mail
