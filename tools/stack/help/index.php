<?php
// Help page of the stack.
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
$portSetting = ini_get('mysqli.default_port');
if ($portSetting === false) {
    $portSetting = get_cfg_var('mysqli.default_port');
}
$dbPort = (int) $portSetting;
$root = dirname(__DIR__, 2);
?><!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title><?= h($appName) ?> Help</title>
<style>
  body { font: 15px/1.55 system-ui, "Segoe UI", sans-serif; margin: 0; background: #f4f5f7; color: #222; }
  header { background: #23395b; color: #fff; padding: 1.2em 2em; }
  header h1 { margin: 0; font-size: 1.6em; font-weight: 600; }
  main { max-width: 56em; padding: 1em 2em 2em; }
  section { background: #fff; border: 1px solid #dde1e6; border-radius: 6px; padding: .8em 1.2em; margin: 1em 0; }
  h2 { font-size: 1.1em; margin: .2em 0 .6em; }
  dt { font-weight: 600; margin-top: .5em; }
  dd { margin-left: 1.5em; }
  code, pre { font-family: ui-monospace, Consolas, monospace; background: #f0f2f5; border-radius: 3px; }
  code { padding: 0 .25em; }
  pre { padding: .6em .8em; overflow-x: auto; }
  a { color: #23598f; }
</style>
</head>
<body>
<header><h1><?= h($appName) ?> Help</h1></header>
<main>
  <section>
    <h2>What this is</h2>
    <p>A portable web-server stack: one program file at the top of a folder tree that holds
    a web server with PHP, a database server, your web site and its data. Started from a hard
    disk, a USB stick or a CD, the program configures the servers for wherever it finds itself,
    starts them on free ports of this computer and shows your site. When you exit, it stops the
    servers and removes its temporary files; nothing is installed.</p>
  </section>
  <section>
    <h2>The folders</h2>
    <p>All of them lie beside the program file, in <code><?= h($root) ?></code>.</p>
    <dl>
      <dt><code>www</code></dt>
      <dd>Your web site: the documents the web server serves. <code>index.php</code> is the start page.
      Put your pages here.</dd>
      <dt><code>data</code></dt>
      <dd>The databases. Each database is a folder inside it. Copy this folder to keep a backup
      while the stack is not running.</dd>
      <dt><code>bin</code></dt>
      <dd>The server programs: <code>Apache</code> (the web server and its modules), <code>php</code>
      (PHP, its settings template <code>php.ini</code> and its extensions in <code>ext</code>) and
      <code>mysql</code> (the database server). <code>Favorites.ini</code> holds the favorites menu.</dd>
    </dl>
    <p>The configuration files the servers run with are written anew at every start into a private
    temporary folder, so edit the templates in <code>bin</code>, not those copies.</p>
  </section>
  <section>
    <h2>The database</h2>
    <?php if (!$localClient): ?>
    <p>The database and phpMyAdmin answer only on the computer that runs the stack.</p>
    <?php else: ?>
    <p>The database server listens on 127.0.0.1 only, so other computers cannot reach it.
    Its port is 3306, or the next free port when 3306 is taken<?php
    if ($dbPort > 0): ?>; in this run it is <strong><?= h((string) $dbPort) ?></strong><?php
    endif; ?>. The user is <code>root</code> without a password.</p>
    <p>PHP knows the port of the run, so a script connects like this:</p>
<pre>$port = (int) ini_get('mysqli.default_port');
$db = new mysqli('127.0.0.1', 'root', '', 'my_database', $port);</pre>
    <p>or, with PDO:</p>
<pre>$port = (int) ini_get('mysqli.default_port');
$db = new PDO("mysql:host=127.0.0.1;port=$port;dbname=my_database", 'root', '');</pre>
    <?php if (is_file(dirname(__DIR__) . '/phpmyadmin/index.php')): ?>
    <p><a href="../phpmyadmin/">phpMyAdmin</a> manages the databases in the browser.</p>
    <?php endif; ?>
    <?php endif; ?>
  </section>
  <section>
    <h2>The tray menu</h2>
    <p>The icon in the notification area opens the main window with a left click and this menu
    with a right click:</p>
    <dl>
      <dt>Show/Hide Main Window</dt><dd>Shows the browser window, or hides it to the tray.</dd>
      <dt>Down Size...</dt><dd>Removes components you do not need (the database server, phpMyAdmin,
      PHP extensions, ...) from the folder tree, for example before you ship your site on a CD.
      The stack restarts without them. This cannot be undone.</dd>
      <dt>Server Settings...</dt><dd>Changes the port of the web server and whether it listens on
      this computer only or on all network interfaces. The stack restarts with the new settings.
      On all interfaces other computers see your site; the database and phpMyAdmin still answer
      only this computer, opened as <code>127.0.0.1</code>, <code>localhost</code> or
      <code>[::1]</code>. On this computer only, the stack answers no other name at all, so a web
      site that points its own name at this computer cannot reach it from your browser.</dd>
      <dt>Help Contents</dt><dd>Opens this page.</dd>
      <dt>Contact Us, Visit Website, About...</dt><dd>Information about the program.</dd>
      <dt>Exit</dt><dd>Stops the servers, removes the temporary files and ends the program.</dd>
    </dl>
    <p>Down Size and Server Settings are not available when the program runs from a CD.</p>
  </section>
  <section>
    <h2>Favorites</h2>
    <p>The Favorites button of the main window opens the folders of the stack and its pages.
    "Organize Favorites..." opens <code>bin/Favorites.ini</code> in a text editor: folders go in
    section <code>[DIRS]</code>, addresses in <code>[URLS]</code>, where
    <code>{LOCALHOST:PORT}</code> stands for the web server's address and <code>{APPDIR}</code>
    for the program's folder. Changes show at the next start.</p>
  </section>
  <p><a href="../">Back to the start page</a></p>
</main>
</body>
</html>
