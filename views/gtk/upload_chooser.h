// The file chooser a page's <input type="file"> opens in a window of the
// program: one file, or any number when the input takes several. Cancelled,
// the input keeps what it had.
#pragma once

#include <webkit2/webkit2.h>

// A "run-file-chooser" handler: shows the chooser over the view's window
// and answers the request when the chooser closes.
gboolean RunUploadChooser(WebKitWebView* view, WebKitFileChooserRequest* request, gpointer);
