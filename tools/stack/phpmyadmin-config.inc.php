<?php
// phpMyAdmin in the stack: the stack's own database server, on the port the
// launcher chose for this run, as root without a password.
declare(strict_types=1);

// It logs in as the database's root user: only the stack's own requests
// may use it (from this computer, naming the stack by its own names). The
// web server refuses the others already; this holds too where the folder is
// reached under another name. Without the rule nothing is let through.
$lodestackRefusal = 'phpMyAdmin answers only on the computer that runs the stack: '
    . 'the database and its tools are not shared on the network.';
$lodestackPages = get_cfg_var('lodestack.pages');
if (!is_string($lodestackPages) || $lodestackPages === '' || !is_file($lodestackPages . '/local.php')) {
    http_response_code(403);
    exit($lodestackRefusal);
}
require_once $lodestackPages . '/local.php';
lodestack_require_local_request($lodestackRefusal);

$cfg['blowfish_secret'] = '@BLOWFISH_SECRET@';

$i = 1;
$cfg['Servers'][$i]['host'] = '127.0.0.1';
$cfg['Servers'][$i]['port'] = (string) ini_get('mysqli.default_port');
$cfg['Servers'][$i]['connect_type'] = 'tcp';
$cfg['Servers'][$i]['compress'] = false;
$cfg['Servers'][$i]['auth_type'] = 'config';
$cfg['Servers'][$i]['user'] = 'root';
$cfg['Servers'][$i]['password'] = '';
$cfg['Servers'][$i]['AllowNoPassword'] = true;

// Compiled templates go to the launcher's private work folder (it hands PHP
// that folder as PHPRC), which is writable even when the site lies on a CD and
// goes away when the stack stops.
$lodestackWork = getenv('PHPRC');
if (is_string($lodestackWork) && $lodestackWork !== '' && is_dir($lodestackWork) && is_writable($lodestackWork)) {
    $cfg['TempDir'] = rtrim($lodestackWork, '/\\') . DIRECTORY_SEPARATOR . 'phpmyadmin';
}

$cfg['UploadDir'] = '';
$cfg['SaveDir'] = '';
$cfg['VersionCheck'] = false;
