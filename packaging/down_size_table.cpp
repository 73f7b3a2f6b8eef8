#include "packaging/down_size_table.h"

namespace {

struct TComponent {
  const char* checkBox;
  const char* caption;
  int group;
};

// By position, from 2. The screen shows the groups in order and, within a
// group, the components in position order.
constexpr TComponent kComponents[kDownSizeComponents] = {
    {"chkMySQL", "Delete MySQL", 1},
    {"chkSQLite", "Delete SQLite", 1},
    {"chkZend", "Delete Zend Optimizer", 2},
    {"chkIonCube", "Delete ionCube PHP Loader", 2},
    {"chkGd2", "Delete GD", 3},
    {"chkMbstring", "Delete Multibyte (php_mbstring.dll)", 3},
    {"chkImap", "Delete IMAP", 3},
    {"chkCurl", "Delete cURL", 3},
    {"chkMcrypt", "Delete mcrypt", 3},
    {"chkMhash", "Delete MHASH", 3},
    {"chkSockets", "Delete Sockets", 3},
    {"chkMime", "Delete mime_magic", 3},
    {"chkPHPMyAdmin", "Delete phpMyAdmin", 4},
    {"chkOpenSSL", "Delete OpenSSL", 3},
    {"chkXmlrpc", "Delete xmlrpc", 3},
    {"chkExif", "Delete EXIF", 3},
};

}  // namespace

TDownSizeRow DownSizeRow(int position, std::string marker, bool markerIsFolder,
                         std::vector<TDownSizeAction> actions) {
  const TComponent& c = kComponents[position - kDownSizeFirstPosition];
  return {position, c.checkBox, c.caption, c.group, std::move(marker), markerIsFolder, std::move(actions), {}};
}
