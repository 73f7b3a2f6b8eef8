// The mail program's run: one message from `in`, kept in the mailbox.
// Its status is 0 only when the message is stored; 1 otherwise, with the
// reason written to `err` (PHP writes it to its log). Never 75, which PHP
// would count as sent.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace mail {

int RunSendmail(const std::vector<std::string>& args, std::FILE* in, std::FILE* err);

}  // namespace mail
