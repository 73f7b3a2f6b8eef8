// The About dialog on GTK: the form's layout on a fixed 295 × 194 client area.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Shows the dialog modally over `owner`.
void ShowGtkAbout(GtkWindow* owner, GdkPixbuf* icon, const std::string& title,
                  const std::string& version, const std::string& year);
