// The command-line splitter on any text, and the promise of the quoting: an
// argument quoted and placed on a command line splits back unchanged. The
// input is split at NUL bytes into a program path and its arguments (no
// command-line text can hold a NUL).
#include "fuzz/fuzz_input.h"
#include "util/command_line.h"

namespace {

std::string WithoutQuotes(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c != '"') out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text = fuzz::AsText(data, size);
  const std::vector<std::string> split = SplitCommandLine(text);
  FUZZ_CHECK(split.empty() == text.empty());

  const std::vector<std::string> fields = fuzz::Fields(text);
  for (const std::string& arg : fields) {
    const std::vector<std::string> one = SplitCommandLine(BuildCommandLine("p", QuoteArgument(arg)));
    FUZZ_CHECK(one == (std::vector<std::string>{"p", arg}));
  }

  // The program path as given (its quotes dropped), then every argument.
  std::string params;
  for (std::size_t i = 1; i < fields.size(); ++i) {
    if (i > 1) params += ' ';
    params += QuoteArgument(fields[i]);
  }
  std::vector<std::string> expected = fields;
  expected[0] = WithoutQuotes(fields[0]);
  FUZZ_CHECK(SplitCommandLine(BuildCommandLine(fields[0], params)) == expected);
  return 0;
}
