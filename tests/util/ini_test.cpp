// INI files through THi, on real files: what a read returns, how a write
// changes the file (and leaves the rest of it alone), and how a write that
// cannot happen is reported.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "util/hi.h"
#include "util/hi_error.h"

namespace {

using test::ReadFile;
using test::WriteFile;

class IniTest : public test::TempFolderTest {
 protected:
  std::string file_ = Path("Config.ini");
};

TEST_F(IniTest, ReadTrimsAndStripsOnePairOfEnclosingQuotes) {
  WriteFile(file_,
            "[INI]\n"
            "  Title = \"My Program\" \n"
            "padded=   two words   \n"
            "inner=\"  kept  \"\n"
            "twice=\"\"a\"\"\n"
            "middle=\"a\"b\"\n"
            "lone=\"abc\n"
            "notenclosing=x \"y\" z\n"
            "empty=\n"
            "[Other]\n"
            "title=other\n");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "title"), "My Program");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "padded"), "two words");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "inner"), "  kept  ");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "twice"), "\"a\"");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "middle"), "a\"b");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "lone"), "\"abc");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "notenclosing"), "x \"y\" z");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "empty"), "");
  // Names compare without regard to case; each section keeps its own keys.
  EXPECT_EQ(THi::ReadIniValue(file_, "ini", "TITLE"), "My Program");
  EXPECT_EQ(THi::ReadIniValue(file_, "oTHER", "Title"), "other");
}

TEST_F(IniTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(THi::ReadIniValue(Path("missing.ini"), "INI", "title"), "");
  EXPECT_TRUE(THi::ReadIniSection(Path("missing.ini"), "INI").empty());
  WriteFile(file_, "[INI]\ntitle=x\n");
  EXPECT_EQ(THi::ReadIniValue(file_, "Other", "title"), "");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "port"), "");
  EXPECT_TRUE(THi::ReadIniSection(file_, "Other").empty());
  // Reading creates nothing.
  EXPECT_FALSE(THi::FileExists(Path("missing.ini")));
}

TEST_F(IniTest, ReadReturnsAtMost2047Characters) {
  std::string value;
  for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
  WriteFile(file_, "[INI]\nlong=" + value + "\n");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "long"), value.substr(0, 2047));
}

TEST_F(IniTest, WriteReplacesInPlaceAndLeavesEveryOtherLineAlone) {
  const std::string before = "; settings\n[INI]\na = 1\nPort=80\n\nb=2 ; note\n[Next]\nport=9\n";
  WriteFile(file_, before);
  THi::WriteIniValue(file_, "ini", "PORT", "81");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "port"), "81");
  EXPECT_EQ(THi::ReadIniValue(file_, "Next", "port"), "9");
  // Only the key's own line changed (the spelling of its name may follow
  // either the file or the write).
  std::string after = ReadFile(file_);
  const std::size_t at = after.find("=81\n");
  ASSERT_NE(at, std::string::npos) << after;
  after.replace(at - 4, 7, "Port=80");
  EXPECT_EQ(after, before);
}

TEST_F(IniTest, WriteAppendsKeysSectionsAndFiles) {
  // A new file.
  THi::WriteIniValue(file_, "INI", "title", "Tarnlight");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "title"), "Tarnlight");
  // A new key goes into its own section, before the next one.
  THi::WriteIniValue(file_, "Other", "x", "1");
  THi::WriteIniValue(file_, "INI", "port", "80");
  EXPECT_EQ(THi::ReadIniSection(file_, "INI"), (TNameList{"title", "port"}));
  EXPECT_EQ(THi::ReadIniSection(file_, "Other"), TNameList{"x"});
  const std::string text = ReadFile(file_);
  EXPECT_LT(text.find("port=80"), text.find("[Other]")) << text;
  // A value written between quotes reads back without them.
  THi::WriteIniValue(file_, "INI", "title", "\"My Program\"");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "title"), "My Program");
  EXPECT_EQ(THi::ReadIniSection(file_, "INI"), (TNameList{"title", "port"}));
}

TEST_F(IniTest, AppendingAfterALastLineWithoutLineEndKeepsThatLine) {
  // The stored configuration has no line end after its last line.
  WriteFile(file_, "[INI]\r\nport=80\r\nbrand=0");
  THi::WriteIniValue(file_, "INI", "toolbar", "1");
  THi::WriteIniValue(file_, "Extra", "k", "v");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "brand"), "0");
  EXPECT_EQ(THi::ReadIniValue(file_, "INI", "toolbar"), "1");
  EXPECT_EQ(THi::ReadIniValue(file_, "Extra", "k"), "v");
}

TEST_F(IniTest, ExistingLineEndsAreKept) {
  WriteFile(file_, "[INI]\r\nport=80\r\n[Next]\r\na=1\r\n");
  THi::WriteIniValue(file_, "INI", "port", "81");
  THi::WriteIniValue(file_, "INI", "ip", "all");
  THi::WriteIniValue(file_, "New", "k", "v");
  const std::string text = ReadFile(file_);
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    ASSERT_EQ(text[at - 1], '\r') << "a bare line feed in: " << text;

  WriteFile(file_, "[INI]\nport=80\n");
  THi::WriteIniValue(file_, "INI", "ip", "all");
  THi::WriteIniValue(file_, "New", "k", "v");
  EXPECT_EQ(ReadFile(file_).find('\r'), std::string::npos) << ReadFile(file_);
}

TEST_F(IniTest, DeleteRemovesOnlyThatKey) {
  const std::string keep = "[INI]\na=1\n";
  WriteFile(file_, keep + "Port=80\n[Next]\nport=9\n");
  THi::DeleteIniKey(file_, "ini", "PORT");
  EXPECT_EQ(ReadFile(file_), keep + "[Next]\nport=9\n");
  // Missing keys, sections and files: nothing happens, nothing is created.
  THi::DeleteIniKey(file_, "INI", "none");
  THi::DeleteIniKey(file_, "None", "a");
  EXPECT_EQ(ReadFile(file_), keep + "[Next]\nport=9\n");
  THi::DeleteIniKey(Path("missing.ini"), "INI", "a");
  EXPECT_FALSE(THi::FileExists(Path("missing.ini")));
}

TEST_F(IniTest, SectionKeysComeInFileOrder) {
  WriteFile(file_, "[INI]\nzeta=1\nAlpha=2\n mid = 3\n[Other]\nq=4\n");
  EXPECT_EQ(THi::ReadIniSection(file_, "ini"), (TNameList{"zeta", "Alpha", "mid"}));
}

void ExpectUnableToWrite(const std::string& file) {
  try {
    THi::WriteIniValue(file, "INI", "port", "81");
    ADD_FAILURE() << "no error for " << file;
  } catch (const EHiError& error) {
    EXPECT_STREQ(error.what(), ("Unable to write to " + file).c_str());
  }
}

TEST_F(IniTest, AFileThatCannotBeWrittenRaisesUnableToWrite) {
  ExpectUnableToWrite(Path("no such folder") + test::kSep + "Config.ini");
  // A folder is no file.
  ExpectUnableToWrite(temp_.path());
}

TEST_F(IniTest, AReadOnlyFileRaisesUnableToWriteAndStaysAsItWas) {
  WriteFile(file_, "[INI]\nport=80\n");
  ASSERT_TRUE(THi::SetReadOnlyTree(file_, true));
  if (!test::ReadOnlyFilesAreWritable()) {
    ExpectUnableToWrite(file_);
  } else {
    // Root may write to a read-only file, so the refusal is tried as an
    // ordinary user, in a folder that user may write to.
    test::fs::permissions(test::U8Path(temp_.path()), test::fs::perms::all);
    const std::string failure = test::RunUnprivileged([this] {
      try {
        THi::WriteIniValue(file_, "INI", "port", "81");
        return std::string("no error for ") + file_;
      } catch (const EHiError& error) {
        return error.what() == "Unable to write to " + file_ ? std::string() : error.what();
      }
    });
    EXPECT_EQ(failure, "");
  }
  EXPECT_EQ(ReadFile(file_), "[INI]\nport=80\n");
}

}  // namespace
