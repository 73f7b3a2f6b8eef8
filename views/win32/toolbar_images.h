// The pictures of the browser windows' tool bars and address box, drawn in
// code so the program file carries no image files for them.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Back, Forward, Refresh, Stop, Home, Favorites, Rebrand: 32 × 32.
HIMAGELIST CreateToolbarImages();
// The Go button's arrow: 20 × 20.
HIMAGELIST CreateGoImages();
// The address box's page: 16 × 16.
HIMAGELIST CreateAddressImages();
