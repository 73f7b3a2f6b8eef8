<?php
// The stack's own pages: answered only to the stack's own requests.
declare(strict_types=1);

require __DIR__ . '/local.php';
lodestack_require_local_request("The stack's own pages answer only on the computer that runs the stack, "
    . 'opened as 127.0.0.1, localhost or [::1].');
header('Content-Type: text/plain; charset=utf-8');
echo "The stack's own pages.\n";
