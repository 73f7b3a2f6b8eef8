// The favorites menu from a Favorites.ini, and what its entries open.
#include "forms/favorites.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

using Kind = TFavoriteEntry::Kind;

class FavoritesTest : public test::TempFolderTest {
 protected:
  std::string Write(const std::string& text) {
    const std::string file = Path("Favorites.ini");
    test::WriteFile(file, text);
    return file;
  }
};

TEST_F(FavoritesTest, TheMenuListsFoldersThenAddressesInFileOrder) {
  const std::string file = Write(
      "[DIRS]\r\nProgram folder={APPDIR}\r\n  Data = data \r\n[URLS]\r\nStart=http://{LOCALHOST:PORT}/\r\n"
      "phpMyAdmin=http://{localhost:port}/phpmyadmin/?back={LocalHost:Port}\r\n");
  const std::vector<TFavoriteEntry> menu = FavoritesMenu(file);
  std::vector<std::string> captions;
  for (const TFavoriteEntry& entry : menu) captions.push_back(entry.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{"Organize Favorites...", "-", "Program folder", "Data",
                                                "-", "Start", "phpMyAdmin"}));
  EXPECT_EQ(menu[2].kind, Kind::kFolder);
  EXPECT_EQ(menu[6].kind, Kind::kUrl);

  // Placeholders in any letter case, every occurrence; blanks around captions and values do not count.
  EXPECT_EQ(FavoriteUrl(file, " phpMyAdmin ", 8080),
            "http://127.0.0.1:8080/phpmyadmin/?back=127.0.0.1:8080");
  EXPECT_EQ(FavoriteFolder(file, "Program folder"), THi::GetAppDir());
  EXPECT_EQ(FavoriteFolder(file, "Data"), "") << "no data folder beside the program here";
  EXPECT_EQ(FavoriteFolder(file, "Missing"), "") << "no entry is not the program folder";
}

TEST_F(FavoritesTest, AFileWithOnlyAddressesOrNoFileAtAll) {
  const std::string file = Write("[URLS]\r\nStart=http://{LOCALHOST:PORT}/\r\n");
  const std::vector<TFavoriteEntry> menu = FavoritesMenu(file);
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[1].kind, Kind::kSeparator);
  EXPECT_EQ(menu[2].kind, Kind::kSeparator) << "two separators side by side";

  EXPECT_EQ(FavoritesMenu("").size(), 1u);
  EXPECT_EQ(FavoriteUrl("", "Start", 80), "");
  EXPECT_EQ(FavoriteUrl(Path("gone.ini"), "Start", 80), "");
}

}  // namespace
