// The frame of the tools' dialogs on GTK: a fixed-size client area where
// controls sit at the form's coordinates, shown modally over its owner until
// the form closes it. Closing by the title bar closes with mrCancel.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "forms/dialog_services.h"

class GtkModalDialog {
 public:
  GtkModalDialog(GtkWindow* owner, const std::string& caption, int clientWidth, int clientHeight);
  ~GtkModalDialog();
  GtkModalDialog(const GtkModalDialog&) = delete;
  GtkModalDialog& operator=(const GtkModalDialog&) = delete;

  GtkWindow* Window() const { return GTK_WINDOW(window_); }
  // Places a control with its top-left corner at (left, top); a width or
  // height of 0 keeps the control's natural size.
  GtkWidget* Put(GtkWidget* control, int left, int top, int width = 0, int height = 0);
  GtkWidget* Label(const std::string& text, int left, int top);
  GtkWidget* Button(const std::string& caption, int left, int top, int width, int height,
                    std::function<void()> onClick);
  // A fixed drop-down list of items (no typing).
  GtkWidget* List(const std::vector<std::string>& items, int left, int top, int width);
  // A frame around an area, as a bevel.
  GtkWidget* Bevel(int left, int top, int width, int height);

  // Runs the dialog until Close; `onShow` runs once the controls are placed.
  TModalResult ShowModal(const std::function<void()>& onShow);
  void Close(TModalResult result);
  // What happens when the title bar's close button is used (default: mrCancel).
  std::function<void()> OnCloseQuery;

 private:
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
  GtkWidget* window_;
  GtkWidget* fixed_;
  GMainLoop* loop_ = nullptr;
  TModalResult result_ = mrNone;
  std::vector<std::function<void()>*> handlers_;
};

// Runs a GTK dialog until it is answered, or closed by CloseModalDialogs
// (GTK_RESPONSE_DELETE_EVENT); returns its response.
int RunDialog(GtkDialog* dialog);
// The application quits: every dialog and box that is open closes as its
// title bar's close button would, and none opens from now on, so that a
// log-off need not wait for a click.
void CloseModalDialogs();

// The small font the dialogs were laid out for, on a window and everything in it.
void UseDialogFont(GtkWidget* window);
// Enables or disables several controls at once.
void SetSensitive(std::initializer_list<GtkWidget*> controls, bool enabled);
