// The Linux folder tree: Debian's servers, PHP's shared extensions as
// bin/php/ext/<name>.so. Windows-only libraries (libmysql, libmcrypt,
// libmhash, magic.mime, the OpenSSL pair) have no row here: the system
// provides what they did. The mail program is the tree's own on both.
#include "packaging/down_size_table.h"

namespace {

using A = TDownSizeAction;

constexpr char kExtDir[] = "bin/php/ext";

A Folder(const char* path) { return {A::kDeleteFolder, path, ""}; }
A File(const char* path) { return {A::kDeleteFile, path, ""}; }
A Ext(const char* name) { return {A::kDeleteFile, std::string(kExtDir) + "/" + name, ""}; }
A Favorite(const char* section, const char* key) { return {A::kRemoveFavorite, section, key}; }

TDownSizeRow ExtRow(int position, const char* name, std::vector<A> actions) {
  return DownSizeRow(position, std::string(kExtDir) + "/" + name, false, std::move(actions));
}
TDownSizeRow ExtRow(int position, const char* name) { return ExtRow(position, name, {Ext(name)}); }

TDownSizeTable MakeTable() {
  TDownSizeTable t;
  t.rows = {
      DownSizeRow(2, "bin/mysql", true,
                  {Folder("data"), Folder("bin/mysql"), Ext("mysqli.so"), Ext("pdo_mysql.so"),
                   Favorite("DIRS", "MySQL data directory")}),
      ExtRow(3, "sqlite3.so", {Ext("sqlite3.so"), Ext("pdo_sqlite.so")}),
      DownSizeRow(4, "bin/php/Zend", true, {Folder("bin/php/Zend")}),
      DownSizeRow(5, "bin/php/ionCube", true, {Folder("bin/php/ionCube")}),
      ExtRow(6, "gd.so"),
      // EXIF goes with Multibyte, as it does on Windows.
      ExtRow(7, "mbstring.so", {Ext("mbstring.so"), Ext("exif.so")}),
      ExtRow(8, "imap.so", {Ext("imap.so"), File("bin/Apache/sendmail"), File("bin/Apache/sendmail.ini")}),
      ExtRow(9, "curl.so"),
      ExtRow(10, "mcrypt.so"),
      ExtRow(11, "mhash.so"),
      ExtRow(12, "sockets.so"),
      ExtRow(13, "mime_magic.so"),
      DownSizeRow(14, "www/phpmyadmin", true,
                  {Folder("www/phpmyadmin"), Folder("data/phpmyadmin"), Favorite("URLS", "phpMyAdmin")}),
      ExtRow(15, "openssl.so"),
      ExtRow(16, "xmlrpc.so"),
      ExtRow(17, "exif.so"),
  };
  // PDO's core goes only when no PDO driver is left: every driver (pdo_pgsql
  // too, which Down Size never removes) needs it loaded first, and PHP does
  // not start with a driver whose core is missing.
  t.cleanUps = {{{std::string(kExtDir) + "/pdo_*.so"}, {std::string(kExtDir) + "/pdo.so"}}};
  t.favoritesFile = "bin/Favorites.ini";
  t.phpIniTemplate = "bin/php/php.ini";
  t.extensionDir = kExtDir;
  t.extensionSuffix = ".so";
  t.libraryDir = "bin/lib";
  return t;
}

}  // namespace

const TDownSizeTable& DownSizeTable() {
  static const TDownSizeTable table = MakeTable();
  return table;
}
