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
enum : int {
  kKey0 = 48, kKeyF = 70, kKeyI = 73, kKeyP = 80, kKeyNumpad0 = 96, kKeyAdd = 107, kKeySubtract = 109,
  kKeyF11 = 122, kKeyF12 = 123, kKeyPlus = 187 /* the "=" and "+" key */, kKeyMinus = 189,
};
// The modifiers held with a key.
enum : unsigned { kModShift = 1, kModCtrl = 2, kModAlt = 4 };

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
  // Shows the text in the status text's place for a moment, then what was there.
  virtual void ShowStatusNote(const std::string& text) = 0;
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
  // Opens the window's find bar with its text selected; false when the
  // window has none (the engine's own find then takes the key).
  virtual bool ShowFindBar() { return false; }
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
  void ShowStatusNote(const std::string& text) override { widgets_.ShowStatusNote(text); }
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
