// The tools' dialogs on GTK, each shown modally over the main window: they
// attach their view to the form, run its FormShow and return how the form
// closed them.
#pragma once

#include <gtk/gtk.h>

#include "forms/dialog_services.h"

class TfrmSettings;
class TfrmDownSize;
class TfrmBrand;

TModalResult RunSettingsDialog(GtkWindow* owner, TfrmSettings& form);
TModalResult RunDownSizeDialog(GtkWindow* owner, TfrmDownSize& form);
TModalResult RunBrandDialog(GtkWindow* owner, TfrmBrand& form);
