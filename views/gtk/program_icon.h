// The program's own icon (its MAINICON resource) as a picture for GTK.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

// A new reference, or null when the program carries no readable icon.
GdkPixbuf* LoadProgramIcon();
