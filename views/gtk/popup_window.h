// The window of a popup (TfrmBrowser) on GTK: a top-level browser window of
// its own, made hidden and shown once it is placed.
#pragma once

#include "forms/popup_form.h"
#include "views/gtk/browser_widgets.h"

class GtkPopupWindow : public GtkBrowserView<PopupView> {
 public:
  GtkPopupWindow(TfrmBrowser& form, WebKitEngine* opener, GdkPixbuf* icon);
  ~GtkPopupWindow() override;

  TWindowMetrics Metrics() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void Show() override;
  void Close() override;

 private:
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  TfrmBrowser& form_;
  GtkWidget* window_;
};
