// The mailbox: a folder of .eml files, one a message, named so that they
// sort oldest first. A message appears there whole or not at all.
#pragma once

#include <string>

namespace mail {

// Stores `message` as a new .eml file in `folder` (made when missing): it
// is written beside its final name and then renamed. The file's path, or
// empty with the reason in `error`.
std::string StoreMessage(const std::string& folder, const std::string& message, std::string& error);

// Replaces a stored message by `message`, again through a file beside it;
// false with the reason in `error`.
bool ReplaceMessage(const std::string& file, const std::string& message, std::string& error);

// The message with lines put before its headers, in the line ending the
// message itself uses.
std::string WithHeadersBefore(const std::string& message, const std::string& lines);

}  // namespace mail
