<?php
// The stack's mailbox: every message PHP sent, newest first; one message
// with its headers, text, HTML (in a frame that runs no script and loads
// nothing from elsewhere) and attachments; deleting one or all.
declare(strict_types=1);

require __DIR__ . '/../local.php';
lodestack_require_local_request("The stack's mailbox answers only on the computer that runs the stack, "
    . 'opened as 127.0.0.1, localhost or [::1].');

$mailbox = (string) get_cfg_var('lodestack.mailbox');
$binDir = dirname((string) get_cfg_var('lodestack.pages'));
$windows = PHP_OS_FAMILY === 'Windows';
$mailProgram = $binDir . DIRECTORY_SEPARATOR . 'Apache' . DIRECTORY_SEPARATOR . ($windows ? 'sendmail.exe' : 'sendmail');

function h(string $text): string
{
    return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

// Only names the mail program gives: no other file can be reached.
function message_file(string $mailbox, string $name): ?string
{
    if (preg_match('/^[0-9]{8}-[0-9]{6}-[0-9]{3}-[0-9]+-[0-9]+\.eml$/D', $name) !== 1) {
        return null;
    }
    $file = $mailbox . DIRECTORY_SEPARATOR . $name;
    return is_file($file) ? $file : null;
}

function decoded_header(string $value): string
{
    // A header without encoded words is shown as it came: PHP's mail() passes
    // a UTF-8 subject on unencoded, which the decoder would take for ASCII and cut.
    if (!str_contains($value, '=?')) {
        return $value;
    }
    if (function_exists('iconv_mime_decode')) {
        $decoded = @iconv_mime_decode($value, ICONV_MIME_DECODE_CONTINUE_ON_ERROR, 'UTF-8');
        if ($decoded !== false) {
            return $decoded;
        }
    }
    return $value;
}

// Headers (lower-case names, unfolded, in order) and the body of a part.
function split_part(string $raw): array
{
    $at = strpos($raw, "\r\n\r\n");
    $gap = 4;
    $lf = strpos($raw, "\n\n");
    if ($at === false || ($lf !== false && $lf < $at)) {
        $at = $lf;
        $gap = 2;
    }
    $head = $at === false ? $raw : substr($raw, 0, $at);
    $body = $at === false ? '' : substr($raw, $at + $gap);
    $headers = [];
    foreach (preg_split('/\r?\n/', $head) as $line) {
        if ($line !== '' && ($line[0] === ' ' || $line[0] === "\t") && $headers) {
            $headers[count($headers) - 1][1] .= ' ' . trim($line);
        } elseif (preg_match('/^([!-9;-~]+):(.*)$/', $line, $m) === 1) {
            $headers[] = [strtolower($m[1]), trim($m[2])];
        }
    }
    return [$headers, $body];
}

function header_value(array $headers, string $name): string
{
    foreach ($headers as [$key, $value]) {
        if ($key === $name) {
            return $value;
        }
    }
    return '';
}

// "type/sub; a=b; c="d"" as the type and its parameters.
function header_params(string $value): array
{
    $parts = explode(';', $value);
    $params = [];
    foreach (array_slice($parts, 1) as $param) {
        if (preg_match('/^\s*([^=\s]+)\s*=\s*"?([^"]*)"?\s*$/', $param, $m) === 1) {
            $params[strtolower($m[1])] = $m[2];
        }
    }
    return [strtolower(trim($parts[0])), $params];
}

// The leaves of a message: each with its type, decoded bytes (text in
// UTF-8), file name and Content-ID.
function leaves(string $raw, int $depth = 0): array
{
    [$headers, $body] = split_part($raw);
    [$type, $params] = header_params(header_value($headers, 'content-type') ?: 'text/plain');
    if (str_starts_with($type, 'multipart/') && isset($params['boundary']) && $depth < 10) {
        $found = [];
        $chunks = explode('--' . $params['boundary'], $body);
        foreach (array_slice($chunks, 1) as $chunk) {
            if (str_starts_with($chunk, '--')) {
                break;
            }
            $found = array_merge($found, leaves(ltrim(preg_replace('/\r?\n$/', '', $chunk), "\r\n"), $depth + 1));
        }
        return $found;
    }
    $encoding = strtolower(header_value($headers, 'content-transfer-encoding'));
    $bytes = $encoding === 'base64' ? (string) base64_decode($body)
        : ($encoding === 'quoted-printable' ? quoted_printable_decode($body) : $body);
    $charset = strtoupper($params['charset'] ?? 'UTF-8');
    if (str_starts_with($type, 'text/') && $charset !== 'UTF-8' && function_exists('iconv')) {
        $bytes = (string) @iconv($charset, 'UTF-8//IGNORE', $bytes);
    }
    [$disposition, $dispositionParams] = header_params(header_value($headers, 'content-disposition'));
    $name = decoded_header($dispositionParams['filename'] ?? ($params['name'] ?? ''));
    return [[
        'type' => $type,
        'bytes' => $bytes,
        'name' => $name,
        'attachment' => $disposition === 'attachment' || ($name !== '' && !str_starts_with($type, 'text/')),
        'cid' => trim(header_value($headers, 'content-id'), '<> '),
    ]];
}

// A picture a page may show: an image that holds no script (SVG can).
function is_picture(string $type): bool
{
    return preg_match('~^image/[a-z0-9.+-]+$~D', $type) === 1 && !str_contains($type, 'svg');
}

// Web addresses in escaped text as links: a reset or confirmation mail is
// read to be followed. Only http and https, and never the punctuation that
// ends a sentence.
function linked(string $escaped): string
{
    return preg_replace_callback('~\bhttps?://(?:(?!&quot;|&#039;|&lt;|&gt;)[^\s<>"\'])+~i', function (array $m): string {
        $url = rtrim($m[0], '.,;:!?)');
        return '<a href="' . $url . '" rel="noreferrer">' . $url . '</a>' . substr($m[0], strlen($url));
    }, $escaped);
}

// A file name that stays a name: no folders, no control characters.
function safe_name(string $name): string
{
    $name = preg_replace('/[\x00-\x1f\x7f\/\\\\:*?"<>|]+/', '_', basename(str_replace('\\', '/', $name)));
    $name = trim((string) $name, ". ");
    return $name === '' ? 'attachment' : $name;
}

$self = strtok((string) ($_SERVER['REQUEST_URI'] ?? ''), '?');

// A change only from this page itself: another site's page in the same
// browser could send a form here.
if (($_SERVER['REQUEST_METHOD'] ?? 'GET') === 'POST') {
    $origin = (string) ($_SERVER['HTTP_ORIGIN'] ?? '');
    $site = (string) ($_SERVER['HTTP_SEC_FETCH_SITE'] ?? '');
    $ownOrigin = preg_replace('/:80$/', '', 'http://' . strtolower((string) ($_SERVER['HTTP_HOST'] ?? '')));
    if (($origin !== '' && preg_replace('/:80$/', '', strtolower($origin)) !== $ownOrigin)
        || ($site !== '' && $site !== 'same-origin')) {
        http_response_code(403);
        exit('Only the mailbox page itself can delete mail.');
    }
    $names = isset($_POST['all']) ? (is_dir($mailbox) ? scandir($mailbox) : []) : [(string) ($_POST['delete'] ?? '')];
    foreach ($names as $name) {
        $file = message_file($mailbox, (string) $name);
        if ($file !== null) {
            @unlink($file);
        }
    }
    header('Location: ' . $self, true, 303);
    exit;
}

$file = message_file($mailbox, (string) ($_GET['m'] ?? ''));
if ($file !== null && (isset($_GET['part']) || isset($_GET['cid']) || isset($_GET['html']))) {
    $parts = leaves((string) file_get_contents($file));
    header('X-Content-Type-Options: nosniff');
    if (isset($_GET['html'])) {
        // The message's HTML: no script, nothing from elsewhere. Its own
        // pictures (cid:) come inside it: the frame runs in an origin of its
        // own, which the engines do not count as this page's.
        header("Content-Security-Policy: default-src 'none'; img-src 'self' data:; style-src 'unsafe-inline'; sandbox");
        header('Content-Type: text/html; charset=utf-8');
        $pictures = [];
        foreach ($parts as $part) {
            if ($part['cid'] !== '' && is_picture($part['type'])) {
                $pictures[$part['cid']] = 'data:' . $part['type'] . ';base64,' . base64_encode($part['bytes']);
            }
        }
        foreach ($parts as $part) {
            if ($part['type'] === 'text/html' && !$part['attachment']) {
                $link = '?m=' . rawurlencode(basename($file)) . '&cid=';
                echo preg_replace_callback('/cid:([^"\'\s)>]+)/i',
                    fn($m) => $pictures[rawurldecode($m[1])] ?? h($link . rawurlencode(rawurldecode($m[1]))), $part['bytes']);
                break;
            }
        }
        exit;
    }
    foreach ($parts as $index => $part) {
        if ((isset($_GET['part']) && (string) $index === $_GET['part'])
            || (isset($_GET['cid']) && $part['cid'] !== '' && $part['cid'] === $_GET['cid'])) {
            $name = safe_name($part['name']);
            // A part is the sender's: it runs nothing in the stack's own
            // origin, and an image that can hold scripts (SVG) is no picture here.
            header("Content-Security-Policy: default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; sandbox");
            $picture = isset($_GET['cid']) && is_picture($part['type']);
            header('Content-Type: ' . ($picture ? $part['type'] : 'application/octet-stream'));
            header('Content-Disposition: ' . (isset($_GET['cid']) ? 'inline' : 'attachment')
                . '; filename="' . preg_replace('/[^\x20-\x7e]/', '_', $name) . '"; filename*=UTF-8\'\'' . rawurlencode($name));
            echo $part['bytes'];
            exit;
        }
    }
    http_response_code(404);
    exit('No such part.');
}

header('Content-Type: text/html; charset=utf-8');
?><!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Mailbox</title>
<style>body{font-family:sans-serif;margin:1em}table{border-collapse:collapse;width:100%}td,th{text-align:left;padding:.3em .6em;border-bottom:1px solid #ddd}
pre{white-space:pre-wrap;background:#f6f6f6;padding:.6em}iframe{width:100%;height:60vh;border:1px solid #ccc}form{display:inline}</style>
</head><body>
<h1><a href="<?= h($self) ?>">Mailbox</a></h1>
<?php if (!is_file($mailProgram)): ?>
<p>No mail program is installed: PHP's mail() cannot send.</p>
<?php elseif ($windows): ?>
<p>On Windows the stack's mail program keeps mail only: nothing is sent on.</p>
<?php endif; ?>
<?php if ($file !== null):
    $raw = (string) file_get_contents($file);
    [$headers] = split_part($raw);
    $parts = leaves($raw);
    $name = basename($file); ?>
<form method="post" action="<?= h($self) ?>"><button name="delete" value="<?= h($name) ?>">Delete</button></form>
<table><?php foreach ($headers as [$key, $value]): ?><tr><th><?= h($key) ?></th><td><?= h(decoded_header($value)) ?></td></tr><?php endforeach; ?></table>
<?php foreach ($parts as $index => $part):
    if ($part['attachment']): ?>
<p>Attachment: <a href="?m=<?= h(rawurlencode($name)) ?>&amp;part=<?= $index ?>"><?= h(safe_name($part['name'])) ?></a> (<?= strlen($part['bytes']) ?> bytes)</p>
<?php elseif ($part['type'] === 'text/plain'): ?>
<pre><?= linked(h($part['bytes'])) ?></pre>
<?php elseif ($part['type'] === 'text/html'): ?>
<iframe sandbox title="HTML part" src="?m=<?= h(rawurlencode($name)) ?>&amp;html=1"></iframe>
<?php endif; endforeach; ?>
<?php else:
    $names = is_dir($mailbox) ? array_values(array_filter(scandir($mailbox), fn($n) => message_file($mailbox, $n) !== null)) : [];
    rsort($names); ?>
<p><?= count($names) ?> message<?= count($names) === 1 ? '' : 's' ?> in <?= h($mailbox) ?></p>
<?php if ($names): ?>
<form method="post" action="<?= h($self) ?>"><button name="all" value="1">Delete all</button></form>
<table><tr><th>Time (UTC)</th><th>From</th><th>To</th><th>Subject</th></tr>
<?php foreach ($names as $name):
    [$headers] = split_part((string) file_get_contents($mailbox . DIRECTORY_SEPARATOR . $name, false, null, 0, 65536));
    $time = preg_replace('/^(\d{4})(\d\d)(\d\d)-(\d\d)(\d\d)(\d\d).*/', '$1-$2-$3 $4:$5:$6', $name); ?>
<tr><td><a href="?m=<?= h(rawurlencode($name)) ?>"><?= h($time) ?></a></td><td><?= h(decoded_header(header_value($headers, 'from'))) ?></td>
<td><?= h(decoded_header(header_value($headers, 'to'))) ?></td><td><?= h(decoded_header(header_value($headers, 'subject'))) ?></td></tr>
<?php endforeach; ?>
</table>
<?php endif; endif; ?>
</body></html>
