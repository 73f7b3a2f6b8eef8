// The X11 answers to the platform layer's questions about the tray and the
// windows (util/shell_hooks.h), installed when the desktop loads.
#pragma once

void InstallX11ShellHooks();
