// UpdateMainIcon through the platform's real resource editor, on a copy of
// the built program file: the limits and checks of an icon file with their
// exact failure texts, how a new group and its images replace the old ones,
// and that no failure changes a byte of the target.
#include <gtest/gtest.h>

#include <regex>

#include "support/resource_support.h"
#include "util/hi.h"
#include "util/resource_update.h"
#include "util/tfile.h"

namespace {

const ResourceName kMainIcon = ResourceName::Named("MAINICON");
constexpr char kTooLarge[] = "Resource update error: Icon file is too large";
constexpr char kInvalid[] = "Resource update error: Icon file is invalid";

std::vector<std::uint16_t> Ids(std::uint16_t from, std::uint16_t to) {
  std::vector<std::uint16_t> ids;
  for (std::uint16_t id = from; id <= to; ++id) ids.push_back(id);
  return ids;
}

class IconUpdate : public test::TempFolderTest {
 protected:
  void SetUp() override {
    target_ = Path(std::string("target") + test::kExeSuffix);
    test::CopyProgram(test::LodestackProgram(), target_);
    Settle();
    ASSERT_FALSE(before_.empty());
  }

  // Makes the target a program file that carries resources but no main icon
  // (the test helper with one data resource added).
  void MakeTargetWithoutMainIcon() {
    test::CopyProgram(test::ChildProgram(), target_);
    const std::string config = "[INI]\r\ntitle=x";
    ASSERT_TRUE(test::EditResources(target_, [&](ResourceEditor& editor) {
      return editor.Update(kResData, ResourceName::Named("RES_CONFIG_INI"), kLangNeutral, &config);
    }));
    ASSERT_TRUE(test::ResourceLanguages(target_, kResGroupIcon, kMainIcon).empty());
    Settle();
  }

  // Adds an old main icon: a group in `language` listing the images of
  // `icon` under the identifiers `ids`, the images in `language` as well.
  void AddOldMainIcon(const std::string& icon, const std::vector<std::uint16_t>& ids,
                      std::uint16_t language) {
    ASSERT_TRUE(test::EditResources(target_, [&](ResourceEditor& editor) {
      std::vector<std::string> entries;
      for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string image = test::IconImage(icon, static_cast<int>(i));
        if (!editor.Update(kResIcon, ResourceName::Numbered(ids[i]), language, &image)) return false;
        entries.push_back(test::IconEntry(icon, static_cast<int>(i)));
      }
      const std::string group = test::MakeGroup(entries, ids);
      return editor.Update(kResGroupIcon, kMainIcon, language, &group);
    }));
    const auto group = test::ViewResource(target_, kResGroupIcon, kMainIcon);
    ASSERT_TRUE(group);
    ASSERT_EQ(test::GroupIds(group->bytes), ids);
    Settle();
  }

  std::string IconFile(const std::string& bytes) {
    const std::string file = Path("icon" + std::to_string(++icons_) + ".ico");
    test::WriteFile(file, bytes);
    return file;
  }

  // The text UpdateMainIcon raised; empty when it succeeded.
  std::string Failure(const std::string& iconFile) {
    try {
      UpdateMainIcon(target_, iconFile);
    } catch (const std::exception& e) {
      return e.what();
    }
    return {};
  }

  // Takes the target's bytes as they are now as the ones a failure must keep.
  void Settle() { before_ = test::ReadFile(target_); }
  void ExpectUnchanged() {
    EXPECT_TRUE(test::ReadFile(target_) == before_) << "the failed update changed the target";
  }

  // The new group lists the icon file's images as 1 to n, in its order, in
  // language 1033, and each image holds the icon file's bytes.
  void ExpectNewMainIcon(const std::string& icon) {
    const std::uint16_t count = test::Le16(icon, 4);
    const auto group = test::ViewResource(target_, kResGroupIcon, kMainIcon);
    ASSERT_TRUE(group);
    EXPECT_EQ(group->language, kLangEnglishUs);
    ASSERT_EQ(group->bytes.size(), 6u + 14u * count);
    EXPECT_EQ(test::Le16(group->bytes, 2), 1) << "an icon group";
    EXPECT_EQ(test::Le16(group->bytes, 4), count);
    EXPECT_EQ(test::GroupIds(group->bytes), Ids(1, count));
    for (int i = 0; i < count; ++i) {
      SCOPED_TRACE("image " + std::to_string(i + 1));
      EXPECT_EQ(group->bytes.substr(6 + 14 * static_cast<std::size_t>(i), 12),
                test::IconEntry(icon, i))
          << "the group lists the images in the icon file's order";
      const ResourceName image = ResourceName::Numbered(static_cast<std::uint16_t>(i + 1));
      const auto data = test::ViewResource(target_, kResIcon, image);
      ASSERT_TRUE(data);
      EXPECT_TRUE(data->bytes == test::IconImage(icon, i));
      EXPECT_EQ(test::ResourceLanguages(target_, kResIcon, image),
                std::vector<std::uint16_t>{kLangEnglishUs});
    }
  }

  // Nothing of the old icon is left: one MAINICON group (1033) and exactly
  // the new images.
  void ExpectOnlyTheNewMainIcon(std::uint16_t count) {
    EXPECT_EQ(test::ResourceLanguages(target_, kResGroupIcon, kMainIcon),
              std::vector<std::uint16_t>{kLangEnglishUs})
        << "exactly one MAINICON group, in language 1033";
    EXPECT_EQ(test::ResourceIds(target_, kResIcon), Ids(1, count))
        << "the old images are gone and the new ones are 1 to " << count;
  }

  std::string target_;
  std::string before_;
  int icons_ = 0;
};

TEST_F(IconUpdate, AnIconFileOfExactlyOneMebibyteIsAcceptedAndOneByteMoreIsNot) {
  EXPECT_EQ(Failure(IconFile(test::MakeIconOfFileSize(1048577))), kTooLarge);
  ExpectUnchanged();

  const std::string icon = test::MakeIconOfFileSize(1048576);
  ASSERT_EQ(icon.size(), 1048576u);
  EXPECT_EQ(Failure(IconFile(icon)), "");
  ExpectNewMainIcon(icon);
}

TEST_F(IconUpdate, AProgramFileGivenAsTheIconIsInvalid) {
  // An otherwise well-formed icon that starts as a program file does.
  std::string icon = test::MakeIcon({16, 32});
  icon[0] = 'M';
  icon[1] = 'Z';
  EXPECT_EQ(Failure(IconFile(icon)), kInvalid);
  ExpectUnchanged();
}

TEST_F(IconUpdate, AnImageReachingPastTheEndIsInvalid) {
  const std::string icon = test::MakeIcon({16, 32});

  EXPECT_EQ(Failure(IconFile(icon.substr(0, icon.size() - 1))), kInvalid)
      << "the last image one byte past the end";
  ExpectUnchanged();

  std::string wraps = icon;  // offset + size only fits when it wraps around 32 bits
  test::PutLe32(wraps, 6 + 16 + 12, 0xfffffff0u);
  test::PutLe32(wraps, 6 + 16 + 8, 0x20u);
  EXPECT_EQ(Failure(IconFile(wraps)), kInvalid) << "offset + size beyond 32 bits";
  ExpectUnchanged();

  EXPECT_EQ(Failure(IconFile(icon.substr(0, 5))), kInvalid) << "shorter than the header";
  ExpectUnchanged();

  const std::string entryMissing = icon.substr(0, 6 + 16);  // says two images, holds one entry
  EXPECT_EQ(Failure(IconFile(entryMissing)), kInvalid) << "shorter than its directory";
  ExpectUnchanged();

  // Ending exactly at the end is fine.
  EXPECT_EQ(Failure(IconFile(icon)), "");
  ExpectNewMainIcon(icon);
}

TEST_F(IconUpdate, SixImagesReplaceAnOldGroupOfThree) {
  // An old group of three images numbered 7 to 9, so that what is left of
  // it afterwards cannot hide among the new numbers.
  AddOldMainIcon(test::MakeIcon({16, 24, 32}), {7, 8, 9}, kLangEnglishUs);
  const auto config = test::ViewResource(target_, kResData, ResourceName::Named("RES_CONFIG_INI"));
  ASSERT_TRUE(config);

  const std::string six = test::MakeIcon({16, 20, 24, 32, 40, 48});
  EXPECT_EQ(Failure(IconFile(six)), "");
  ExpectNewMainIcon(six);
  const auto configAfter =
      test::ViewResource(target_, kResData, ResourceName::Named("RES_CONFIG_INI"));
  ASSERT_TRUE(configAfter);
  EXPECT_EQ(configAfter->bytes, config->bytes) << "the other resources stay as they were";

  if (test::RunningUnderWine()) GTEST_SKIP() << test::kWineKeepsDeletedResources;
  ExpectOnlyTheNewMainIcon(6);
}

TEST_F(IconUpdate, AnOldGroupInAnotherLanguageIsDeletedInItsOwnLanguage) {
  MakeTargetWithoutMainIcon();
  AddOldMainIcon(test::MakeIcon({16, 32}), {7, 8}, 1031);
  ASSERT_EQ(test::ResourceLanguages(target_, kResGroupIcon, kMainIcon),
            std::vector<std::uint16_t>{1031});

  const std::string icon = test::MakeIcon({16, 32, 48});
  EXPECT_EQ(Failure(IconFile(icon)), "");
  // With the old group still there, the view could show either of the two.
  if (test::RunningUnderWine()) GTEST_SKIP() << test::kWineKeepsDeletedResources;
  ExpectNewMainIcon(icon);
  ExpectOnlyTheNewMainIcon(3);
}

TEST_F(IconUpdate, ATargetWithoutMainIconFailsAndStaysUnchanged) {
  MakeTargetWithoutMainIcon();

  const std::string failure = Failure(IconFile(test::MakeIcon({16})));
  std::smatch code;
  ASSERT_TRUE(std::regex_match(
      failure, code, std::regex(R"(Resource update error: FindResource failed \(1\)\((\d+)\))")))
      << failure;
  EXPECT_NE(std::stoul(code[1].str()), 0u) << "the system's error code";
  ExpectUnchanged();
}

TEST_F(IconUpdate, AnUnreadableIconFileRaisesTheFileErrorAndChangesNothing) {
  try {
    UpdateMainIcon(target_, Path("missing.ico"));
    ADD_FAILURE() << "a missing icon file was taken";
  } catch (const EFileError& e) {
    EXPECT_NE(e.ErrorCode, 0u);
    const std::string text = e.what();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_NE(text.back(), '\n');
  }
  ExpectUnchanged();
}

TEST_F(IconUpdate, ReplaceIconMakesAReadOnlyProgramFileWritableFirst) {
  ASSERT_TRUE(THi::SetReadOnlyTree(target_, true));
  const std::string icon = test::MakeIcon({16, 32});
  EXPECT_NO_THROW(THi::ReplaceIcon(target_, IconFile(icon)));
  ExpectNewMainIcon(icon);
  EXPECT_FALSE(THi::IsFileInUse(target_)) << "the target was left read-only";
}

TEST_F(IconUpdate, ReplaceIconOfAMissingProgramFileDoesNothing) {
  const std::string missing = Path(std::string("missing") + test::kExeSuffix);
  EXPECT_NO_THROW(THi::ReplaceIcon(missing, IconFile(test::MakeIcon({16}))));
  EXPECT_FALSE(THi::FileExists(missing));
}

}  // namespace
