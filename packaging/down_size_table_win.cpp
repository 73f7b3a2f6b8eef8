// The Windows folder tree: the libraries beside Apache and the php_*.dll
// extensions, under the names of either generation of PHP; a row removes
// whatever of them is there.
#include "packaging/down_size_table.h"

namespace {

using A = TDownSizeAction;

A Folder(const char* path) { return {A::kDeleteFolder, path, ""}; }
A File(const char* path) { return {A::kDeleteFile, path, ""}; }
A Ext(const char* name) { return {A::kDeleteFile, std::string("bin\\php\\ext\\") + name, ""}; }
A Favorite(const char* section, const char* key) { return {A::kRemoveFavorite, section, key}; }

TDownSizeRow ExtRow(int position, const char* name, std::vector<A> more = {}) {
  std::vector<A> actions = std::move(more);
  actions.insert(actions.end(), Ext(name));
  return DownSizeRow(position, std::string("bin\\php\\ext\\") + name, false, std::move(actions));
}

// A row that PHP 8 offers under another name as well.
TDownSizeRow WithNewer(TDownSizeRow row, const char* marker, std::vector<A> more) {
  row.actions.insert(row.actions.end(), more.begin(), more.end());
  row.newerMarker = marker;
  return row;
}

TDownSizeTable MakeTable() {
  TDownSizeTable t;
  t.rows = {
      DownSizeRow(2, "bin\\mysql", true,
                  {Folder("data"), Folder("bin\\mysql"), File("bin\\Apache\\libmysql.dll"),
                   Ext("php_mysql.dll"), Ext("php_mysqli.dll"), Ext("php_pdo_mysql.dll"),
                   Favorite("DIRS", "MySQL data directory")}),
      WithNewer(DownSizeRow(3, "bin\\Apache\\sqlite3.dll", false,
                            {File("bin\\Apache\\sqlite3.dll"), Ext("php_pdo_sqlite_external.dll"),
                             Ext("php_sqlite.dll")}),
                "bin\\php\\ext\\php_sqlite3.dll",
                {Ext("php_sqlite3.dll"), Ext("php_pdo_sqlite.dll"), File("bin\\php\\libsqlite3.dll")}),
      DownSizeRow(4, "bin\\php\\Zend", true, {Folder("bin\\php\\Zend")}),
      DownSizeRow(5, "bin\\php\\ionCube", true, {Folder("bin\\php\\ionCube")}),
      WithNewer(ExtRow(6, "php_gd2.dll"), "bin\\php\\ext\\php_gd.dll", {Ext("php_gd.dll")}),
      DownSizeRow(7, "bin\\php\\ext\\php_mbstring.dll", false,
                  {Ext("php_mbstring.dll"), Ext("php_exif.dll")}),
      ExtRow(8, "php_imap.dll", {File("bin\\Apache\\sendmail.exe"), File("bin\\Apache\\sendmail.ini")}),
      ExtRow(9, "php_curl.dll"),
      ExtRow(10, "php_mcrypt.dll", {File("bin\\Apache\\libmcrypt.dll")}),
      ExtRow(11, "php_mhash.dll", {File("bin\\Apache\\libmhash.dll")}),
      ExtRow(12, "php_sockets.dll"),
      DownSizeRow(13, "bin\\php\\ext\\php_mime_magic.dll", false,
                  {Ext("php_mime_magic.dll"), Ext("magic.mime")}),
      DownSizeRow(14, "www\\phpmyadmin", true,
                  {Folder("www\\phpmyadmin"), Folder("data\\phpmyadmin"), Favorite("URLS", "phpMyAdmin")}),
      ExtRow(15, "php_openssl.dll"),
      ExtRow(16, "php_xmlrpc.dll"),
      ExtRow(17, "php_exif.dll"),
  };
  t.cleanUps = {
      {{"bin\\php\\ext\\php_curl.dll", "bin\\php\\ext\\php_imap.dll", "bin\\php\\ext\\php_openssl.dll"},
       {"bin\\Apache\\libeay32.dll", "bin\\Apache\\ssleay32.dll"}},
      {{"bin\\php\\ext\\php_pdo_mysql.dll", "bin\\php\\ext\\php_pdo_sqlite_external.dll"},
       {"bin\\php\\ext\\php_pdo.dll"}},
  };
  t.favoritesFile = "bin\\Favorites.ini";
  // PHP 8 names its extensions bare ("extension=gd" loads php_gd.dll); a
  // line whose file is gone makes PHP complain at every start.
  t.phpIniTemplate = "bin\\php\\php.ini";
  t.extensionDir = "bin\\php\\ext";
  t.extensionPrefix = "php_";
  t.extensionSuffix = ".dll";
  return t;
}

}  // namespace

const TDownSizeTable& DownSizeTable() {
  static const TDownSizeTable table = MakeTable();
  return table;
}
