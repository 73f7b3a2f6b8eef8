// Command lines: how a started program's command line is built, how it is
// split back into arguments, and that a started program receives exactly
// those arguments on both platforms.
#include "util/command_line.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "util/hi.h"

namespace {

using Args = std::vector<std::string>;

TEST(BuildCommandLine, QuotesTheProgramAndKeepsParametersUnchanged) {
  EXPECT_EQ(BuildCommandLine("C:\\Program Files\\app.exe", "a \"b c\""),
            "\"C:\\Program Files\\app.exe\" a \"b c\"");
  // Every quote of the program path goes, one pair is put around it.
  EXPECT_EQ(BuildCommandLine("\"C:\\dir\\app.exe\"", "x"), "\"C:\\dir\\app.exe\" x");
  EXPECT_EQ(BuildCommandLine("/opt/a\"b/prog", "x"), "\"/opt/ab/prog\" x");
  // An empty parameter text still leaves the blank after the closing quote.
  EXPECT_EQ(BuildCommandLine("prog", ""), "\"prog\" ");
}

struct SplitCase {
  const char* name;
  const char* line;
  Args expected;
};

// Test names show the command line, not the bytes of the case.
void PrintTo(const SplitCase& param, std::ostream* out) { *out << param.line; }

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, FollowsTheMicrosoftRuntimeRules) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().expected) << "line: " << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    ::testing::Values(
        // Argument 0 is read literally up to the closing quote or a blank:
        // a backslash before its closing quote is part of the path.
        SplitCase{"QuotedProgram", R"("C:\Program Files\app.exe" a b)", {R"(C:\Program Files\app.exe)", "a", "b"}},
        SplitCase{"ProgramEndingInBackslash", R"("C:\dir\" a)", {R"(C:\dir\)", "a"}},
        SplitCase{"UnquotedProgram", R"(C:\app.exe a)", {R"(C:\app.exe)", "a"}},
        // Later arguments: quotes group blanks and vanish, even mid-word.
        SplitCase{"QuotesGroupBlanks", R"(p "two words" a"b c"d)", {"p", "two words", "ab cd"}},
        // 2n backslashes before a quote give n and the quote acts;
        // 2n+1 give n and a literal quote; elsewhere backslashes stay.
        SplitCase{"EvenBackslashesBeforeQuote", R"(p a\\\\"b c")", {"p", R"(a\\b c)"}},
        SplitCase{"OddBackslashesBeforeQuote", R"(p a\\\"b)", {"p", R"(a\"b)"}},
        SplitCase{"BackslashesElsewhere", R"(p a\\b\ c\\)", {"p", R"(a\\b\)", R"(c\\)"}},
        SplitCase{"QuotedTrailingBackslash", R"(p "dir\\" next)", {"p", R"(dir\)", "next"}},
        // "" inside quotes is one literal quote, and the quotes go on.
        SplitCase{"DoubledQuoteInQuotes", R"(p "a""b")", {"p", R"(a"b)"}},
        SplitCase{"DoubledQuoteKeepsQuoting", R"(p "a""b c")", {"p", R"(a"b c)"}},
        // Tabs separate like blanks, except inside quotes.
        SplitCase{"Tabs", "p a\tb \"c\td\"", {"p", "a", "b", "c\td"}},
        // Empty quoted arguments count; trailing and repeated blanks do not.
        SplitCase{"EmptyQuotedArguments", R"(p "" b "")", {"p", "", "b", ""}},
        SplitCase{"TrailingBlankAfterProgram", "\"p\" ", {"p"}},
        SplitCase{"RepeatedAndTrailingBlanks", "p  a   b  \t ", {"p", "a", "b"}},
        // An unclosed quote runs to the end.
        SplitCase{"UnclosedQuote", R"(p "a b)", {"p", "a b"}}),
    [](const ::testing::TestParamInfo<SplitCase>& param) { return std::string(param.param.name); });

TEST(SplitCommandLine, ReadsBackWhatBuildCommandLineBuilt) {
  EXPECT_EQ(SplitCommandLine(BuildCommandLine("/a b/\"prog\"", "x \"y z\"")),
            (Args{"/a b/prog", "x", "y z"}));
  EXPECT_EQ(SplitCommandLine(BuildCommandLine("/prog", "")), Args{"/prog"});
  // The parameters alone split as those after argument 0 do.
  EXPECT_EQ(SplitParameters("x \"y z\" a\\\"b"), (Args{"x", "y z", "a\"b"}));
  EXPECT_EQ(SplitParameters(QuoteArguments({"my \"t\" stack", "C:\\dir\\"})),
            (Args{"my \"t\" stack", "C:\\dir\\"}));
  EXPECT_TRUE(SplitParameters("").empty());
}

// A program started from a folder with blanks receives exactly the
// arguments the rules above give, whichever platform splits them.
TEST(CommandLineRoundTrip, StartedProgramReceivesTheSplitArguments) {
  test::TempFolder temp;
  const std::string folder = temp / "folder with blanks";
  test::fs::create_directory(test::U8Path(folder));
  const std::string program = folder + test::kSep + "test child" + test::kExeSuffix;
  test::CopyProgram(test::ChildProgram(), program);
  const std::string report = temp / "report.txt";

  const std::string params = "report \"" + report +
                             "\" plain \"two words\" say\\\"hi\\\" \"trail\\\\\" a\\\\b \"\" "
                             "\"tab\tin\" \xC3\xBCn\xC3\xAF";
  THi::RunProgramAndWait(program, params, "", kShowNormal);

  const test::ChildReport got = test::ReadChildReport(report);
  EXPECT_EQ(got.args, (Args{"report", report, "plain", "two words", "say\"hi\"", "trail\\",
                            "a\\\\b", "", "tab\tin", "\xC3\xBCn\xC3\xAF"}));
  const Args split = SplitCommandLine(BuildCommandLine(program, params));
  EXPECT_EQ(got.args, Args(split.begin() + 1, split.end()));
}

}  // namespace
