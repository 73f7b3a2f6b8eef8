// BrowserView: what a browser form (the main window or a popup) asks of its
// window: the address box with its history, the tool bar, the status bar.
#pragma once

#include <string>
#include <utility>
#include <vector>

class BrowserEngine;

enum class TToolButton { kBack, kForward, kRefresh, kStop, kHome, kFavorites, kRebrand };
inline constexpr int kToolButtonCount = 7;
// The buttons a branded copy and every popup keep: Back to Home.
inline constexpr int kNavigationButtons = 5;

// Key codes the forms react to, as the platform's virtual keys number them.
enum : int { kKeyReturn = 13, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeyF5 = 116 };

class BrowserView {
 public:
  virtual ~BrowserView() = default;
  virtual BrowserEngine& Engine() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string AddressText() const = 0;
  virtual void SetAddressText(const std::string& text) = 0;
  // The address box's list; selecting an entry (not -1) also sets its text.
  virtual void SetAddressList(const std::vector<std::string>& items, int selected) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // The progress bar over the status bar's second panel, whose bevel is
  // lowered while the bar is hidden.
  virtual void SetProgress(bool visible, int position, int maximum) = 0;
  virtual void SetButtonEnabled(TToolButton button, bool enabled) = 0;
  virtual void SetButtonVisible(TToolButton button, bool visible) = 0;
  // The top bar (buttons, address box, Go) and the status bar.
  virtual void SetToolbarVisible(bool visible) = 0;
  virtual void SetStatusBarVisible(bool visible) = 0;
  // The save dialog for a file a page sends, starting in `folder` with the
  // name `suggestedName`; the file chosen, empty when cancelled. A window
  // whose engine saves files with prompts of its own needs none.
  virtual std::string SaveFileDialog(const std::string& /*folder*/, const std::string& /*suggestedName*/) {
    return {};
  }
};

// A BrowserView (or a view built on one) made of a toolkit's browser
// widgets, which answer the same calls under the same names.
template <typename View, typename Widgets>
class BrowserWidgetsView : public View {
 public:
  template <typename... Args>
  explicit BrowserWidgetsView(Args&&... args) : widgets_(std::forward<Args>(args)...) {}

  BrowserEngine& Engine() override { return widgets_.Engine(); }
  void SetCaption(const std::string& caption) override { widgets_.SetCaption(caption); }
  std::string AddressText() const override { return widgets_.AddressText(); }
  void SetAddressText(const std::string& text) override { widgets_.SetAddressText(text); }
  void SetAddressList(const std::vector<std::string>& items, int selected) override {
    widgets_.SetAddressList(items, selected);
  }
  void SetStatusText(const std::string& text) override { widgets_.SetStatusText(text); }
  void SetProgress(bool visible, int position, int maximum) override {
    widgets_.SetProgress(visible, position, maximum);
  }
  void SetButtonEnabled(TToolButton button, bool enabled) override {
    widgets_.SetButtonEnabled(button, enabled);
  }
  void SetButtonVisible(TToolButton button, bool visible) override {
    widgets_.SetButtonVisible(button, visible);
  }
  void SetToolbarVisible(bool visible) override { widgets_.SetToolbarVisible(visible); }
  void SetStatusBarVisible(bool visible) override { widgets_.SetStatusBarVisible(visible); }

 protected:
  Widgets widgets_;
};
