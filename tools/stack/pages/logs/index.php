<?php
// The run's logs: the last lines of the web server's error log (where PHP
// writes its errors and warnings), of the database server's log and of the
// servers' output, newest last, each with the file it comes from.
declare(strict_types=1);

require __DIR__ . '/../local.php';
lodestack_require_local_request("The stack's logs answer only on the computer that runs the stack, "
    . 'opened as 127.0.0.1, localhost or [::1].');

const LINES = 60;
const TAIL_BYTES = 65536;

function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

// The last lines that hold any text, or why there are none.
function last_lines(string $file): array
{
    if ($file === '') {
        return [[], 'This run names no such log.'];
    }
    if (!is_file($file)) {
        return [[], 'Not written yet.'];
    }
    $size = (int) @filesize($file);
    $text = @file_get_contents($file, false, null, max(0, $size - TAIL_BYTES));
    if (!is_string($text)) {
        return [[], 'This page cannot read it.'];
    }
    $lines = preg_split('/\r?\n/', $text);
    if ($size > TAIL_BYTES) {
        array_shift($lines);  // cut at the start of the tail
    }
    $lines = array_values(array_filter($lines, fn ($line) => trim($line) !== ''));
    return [array_slice($lines, -LINES), $lines ? '' : 'Empty.'];
}

$logs = [
    ['Web server errors, with PHP\'s errors and warnings', 'lodestack.web_server_errors'],
    ['Database server', 'lodestack.database_log'],
    ['Servers\' output', 'lodestack.servers_output'],
];
$self = strtok((string) ($_SERVER['REQUEST_URI'] ?? ''), '?');

header('Content-Type: text/html; charset=utf-8');
header('Cache-Control: no-store');
?><!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Logs</title>
<style>body{font:15px/1.4 system-ui,"Segoe UI",sans-serif;margin:1em 2em;color:#222}
section{margin:1em 0}h2{font-size:1.1em;margin:.2em 0}.file{color:#555;font-size:.9em;margin:.2em 0}
pre{white-space:pre-wrap;word-break:break-all;background:#f6f6f6;border:1px solid #ddd;padding:.6em;margin:.3em 0;font-size:.85em}
.none{color:#777}</style>
</head><body>
<h1>Logs</h1>
<p>The last <?= LINES ?> lines of each, newest last, as of <?= h(gmdate('Y-m-d H:i:s')) ?> UTC.
<a href="<?= h($self) ?>">Refresh</a></p>
<?php foreach ($logs as [$title, $key]):
    $file = (string) get_cfg_var($key);
    [$lines, $why] = last_lines($file); ?>
<section>
<h2><?= h($title) ?></h2>
<p class="file"><?= $file !== '' ? h($file) : '' ?></p>
<?php if ($lines): ?>
<pre><?= h(implode("\n", $lines)) ?></pre>
<?php else: ?>
<p class="none"><?= h($why) ?></p>
<?php endif; ?>
</section>
<?php endforeach; ?>
</body></html>
