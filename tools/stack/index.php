<?php
// Start page of the stack: what is running, and whether the database answers.
declare(strict_types=1);

function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

$appName = getenv('SERVER_APPNAME');
if (!is_string($appName) || trim($appName) === '') {
    $appName = 'Lodestack';
}

// The database and its tools are the stack's own: another computer, or a
// page of another site in the browser, sees no details of them. The rule
// lives with the stack's programs, in the folder php.ini names; without it
// no request counts as the stack's own.
$lodestackPages = get_cfg_var('lodestack.pages');
$localClient = is_string($lodestackPages) && $lodestackPages !== ''
    && is_file($lodestackPages . '/local.php')
    && (require_once $lodestackPages . '/local.php')
    && lodestack_is_local_request();

// The launcher writes the port it chose for the database server into php.ini
// (0 when the stack has no database server). get_cfg_var still finds it when
// the mysqli extension, which owns the setting, is not loaded.
$portSetting = ini_get('mysqli.default_port');
if ($portSetting === false) {
    $portSetting = get_cfg_var('mysqli.default_port');
}
$dbPort = (int) $portSetting;
$db = ['state' => 'failed', 'text' => ''];
if (!$localClient) {
    $db = ['state' => 'hidden', 'text' => ''];
} elseif ($dbPort <= 0) {
    $db = ['state' => 'none', 'text' => 'No database server runs with this stack.'];
} elseif (!extension_loaded('mysqli')) {
    $db['text'] = 'The PHP extension mysqli is not loaded, so this page cannot ask the database.';
} else {
    mysqli_report(MYSQLI_REPORT_OFF);
    try {
        $link = mysqli_init();
        $link->options(MYSQLI_OPT_CONNECT_TIMEOUT, 3);
        if (@$link->real_connect('127.0.0.1', 'root', '', null, $dbPort)) {
            $db = ['state' => 'ok', 'text' => $link->server_info];
            $link->close();
        } else {
            $db['text'] = mysqli_connect_error() ?: 'The connection failed.';
        }
    } catch (Throwable $e) {
        $db['text'] = $e->getMessage();
    }
}

// The last lines the database server wrote: the launcher keeps its output
// as mysqld.log in its work folder, which PHPRC names.
function databaseLogLines(int $count): array
{
    $folder = getenv('PHPRC');
    $file = is_string($folder) && $folder !== '' ? $folder . DIRECTORY_SEPARATOR . 'mysqld.log' : '';
    $size = $file !== '' ? @filesize($file) : false;
    if ($size === false) {
        return [];
    }
    $text = @file_get_contents($file, false, null, max(0, $size - 16384));
    if (!is_string($text)) {
        return [];
    }
    $lines = array_values(array_filter(array_map('rtrim', explode("\n", $text)), fn ($line) => trim($line) !== ''));
    return array_slice($lines, -$count);
}

// Why the database server did not answer, in its own words; it names the
// folders and files of this machine, so no one else sees it.
$dbLog = $db['state'] === 'failed' && $localClient ? databaseLogLines(8) : [];

$extensions = get_loaded_extensions();
natcasesort($extensions);
$hasPhpMyAdmin = $localClient && is_file(__DIR__ . '/phpmyadmin/index.php');

// The messages PHP sent, kept by the stack's mail program: like the
// database, they are this computer's to see.
$mailbox = $localClient ? (string) get_cfg_var('lodestack.mailbox') : '';
$mailCount = $mailbox !== '' && is_dir($mailbox)
    ? count(preg_grep('/^[0-9]{8}-[0-9]{6}-[0-9]{3}-[0-9]+-[0-9]+\.eml$/D', scandir($mailbox) ?: []))
    : null;
// Down Size can take the mail program away; the kept messages stay.
$mailProgram = dirname((string) get_cfg_var('lodestack.pages')) . '/Apache/'
    . (PHP_OS_FAMILY === 'Windows' ? 'sendmail.exe' : 'sendmail');
$noMailProgram = $mailCount !== null && !is_file($mailProgram);

// The database's backups beside www and data, newest first: this computer's too.
$backups = [];
$programFile = (string) getenv('SERVER_FILENAME');
$backupDir = $localClient && $programFile !== '' ? dirname($programFile) . DIRECTORY_SEPARATOR . 'backups' : '';
if ($backupDir !== '' && is_dir($backupDir)) {
    foreach (scandir($backupDir) ?: [] as $name) {
        $file = $backupDir . DIRECTORY_SEPARATOR . $name;
        if (str_ends_with($name, '.sql.gz') && is_file($file)) {
            $backups[] = ['name' => $name, 'time' => (int) filemtime($file), 'size' => (int) filesize($file)];
        }
    }
    usort($backups, fn ($a, $b) => $b['time'] <=> $a['time']);
}

function sizeText(int $bytes): string
{
    if ($bytes < 1024) {
        return $bytes . ' bytes';
    }
    $units = ['KB', 'MB', 'GB', 'TB'];
    $value = $bytes / 1024;
    for ($unit = 0; $value >= 1024 && $unit < 3; $unit++) {
        $value /= 1024;
    }
    return sprintf('%.1f %s', $value, $units[$unit]);
}
?><!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title><?= h($appName) ?></title>
<style>
  body { font: 15px/1.5 system-ui, "Segoe UI", sans-serif; margin: 0; background: #f4f5f7; color: #222; }
  header { background: #23395b; color: #fff; padding: 1.2em 2em; }
  header h1 { margin: 0; font-size: 1.8em; font-weight: 600; }
  header p { margin: .2em 0 0; opacity: .8; }
  main { max-width: 56em; padding: 1em 2em 2em; }
  section { background: #fff; border: 1px solid #dde1e6; border-radius: 6px; padding: .8em 1.2em; margin: 1em 0; }
  h2 { font-size: 1.1em; margin: .2em 0 .6em; }
  table { border-collapse: collapse; }
  th, td { text-align: left; padding: .2em 1.2em .2em 0; vertical-align: top; }
  th { font-weight: 600; color: #555; }
  .ok { color: #1a7f37; font-weight: 600; }
  .no { color: #b42318; font-weight: 600; }
  .ext { color: #555; font-size: .9em; }
  .log { margin: 0; font-size: .85em; white-space: pre-wrap; }
  a { color: #23598f; }
</style>
</head>
<body>
<header>
  <h1><?= h($appName) ?></h1>
  <p>Your local web server is running.</p>
</header>
<main>
  <section>
    <h2>Web server and PHP</h2>
    <table>
      <tr><th>PHP version</th><td><?= h(PHP_VERSION) ?></td></tr>
      <tr><th>Web server</th><td><?= h((string) ($_SERVER['SERVER_SOFTWARE'] ?? '')) ?></td></tr>
      <tr><th>Address</th><td><?= h((string) ($_SERVER['HTTP_HOST'] ?? '')) ?></td></tr>
      <tr><th>Document root</th><td><?= h(__DIR__) ?></td></tr>
    </table>
  </section>
  <section>
    <h2>Database</h2>
    <?php if ($db['state'] === 'hidden'): ?>
    <p>The database and phpMyAdmin answer only on the computer that runs the stack.</p>
    <?php else: ?>
    <table>
      <tr><th>Port</th><td><?= $dbPort > 0 ? h((string) $dbPort) : 'none' ?></td></tr>
      <?php if ($db['state'] === 'ok'): ?>
      <tr><th>Status</th><td class="ok">The database answered on 127.0.0.1:<?= h((string) $dbPort) ?></td></tr>
      <tr><th>Server version</th><td><?= h($db['text']) ?></td></tr>
      <?php elseif ($db['state'] === 'none'): ?>
      <tr><th>Status</th><td><?= h($db['text']) ?></td></tr>
      <?php else: ?>
      <tr><th>Status</th><td class="no">The database did not answer on 127.0.0.1:<?= h((string) $dbPort) ?></td></tr>
      <tr><th>Reason</th><td><?= h($db['text']) ?></td></tr>
      <?php if ($dbLog): ?>
      <tr><th>Its log ends with</th><td><pre class="log"><?= h(implode("\n", $dbLog)) ?></pre></td></tr>
      <?php endif; ?>
      <?php endif; ?>
      <tr><th>User</th><td>root, without password</td></tr>
    </table>
    <?php endif; ?>
  </section>
  <section>
    <h2>Tools</h2>
    <ul>
      <?php if ($hasPhpMyAdmin): ?>
      <li><a href="phpmyadmin/">phpMyAdmin</a>: manage the databases</li>
      <?php endif; ?>
      <?php if ($mailCount !== null): ?>
      <li><a href="/lodestack/mail/">Mail</a>: <?= $mailCount === 1 ? '1 message' : h((string) $mailCount) . ' messages' ?> that PHP sent<?php if ($noMailProgram): ?>; no mail program is installed, so PHP's mail() cannot send<?php endif; ?></li>
      <?php endif; ?>
      <?php if ($localClient): ?>
      <li><a href="/lodestack/logs/">Logs</a>: the last lines of the web server's and PHP's errors, the database server's log and the servers' output</li>
      <?php endif; ?>
      <li><a href="help/">Help</a>: the folders of the stack, the database, the tray menu</li>
    </ul>
  </section>
  <?php if ($backupDir !== ''): ?>
  <section>
    <h2>Database backups</h2>
    <?php if (!$backups): ?>
    <p>None yet in <?= h($backupDir) ?>. The tray menu's Back Up Database makes one.</p>
    <?php else: ?>
    <table>
      <tr><th>Time</th><th>Size</th><th>File in <?= h($backupDir) ?></th></tr>
      <?php foreach ($backups as $backup): ?>
      <tr><td><?= h(date('Y-m-d H:i:s', $backup['time'])) ?></td><td><?= h(sizeText($backup['size'])) ?></td><td><?= h($backup['name']) ?></td></tr>
      <?php endforeach; ?>
    </table>
    <?php endif; ?>
  </section>
  <?php endif; ?>
  <section>
    <h2>PHP extensions loaded (<?= count($extensions) ?>)</h2>
    <p class="ext"><?= h(implode(', ', $extensions)) ?></p>
  </section>
</main>
</body>
</html>
