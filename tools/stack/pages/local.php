<?php
// Whether a request is the stack's own: from this computer, and naming the
// stack by one of its own names. A page of another site in the user's
// browser can point a name of its own at 127.0.0.1 and reach the stack from
// this computer; it cannot make the browser send one of these names for it.
// The web server applies the same rule; the pages do not rely on it.
declare(strict_types=1);

function lodestack_is_local_request(): bool
{
    $address = strtolower((string) ($_SERVER['REMOTE_ADDR'] ?? ''));
    if (str_starts_with($address, '::ffff:')) {
        $address = substr($address, 7);
    }
    $loopback = $address === '::1'
        || (filter_var($address, FILTER_VALIDATE_IP, FILTER_FLAG_IPV4) !== false && str_starts_with($address, '127.'));
    if (!$loopback) {
        return false;
    }
    $host = strtolower((string) ($_SERVER['HTTP_HOST'] ?? ''));
    if (preg_match('/^(127\.0\.0\.1|localhost|\[::1\])(?::([0-9]+))?$/D', $host, $parts) !== 1) {
        return false;
    }
    if (!isset($parts[2])) {
        return true;
    }
    // The port this run serves on, from the web server's configuration: the
    // one in the Host is the client's to choose.
    $port = (string) ($_SERVER['LODESTACK_HTTP_PORT'] ?? '');
    return $port !== '' && $parts[2] === $port;
}

// Ends the request unless it is the stack's own, with the reason.
function lodestack_require_local_request(string $reason): void
{
    if (!lodestack_is_local_request()) {
        http_response_code(403);
        header('Content-Type: text/plain; charset=utf-8');
        exit($reason);
    }
}
