#include "forms/tray_icon.h"

void TTrayIconMan::SetView(std::unique_ptr<TrayIconView> view) {
  FView = std::move(view);
  FBaseTick = FView ? FView->TickCount() : 0;
  FNextClickTick = 0;
}

void TTrayIconMan::Install(const std::string& tip, bool rightMenu,
                           std::function<void()> onLeftClick) {
  if (FActive || !FView) return;
  FTip = tip;
  FView->AddIcon(tip);
  FRightMenu = rightMenu;
  FOnLeftClick = std::move(onLeftClick);
  FActive = true;
}

void TTrayIconMan::RemoveIcon() {
  if (!FActive) return;
  FView->RemoveIcon();
  FActive = false;
}

void TTrayIconMan::TaskbarCreated() {
  if (FActive) FView->AddIcon(FTip);
}

// A click within the double-click time of the one before is the second click
// of a double click: it only brings the window forward. Tick counts compare
// unsigned; when the counter wraps, the next click counts as a first one.
void TTrayIconMan::Click(const std::function<void()>& handler, bool menu) {
  if (!FEnabled || !FView) return;
  const std::uint32_t now = FView->TickCount();
  if (now < FBaseTick) {
    FBaseTick = now;
    FNextClickTick = 0;
  }
  if (handler) {
    if (now >= FNextClickTick) {
      FNextClickTick = now + FView->DoubleClickTime() + 55;
      handler();
    } else if (FView->OwnerVisible()) {
      FView->BringOwnerToFront();
    }
  }
  if (menu) FView->PopupMenu();
}
