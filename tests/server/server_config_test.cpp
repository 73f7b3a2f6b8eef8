// The server configurations written for the place the stack finds itself in.
#include <gtest/gtest.h>

#include <memory>

#include "launcher/main_run.h"
#include "server/config_quoting.h"
#include "server/server_config.h"
#include "server/server_files.h"
#include "server/server_set.h"
#include "support/test_support.h"
#include "util/hi_error.h"
#include "util/ini_file.h"
#include "util/platform.h"

namespace {

using test::kSep;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// A run whose configuration sits in a temporary folder. The work folder is
// made private to the test (through the temporary folder's variables), since
// tests running side by side would otherwise share this program's one.
class ServerConfigTest : public test::TempFolderTest {
 protected:
  void SetUp() override {
    for (const char* name : {"TMPDIR", "TMP", "TEMP"})
      env_.push_back(std::make_unique<test::ScopedEnv>(name, temp_.path()));
    env_.push_back(std::make_unique<test::ScopedEnv>("XDG_RUNTIME_DIR", std::nullopt));
    ASSERT_FALSE(THi::GetWorkDir().empty());
    form_.FConfigIni = Path("Config.ini");
    test::WriteFile(form_.FConfigIni, "[INI]\r\nip=127.0.0.1\r\nport=80\r\ncopyfilestoharddisk=1");
    form_.FHttpPort = 81;
    form_.FMySqlPort = 3307;
  }
  void TearDown() override {
    THi::DeleteFolder(THi::GetWorkDir());
    env_.clear();
  }

  std::vector<std::string> HttpdLines() { return HttpdLines(form_); }
  static std::vector<std::string> HttpdLines(TMainRun& run) {
    const std::string text = test::ReadFile(run.WriteHttpdConf());
    std::vector<std::string> lines;
    const std::string eol = platform::kEol;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find(eol, start);
      EXPECT_NE(end, std::string::npos) << "every line ends with the platform's line end";
      if (end == std::string::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + eol.size();
    }
    return lines;
  }

  // The eleven lines both platforms share, from the PidFile line on (empty
  // ones when the file is shorter, so that the comparisons fail rather than crash).
  std::vector<std::string> SharedLines() {
    std::vector<std::string> lines = HttpdLines();
    const auto first = std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& line) { return line.rfind("PidFile ", 0) == 0; });
    std::vector<std::string> shared(first, lines.end());
    EXPECT_GE(shared.size(), 11u);
    shared.resize(11);
    return shared;
  }
  // The lines after them: the rules for the stack's own requests.
  std::vector<std::string> LocalRequestLines() {
    std::vector<std::string> lines = HttpdLines();
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("LoadModule rewrite_module ", 0) == 0;
    });
    return {first == lines.end() ? first : first + 1, lines.end()};
  }

  std::vector<std::unique_ptr<test::ScopedEnv>> env_;
  TMainRun form_;
};

TEST_F(ServerConfigTest, HttpdConfListensWhereTheConfigurationSays) {
  form_.FBinDir = Path("bin");
  const std::string work = THi::GetWorkDir();
  const std::vector<std::string> lines = SharedLines();
  EXPECT_EQ(lines[0], "PidFile \"" + work + kSep + "httpd.pid\"");
  EXPECT_EQ(lines[1], "ErrorLog \"" + work + kSep + "error.log\"");
  EXPECT_EQ(lines[2], "Listen 127.0.0.1:81");  // the port in use, not the configured one
  EXPECT_EQ(lines[3], "ServerName 127.0.0.1");
  // Not from a CD: the site is served in place whatever copyfilestoharddisk says.
  EXPECT_EQ(lines[4], "DocumentRoot \"" + THi::GetAppPath() + "www\"");
  EXPECT_EQ(lines[5], "DirectoryIndex index.php index.html index.htm index.php5 index.php4 "
                      "index.php3 defult.htm default.html");
  EXPECT_EQ(lines[6], "TypesConfig mime.types");
  EXPECT_EQ(lines[7], "UseCanonicalName Off");
  EXPECT_EQ(lines[9], "AddType application/x-httpd-php .php");
  EXPECT_EQ(lines[10], "LoadModule rewrite_module mod_rewrite.so");
  EXPECT_FALSE(THi::DirectoryExists(work + kSep + "www"));
}

TEST_F(ServerConfigTest, AnyIpButExactlyLoopbackListensOnAllInterfaces) {
  form_.FBinDir = Path("bin");
  for (const std::string ip : {"all", "0.0.0.0", "", "127.0.0.1 "}) {
    form_.WriteConfig("ip", "\"" + ip + "\"");
    const std::vector<std::string> lines = SharedLines();
    EXPECT_EQ(lines[2], "Listen 0.0.0.0:81") << "ip=\"" << ip << "\"";
    EXPECT_EQ(lines[3], "ServerName 127.0.0.1");
  }
}

// A folder name may hold blanks, double quotes, backslashes and dollar
// signs: each server reads the value back as it stands. An ordinary Windows
// path is written as it stands too, since none of its backslashes escapes
// (my.ini names folders with forward slashes).
TEST(ConfigQuoting, EachServerReadsTheValueBackAsWritten) {
  using namespace server_config;
  for (const auto quoted : {ApacheQuoted, PhpIniQuoted})
    EXPECT_EQ(quoted(R"(C:\Program Files\S\bin\php\ext)"), R"("C:\Program Files\S\bin\php\ext")");
  EXPECT_EQ(MySqlQuoted("C:/Program Files/S/bin/mysql"), "\"C:/Program Files/S/bin/mysql\"");
  for (const auto quoted : {ApacheQuoted, PhpIniQuoted, MySqlQuoted}) {
    EXPECT_EQ(quoted(R"(/my "t" stack/x)"), R"("/my \"t\" stack/x")");
    EXPECT_EQ(quoted(R"(C:\dir\)"), R"("C:\dir\\")") << "the closing quote stays a closing quote";
  }
  // Apache: \" and \\ are escapes; PHP also \$, and "${" names a variable;
  // MariaDB also \n \t \r \b \s \'.
  EXPECT_EQ(ApacheQuoted(R"(\\server\share\n)"), R"("\\\server\share\n")");
  EXPECT_EQ(PhpIniQuoted(R"(C:\x\$Output$\${HOME}\"q)"), R"("C:\x\\$Output$\\\${HOME}\\\"q")");
  EXPECT_EQ(MySqlQuoted(R"(/a\new\x\'s\bin)"), R"("/a\\new\x\\'s\\bin")");
}

// What each server would otherwise read as something else: Apache's "${",
// a line break in my.ini, the characters of a pattern, the shell's quote.
TEST(ConfigQuoting, NoFolderNameBecomesAVariableAPatternOrAnotherLine) {
  using namespace server_config;
  EXPECT_EQ(ApacheQuoted("/t/site${HOME}x$"), "\"/t/site${LODESTACK_DOLLAR}{HOME}x$\"");
  EXPECT_EQ(ApacheQuoted("${${"), "\"${LODESTACK_DOLLAR}{${LODESTACK_DOLLAR}{\"");
  EXPECT_EQ(ApacheRegexLiteral("/t/stack [copy]/a*b?c.d(e)|f^g+h{i}\\j"),
            "/t/stack \\[copy\\]/a\\*b\\?c\\.d\\(e\\)\\|f\\^g\\+h\\{i\\}\\\\j");
  EXPECT_EQ(ApacheRegexLiteral("o'brien/50% off/a;b #c"), "o'brien/50% off/a;b #c");
  EXPECT_EQ(MySqlQuoted("/a\nb\rc;d #e"), "\"/a\\nb\\rc;d #e\"");
  EXPECT_EQ(PhpIniQuoted("/a\nb"), "\"/a\nb\"") << "PHP takes a line break inside quotes as it is";
  EXPECT_EQ(ShellQuoted("/t/o'brien/$x `y`/sendmail"), "'/t/o'\\''brien/$x `y`/sendmail'");
}

TEST_F(ServerConfigTest, ASecondGenerationReplacesTheWholeFile) {
  form_.FBinDir = Path("bin");
  const std::string file = form_.WriteHttpdConf();
  test::WriteFile(file, std::string(10000, 'x'));
  form_.FHttpPort = 8080;
  const std::string text = test::ReadFile(form_.WriteHttpdConf());
  EXPECT_EQ(text.find('x' + std::string(20, 'x')), std::string::npos);
  EXPECT_NE(text.find("Listen 127.0.0.1:8080"), std::string::npos);
}

TEST_F(ServerConfigTest, MyIniNamesFoldersWithForwardSlashesInQuotes) {
  form_.FBinDir = Path("bin");
  const std::string myIni = form_.WriteMyIni();
  std::string bin = form_.FBinDir;
  std::replace(bin.begin(), bin.end(), '\\', '/');
  std::string data = THi::GetAppPath() + "data";
  std::replace(data.begin(), data.end(), '\\', '/');
  const std::string text = test::ReadFile(myIni);
  EXPECT_NE(text.find("basedir=\"" + bin + "/mysql\""), std::string::npos) << text;
  EXPECT_NE(text.find("datadir=\"" + data + "\""), std::string::npos) << text;
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "bind-address"), "127.0.0.1");
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "port"), "3307");
  // Beside it, the option file the stack's client and dump read: this server, as root.
  const std::string client = THi::GetWorkDir() + kSep + "client.cnf";
  EXPECT_EQ(THi::ReadIniValue(client, "client", "user"), "root");
  EXPECT_EQ(THi::ReadIniValue(client, "client", "port"), "3307");
}

TEST_F(ServerConfigTest, PhpIniTakesTheTemplateAndSetsItsKeys) {
  form_.FBinDir = Path("bin");
  const std::string php = form_.FBinDir + kSep + "php";
  std::filesystem::create_directories(test::U8Path(php));
  test::WriteFile(php + kSep + "php.ini",
                  "[PHP]\nExtension_Dir = \"old\"\n;extension_dir = \"commented\"\nshort_open_tag=Off\n");
  form_.FMySqlPort = 0;  // no database server
  const std::string file = form_.WritePhpIni();
  const std::string text = test::ReadFile(file);

  EXPECT_EQ(THi::ReadIniValue(file, "PHP", "extension_dir"), php + kSep + "ext");
  EXPECT_NE(text.find("extension_dir=\"" + php + kSep + "ext\""), std::string::npos);
  EXPECT_EQ(text.find("\"old\""), std::string::npos);
  EXPECT_NE(text.find(";extension_dir = \"commented\""), std::string::npos);
  EXPECT_NE(text.find("short_open_tag=Off"), std::string::npos);
  EXPECT_EQ(THi::ReadIniValue(file, "MySQL", "mysql.default_port"), "0");
  EXPECT_NE(text.find("mysql.default_port=0"), std::string::npos);
  // The loaders' keys share a name in two sections, and both stay.
  EXPECT_EQ(THi::ReadIniValue(file, "Zend", "zend_extension_ts"),
            php + kSep + server_files::kZendManager);
  EXPECT_EQ(THi::ReadIniValue(file, "ionCube", "zend_extension_ts"),
            php + kSep + server_files::kIonCubeLoader);
  std::size_t count = 0;
  for (std::size_t at = text.find("zend_extension_ts="); at != std::string::npos;
       at = text.find("zend_extension_ts=", at + 1))
    ++count;
  EXPECT_EQ(count, 2u);
  // Without the tree's mail program the command still names it, so mail()
  // fails instead of reaching a mail server of this machine; the pages
  // still find the kept messages.
  const std::string sendmail = THi::ExpandPath(form_.FBinDir + kSep + server_files::kSendmail);
  EXPECT_EQ(THi::ReadIniValue(file, "mail function", "sendmail_path"),
            server_files::MailCommand(sendmail, THi::GetShortPath(server_config::MailboxFolder())));
  EXPECT_EQ(THi::ReadIniValue(file, "Lodestack", server_config::kMailboxSetting), server_config::MailboxFolder());
}

TEST_F(ServerConfigTest, PhpIniNamesTheMailProgramWhenThereIsOne) {
  form_.FBinDir = Path("bin");
  std::filesystem::create_directories(test::U8Path(form_.FBinDir + kSep + "Apache"));
  const std::string sendmail = form_.FBinDir + kSep + "Apache" + kSep + "sendmail" + test::kExeSuffix;
  test::WriteFile(sendmail, "mail");
  const std::string file = form_.WritePhpIni();
  EXPECT_EQ(THi::ReadIniValue(file, "mail function", "sendmail_path"),
            server_files::MailCommand(THi::GetShortPath(sendmail), THi::GetShortPath(server_config::MailboxFolder())));
  // The pages find the rule for the stack's own requests beside the programs.
  EXPECT_EQ(THi::ReadIniValue(file, "Lodestack", server_config::kMailboxSetting), server_config::MailboxFolder());
  EXPECT_EQ(THi::ReadIniValue(file, "Lodestack", server_config::kPagesSetting),
            form_.FBinDir + kSep + "pages");
}

// The generated INI files, all keys written at once and written key by key
// to the file, from the same template, the same earlier files and the same
// run: byte for byte the same, whatever line ends, letter cases, blank
// lines, comments and missing sections the template has.
TEST_F(ServerConfigTest, OnePassWritesWhatKeyByKeyWrote) {
  form_.FBinDir = Path("bin");
  const std::string php = form_.FBinDir + kSep + "php";
  std::filesystem::create_directories(test::U8Path(php));
  std::filesystem::create_directories(test::U8Path(form_.FBinDir + kSep + "Apache"));
  test::WriteFile(form_.FBinDir + kSep + "Apache" + kSep + "sendmail" + test::kExeSuffix, "mail");
  const std::string work = THi::GetWorkDir() + kSep;
  const auto generate = [&](bool eachKey) {
    test::WriteFile(work + "my.ini", "[client]\r\nport=1\r\n[MYSQLD]\r\n\tPort = 3306\r\n\r\nskip-name-resolve");
    test::WriteFile(work + "Brand.ini", "; kept\n[ini]\nTitle=\"Old\"\n");
    TIniFile::WriteEachKeyToTheFile(eachKey);
    const std::string text = test::ReadFile(form_.WritePhpIni()) + '\0' + test::ReadFile(form_.WriteMyIni()) +
                             '\0' + test::ReadFile(form_.WriteDefaultBrandIni());
    TIniFile::WriteEachKeyToTheFile(false);
    return text;
  };
  for (const char* tmpl : {
           "; the template\r\n[PHP]\r\nEXTENSION_DIR = \"./\"\r\n;extension_dir = \"x\"\r\n"
           "short_open_tag = Off\r\n\r\n\r\n[MySQL]\r\nmysql.default_port =\r\n[mail function]\r\n"
           ";sendmail_path =\r\n[curl]\r\ncurl.cainfo = \"cacert.pem\"\r\n[ Lodestack ]\r\n"
           "[MySQLi]\r\nMySQLi.Default_Port = 3306",
           "[PHP]\n\textension_dir=old\n[php]\nmime_magic.magicfile=x\n[openssl]\nopenssl.cafile=ca.pem\n\n"
           "[Zend]\n; nothing yet\n\n",
           "",
       }) {
    test::WriteFile(php + kSep + "php.ini", tmpl);
    const std::string keyByKey = generate(true);
    EXPECT_EQ(generate(false), keyByKey) << "template: " << tmpl;
    EXPECT_NE(keyByKey.find("mysql.default_port=3307"), std::string::npos) << keyByKey;
  }
  // A value with a line break reads back the same both ways: as the lines
  // the file would hold.
  ini::Document document("[a]\nk=1\n");
  document.Write("a", "k", "2\n[b]\nm=3");
  document.Write("b", "m", "4");
  EXPECT_EQ(document.Text(), ini::WriteValue(ini::WriteValue("[a]\nk=1\n", "a", "k", "2\n[b]\nm=3", "\n"), "b", "m", "4", "\n"));
  EXPECT_EQ(document.Text(), "[a]\nk=2\n[b]\nm=4\n");
}

// The stack's own requests: phpMyAdmin's folder and the stack's pages, as
// patterns that match the folder even where its name holds "[", answer only
// them; on loopback only, nothing else is served at all.
TEST_F(ServerConfigTest, OnlyTheStacksOwnRequestsReachItsToolsAndOnLoopbackAnything) {
  form_.FBinDir = Path("bin [x]");
  const std::string shared = Joined(LocalRequestLines());
  const auto pattern = [](std::string folder) {
    std::replace(folder.begin(), folder.end(), kSep, '/');
    return "<DirectoryMatch \"^" + server_config::ApacheRegexLiteral(folder) + "(/|$)\">";
  };
  EXPECT_NE(shared.find("SetEnvIfNoCase Host \"^(127\\.0\\.0\\.1|localhost|\\[::1\\])(:81)?$\""),
            std::string::npos) << shared;
  EXPECT_NE(shared.find(pattern(THi::GetAppPath() + "www" + kSep + "phpmyadmin")), std::string::npos) << shared;
  EXPECT_NE(shared.find(pattern(form_.FBinDir + kSep + "pages")), std::string::npos) << shared;
  EXPECT_NE(shared.find("Alias /lodestack \"" + form_.FBinDir + kSep + "pages\"\n"), std::string::npos);
  EXPECT_NE(shared.find("LODESTACK_HTTP_PORT=81"), std::string::npos);
  const std::string refusal = "answers only to its own names";
  EXPECT_NE(shared.find(refusal), std::string::npos) << "served on loopback only";
  form_.WriteConfig("ip", "all");
  EXPECT_EQ(Joined(LocalRequestLines()).find(refusal), std::string::npos) << "shared";
}

TEST_F(ServerConfigTest, AFolderNameNoServerCanReadBackIsRefusedByName) {
  try {
    server_config::RefuseUnwritableFolders({Path("fine"), Path("two\nlines")});
    ADD_FAILURE() << "a line break was written";
  } catch (const EHiError& e) {
    EXPECT_NE(std::string(e.what()).find("\"" + Path("two\nlines") + "\": its name holds a line break"),
              std::string::npos) << e.what();
  }
  EXPECT_NO_THROW(server_config::RefuseUnwritableFolders({Path("o'brien 50% a;b #c [copy]")}));
  form_.FBinDir = Path("bin\r");
  EXPECT_THROW(form_.WriteHttpdConf(), EHiError);
}

#if defined(_WIN32)
// A bin folder laid out as today's Windows zips unpack, with `files` in it.
void TodaysTree(const std::string& bin, std::initializer_list<const char*> files) {
  for (const char* file : files) {
    const std::string path = bin + "\\" + file;
    std::filesystem::create_directories(test::U8Path(path).parent_path());
    test::WriteFile(path, "x");
  }
}

// Each server's generation comes from its own files: the older names first,
// MariaDB by its mariadbd.exe; a pair that cannot work is refused, naming both.
TEST_F(ServerConfigTest, WindowsServersAreFoundByTheirFiles) {
  const std::string bin = Path("bin");
  TServerSet found = server_set::Find(bin);
  EXPECT_EQ(found.web, TServerGeneration::kClassic) << "nothing there: the older names";
  EXPECT_EQ(found.webServer, "Apache\\Apache.exe");

  TodaysTree(bin, {"Apache\\httpd.exe", "php\\php8apache2_4.dll", "mysql\\bin\\mysqld.exe"});
  found = server_set::Find(bin);
  EXPECT_EQ(found.web, TServerGeneration::kCurrent);
  EXPECT_EQ(found.webServer, "Apache\\httpd.exe");
  EXPECT_EQ(found.php, TServerGeneration::kCurrent);
  EXPECT_EQ(found.database, TServerGeneration::kClassic) << "a mysqld.exe alone is the older server";
  EXPECT_EQ(found.databaseServer, "mysql\\bin\\mysqld.exe");

  TodaysTree(bin, {"Apache\\bin\\httpd.exe", "mysql\\bin\\mariadbd.exe"});
  found = server_set::Find(bin);
  EXPECT_EQ(found.webServer, "Apache\\bin\\httpd.exe");
  EXPECT_EQ(found.database, TServerGeneration::kCurrent);
  EXPECT_EQ(found.databaseServer, "mysql\\bin\\mariadbd.exe");

  TodaysTree(bin, {"Apache\\Apache.exe"});
  try {
    server_set::Find(bin);
    ADD_FAILURE() << "the older web server was given PHP 8's module";
  } catch (const EHiError& e) {
    EXPECT_NE(std::string(e.what()).find(bin + "\\Apache\\Apache.exe"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(bin + "\\php\\php8apache2_4.dll"), std::string::npos) << e.what();
  }
  // Both modules there: each web server takes its own.
  TodaysTree(bin, {"php\\php5apache.dll"});
  EXPECT_EQ(server_set::Find(bin).php, TServerGeneration::kClassic);
  std::filesystem::remove(test::U8Path(bin + "\\Apache\\Apache.exe"));
  EXPECT_EQ(server_set::Find(bin).php, TServerGeneration::kCurrent);
  std::filesystem::remove(test::U8Path(bin + "\\php\\php8apache2_4.dll"));
  EXPECT_THROW(server_set::Find(bin), EHiError) << "Apache 2.4 with only the older module";
}

// Apache 2.4, PHP 8 and MariaDB get the Linux build's rules with Windows
// names: every line of httpd.conf, and the keys of php.ini and my.ini.
TEST_F(ServerConfigTest, WindowsTodaysServersGetTheirOwnConfiguration) {
  form_.FBinDir = Path("bin");
  TodaysTree(form_.FBinDir, {"Apache\\bin\\httpd.exe", "php\\php8apache2_4.dll", "mysql\\bin\\mariadbd.exe",
                             "mysql\\bin\\mysqld.exe", "php\\ionCube\\ioncube_loader_win_8.2.dll"});
  test::WriteFile(form_.FBinDir + "\\php\\php.ini", "[PHP]\r\n");
  form_.FServers = server_set::Find(form_.FBinDir);
  const std::string work = THi::GetWorkDir();
  const auto quoted = [](const std::string& text) { return server_config::ApacheQuoted(text); };
  std::string www = THi::GetAppPath() + "www";
  const std::string local = "<RequireAll>|Require env LODESTACK_LOCAL_CLIENT|"
                            "Require not env LODESTACK_OTHER_NAME|</RequireAll>|";
  std::string expected =
      "Define LODESTACK_DOLLAR $|ServerRoot " + quoted(form_.FBinDir + "\\Apache") +
      "|DefaultRuntimeDir " + quoted(work) +
      "|LoadModule authz_core_module modules/mod_authz_core.so|LoadModule mime_module modules/mod_mime.so"
      "|LoadModule dir_module modules/mod_dir.so|LoadModule setenvif_module modules/mod_setenvif.so"
      "|LoadModule alias_module modules/mod_alias.so"
      "|PidFile " + quoted(work + "\\httpd.pid") + "|ErrorLog " + quoted(work + "\\error.log") +
      "|Listen 127.0.0.1:81|ServerName 127.0.0.1|DocumentRoot " + quoted(www) +
      "|DirectoryIndex index.php index.html index.htm index.php5 index.php4 index.php3 defult.htm default.html"
      "|TypesConfig conf/mime.types|UseCanonicalName Off"
      "|LoadModule php_module " + quoted(form_.FBinDir + "\\php\\php8apache2_4.dll") +
      "|AddType application/x-httpd-php .php|LoadModule rewrite_module modules/mod_rewrite.so"
      "|SetEnvIf Remote_Addr \"^(127\\.|::1$|::ffff:127\\.)\" LODESTACK_LOCAL_CLIENT=1"
      "|SetEnvIf Remote_Addr ^ LODESTACK_OTHER_NAME=1"
      "|SetEnvIfNoCase Host \"^(127\\.0\\.0\\.1|localhost|\\[::1\\])(:81)?$\" !LODESTACK_OTHER_NAME"
      "|SetEnvIf Remote_Addr ^ LODESTACK_HTTP_PORT=81|Alias /lodestack " + quoted(form_.FBinDir + "\\pages") + "|";
  std::replace(www.begin(), www.end(), '\\', '/');
  std::string pages = form_.FBinDir + "\\pages";
  std::replace(pages.begin(), pages.end(), '\\', '/');
  expected += "<DirectoryMatch \"^" + server_config::ApacheRegexLiteral(www) + "/phpmyadmin(/|$)\">|" + local +
              "ErrorDocument 403 \"phpMyAdmin answers only on the computer that runs the stack: "
              "the database and its tools are not shared on the network.\"|</DirectoryMatch>|"
              "<DirectoryMatch \"^" + server_config::ApacheRegexLiteral(pages) + "(/|$)\">|" + local +
              "ErrorDocument 403 \"The stack's own pages answer only on the computer that runs the stack, "
              "opened as 127.0.0.1, localhost or [::1].\"|</DirectoryMatch>|"
              "RewriteEngine On|RewriteCond %{ENV:LODESTACK_OTHER_NAME} =1|RewriteRule ^ - [R=421,L]|"
              "ErrorDocument 421 \"This stack answers only to its own names: 127.0.0.1, localhost and [::1].\"|";
  std::string written;
  for (const std::string& line : HttpdLines()) written += line + "|";
  EXPECT_EQ(written, expected);

  const std::string phpIni = form_.WritePhpIni();
  EXPECT_EQ(THi::ReadIniValue(phpIni, "MySQLi", "mysqli.default_port"), "3307");
  EXPECT_EQ(THi::ReadIniValue(phpIni, "MySQL", "mysql.default_port"), "3307");
  EXPECT_EQ(THi::ReadIniValue(phpIni, "ionCube", "zend_extension"),
            form_.FBinDir + "\\php\\ionCube\\ioncube_loader_win_8.2.dll");
  // One loader for each PHP version: no telling which one fits.
  TodaysTree(form_.FBinDir, {"php\\ionCube\\ioncube_loader_win_8.3.dll"});
  EXPECT_EQ(test::ReadFile(form_.WritePhpIni()).find("zend_extension="), std::string::npos);

  const std::string myIni = form_.WriteMyIni();
  std::string pidFile = work + "\\mysqld.pid";
  std::replace(pidFile.begin(), pidFile.end(), '\\', '/');
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "pid-file"), pidFile);
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "default-storage-engine"), "Aria");
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "character-set-server"), "utf8mb4");
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "bind-address"), "127.0.0.1");
}

TEST_F(ServerConfigTest, WindowsTextsAreExactlyTheElevenLines) {
  form_.FBinDir = "C:\\S\\bin";
  std::vector<std::string> lines = HttpdLines();
  ASSERT_EQ(lines.size(), 11u + LocalRequestLines().size()) << "the eleven lines come first";
  EXPECT_EQ(lines[8], "LoadModule php5_module \"C:\\S\\bin\\php\\php5apache.dll\"");
  // After them, this server's own directives for the stack's own requests.
  std::string www = THi::GetAppPath() + "www";
  std::replace(www.begin(), www.end(), '\\', '/');
  EXPECT_EQ(LocalRequestLines(),
            (std::vector<std::string>{
                "SetEnvIf Remote_Addr \"^(127\\.|::1$|::ffff:127\\.)\" LODESTACK_LOCAL_CLIENT=1",
                "SetEnvIf Remote_Addr ^ LODESTACK_OTHER_NAME=1",
                "SetEnvIfNoCase Host \"^(127\\.0\\.0\\.1|localhost|\\[::1\\])(:81)?$\" !LODESTACK_OTHER_NAME",
                "SetEnvIf Remote_Addr ^ LODESTACK_HTTP_PORT=81",
                "Alias /lodestack \"C:\\S\\bin\\pages\"",
                "<DirectoryMatch \"^" + server_config::ApacheRegexLiteral(www) + "/phpmyadmin(/|$)\">",
                "Order Allow,Deny", "Allow from env=LODESTACK_LOCAL_CLIENT", "Deny from env=LODESTACK_OTHER_NAME",
                "ErrorDocument 403 \"phpMyAdmin answers only on the computer that runs the stack: "
                "the database and its tools are not shared on the network.\"",
                "</DirectoryMatch>",
                "<DirectoryMatch \"^C:/S/bin/pages(/|$)\">",
                "Order Allow,Deny", "Allow from env=LODESTACK_LOCAL_CLIENT", "Deny from env=LODESTACK_OTHER_NAME",
                "ErrorDocument 403 \"The stack's own pages answer only on the computer that runs the stack, "
                "opened as 127.0.0.1, localhost or [::1].\"",
                "</DirectoryMatch>",
                "<Location />",
                "Order Allow,Deny", "Allow from env=LODESTACK_LOCAL_CLIENT", "Deny from env=LODESTACK_OTHER_NAME",
                "ErrorDocument 403 \"This stack answers only to its own names: 127.0.0.1, localhost and [::1].\"",
                "</Location>"}));
  // This server expands "${" from the environment, with no way around it.
  EXPECT_THROW(server_config::RefuseUnwritableFolders({"C:\\site${HOME}x"}), EHiError);
  const std::string myIni = test::ReadFile(form_.WriteMyIni());
  EXPECT_NE(myIni.find("basedir=\"C:/S/bin/mysql\"\r\n"), std::string::npos) << myIni;
  EXPECT_EQ(myIni.find("default-storage-engine"), std::string::npos) << "the older server has no such key";
  EXPECT_EQ(test::ReadFile(form_.WritePhpIni()).find("mysqli."), std::string::npos);
  EXPECT_EQ(server_files::ApacheParams("C:\\w\\httpd.conf"), "-f \"C:\\w\\httpd.conf\"");
}
#else
TEST_F(ServerConfigTest, LinuxApacheGetsItsServerRootAndModulesFirst) {
  form_.FBinDir = "/S/bin";
  const std::vector<std::string> lines = HttpdLines();
  ASSERT_GE(lines.size(), 17u);
  // "${" in a quoted argument names this literal dollar, defined before any path.
  EXPECT_EQ(lines[0], "Define LODESTACK_DOLLAR $");
  EXPECT_EQ(lines[1], "ServerRoot \"/S/bin/Apache\"");
  EXPECT_EQ(lines[2], "DefaultRuntimeDir \"" + THi::GetWorkDir() + "\"");
  EXPECT_EQ(lines[3], "LoadModule mpm_prefork_module mod_mpm_prefork.so");
  EXPECT_EQ(SharedLines()[8], "LoadModule php_module \"/S/bin/php/libphp.so\"");
  // Apache refuses to serve as root: it is told whom to serve as, and only then.
  const auto hasUser = [](const std::vector<std::string>& written) {
    return std::find_if(written.begin(), written.end(), [](const std::string& line) {
             return line.rfind("User ", 0) == 0;
           }) != written.end();
  };
  EXPECT_EQ(hasUser(lines), test::RunningAsRoot());
  if (test::RunningAsRoot()) {
    test::fs::permissions(test::U8Path(temp_.path()), test::fs::perms::all | test::fs::perms::sticky_bit);
    EXPECT_EQ(test::RunUnprivileged([&] {
                TMainRun run;
                run.FBinDir = form_.FBinDir;
                run.FConfigIni = form_.FConfigIni;
                run.FHttpPort = 81;
                const std::vector<std::string> own = HttpdLines(run);
                THi::DeleteFolder(THi::GetWorkDir());
                return hasUser(own) ? "an ordinary user's configuration names a user" : "";
              }),
              "");
  }
  const std::string myIni = form_.WriteMyIni();
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "basedir"), "/S/bin/mysql");
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "default-storage-engine"), "Aria");
  EXPECT_EQ(THi::ReadIniValue(myIni, "mysqld", "socket"), THi::GetWorkDir() + "/mysql.sock");
  EXPECT_EQ(THi::ReadIniValue(THi::GetWorkDir() + "/client.cnf", "client", "socket"),
            THi::GetWorkDir() + "/mysql.sock");
}

// The tree's certificate bundle, named in the template without a folder,
// becomes a full path (PHP takes no other); a path of the user's own stays.
TEST_F(ServerConfigTest, LinuxPhpFindsTheTreesCertificateBundle) {
  form_.FBinDir = Path("bin");
  const std::string php = form_.FBinDir + "/php";
  std::filesystem::create_directories(test::U8Path(php));
  test::WriteFile(php + "/php.ini",
                  "[PHP]\n[curl]\n;curl.cainfo =\ncurl.cainfo = \"cacert.pem\"\n"
                  "[openssl]\nopenssl.cafile=/etc/my/ca.pem\n");
  const std::string file = form_.WritePhpIni();
  EXPECT_EQ(THi::ReadIniValue(file, "curl", "curl.cainfo"), php + "/cacert.pem");
  EXPECT_EQ(THi::ReadIniValue(file, "openssl", "openssl.cafile"), "/etc/my/ca.pem");

  test::WriteFile(php + "/php.ini", "[PHP]\n");
  const std::string plain = test::ReadFile(form_.WritePhpIni());
  EXPECT_EQ(plain.find("cainfo"), std::string::npos) << "a template without a bundle gets none";
  EXPECT_EQ(plain.find("cafile"), std::string::npos);
}
#endif

}  // namespace
