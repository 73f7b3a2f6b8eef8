// A program of the tree run with one of its standard streams on a pipe to
// this process (the dump's output, the client's input) and its errors kept
// for the message that says why it failed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace backup {

class TPipedChild {
 public:
  enum class TDirection { kFromChild, kToChild };
  TPipedChild();
  ~TPipedChild();  // a child still running is ended
  TPipedChild(const TPipedChild&) = delete;
  TPipedChild& operator=(const TPipedChild&) = delete;

  // argv[0] is the program's full path. False, with the reason, when it cannot start.
  bool Start(const std::vector<std::string>& argv, TDirection direction, std::string& reason);
  // kFromChild: the next piece of its output; false at its end.
  bool Read(std::string& piece);
  // kToChild: false when the child no longer reads.
  bool Write(std::string_view bytes);
  // Closes the pipe and waits for the child: its exit status (-1 when it
  // was ended by a signal or could not be waited for), and the end of what
  // it wrote to its standard error.
  int Finish(std::string& errors);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace backup
