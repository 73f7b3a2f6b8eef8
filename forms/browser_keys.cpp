// The keys of a browser window beyond the address box: zoom, print, find,
// the inspector and full screen, as an ordinary browser has them.
#include <algorithm>
#include <array>
#include <iterator>

#include "forms/browser_form.h"

namespace {

// The levels the keys and the wheel step through, as browsers offer them.
constexpr std::array<int, 13> kZoomLevels = {30, 50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};

bool IsZoomIn(int key) { return key == kKeyPlus || key == kKeyAdd; }
bool IsZoomOut(int key) { return key == kKeyMinus || key == kKeySubtract; }
bool IsZoomReset(int key) { return key == kKey0 || key == kKeyNumpad0; }

}  // namespace

TBrowserKey BrowserKeyOf(int key, unsigned modifiers) {
  const bool ctrl = (modifiers & kModCtrl) != 0;
  const bool alt = (modifiers & kModAlt) != 0;
  const bool shift = (modifiers & kModShift) != 0;
  // Ctrl with plus may need Shift on the keyboard ("+" above "="), so Shift
  // does not count for the zoom keys.
  if (ctrl && !alt) {
    if (IsZoomIn(key)) return TBrowserKey::kZoomIn;
    if (IsZoomOut(key)) return TBrowserKey::kZoomOut;
    if (IsZoomReset(key)) return TBrowserKey::kZoomReset;
  }
  if (ctrl && !alt && !shift && key == kKeyP) return TBrowserKey::kPrint;
  if (ctrl && !alt && !shift && key == kKeyF) return TBrowserKey::kFind;
  if ((key == kKeyF12 && !ctrl && !alt) || (key == kKeyI && ctrl && shift && !alt)) return TBrowserKey::kInspector;
  if (key == kKeyF11 && !ctrl && !alt) return TBrowserKey::kFullScreen;
  return TBrowserKey::kNone;
}

bool TBrowserForm::BrowserKeyDown(int key, unsigned modifiers) {
  if (!FView) return false;
  switch (BrowserKeyOf(key, modifiers)) {
    case TBrowserKey::kZoomIn: return ZoomStep(1), true;
    case TBrowserKey::kZoomOut: return ZoomStep(-1), true;
    case TBrowserKey::kZoomReset: return SetZoom(100), true;
    case TBrowserKey::kPrint: return FView->Engine().Print(), true;
    case TBrowserKey::kFind: return FView->ShowFindBar();
    case TBrowserKey::kInspector:
      if (!DeveloperTools()) return false;
      FView->Engine().ShowInspector();
      return true;
    case TBrowserKey::kFullScreen: return ToggleFullScreen();
    case TBrowserKey::kNone: return false;
  }
  return false;
}

// From a level between two steps (none is, today) the next step on that side.
void TBrowserForm::ZoomStep(int direction) {
  if (direction > 0) {
    const auto next = std::upper_bound(kZoomLevels.begin(), kZoomLevels.end(), FZoom);
    SetZoom(next == kZoomLevels.end() ? kZoomLevels.back() : *next);
  } else if (direction < 0) {
    const auto below = std::lower_bound(kZoomLevels.begin(), kZoomLevels.end(), FZoom);
    SetZoom(below == kZoomLevels.begin() ? kZoomLevels.front() : *std::prev(below));
  }
}

void TBrowserForm::SetZoom(int percent) {
  FZoom = std::clamp(percent, kZoomLevels.front(), kZoomLevels.back());
  if (!FView) return;
  FView->Engine().SetZoom(FZoom);
  FView->ShowStatusNote("Zoom " + std::to_string(FZoom) + "%");
}
