// TTrayIconMan: the program's icon in the notification area. A left click
// runs its handler (the main window's show/hide), a right click pops up its
// menu; the second click of a double click only brings the window forward;
// while disabled (a modal dialog is open) it reacts to nothing; when the tray
// restarts the icon is added again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the icon's window reports.
class TrayIconEvents {
 public:
  virtual ~TrayIconEvents() = default;
  virtual void LeftButtonUp() = 0;
  virtual void RightButtonUp() = 0;
  // The notification area (re)started.
  virtual void TaskbarCreated() = 0;
};

class TrayIconView {
 public:
  virtual ~TrayIconView() = default;
  // Adds the program's icon with this tip (again, after the tray restarted).
  virtual void AddIcon(const std::string& tip) = 0;
  virtual void RemoveIcon() = 0;
  // Pops the menu up at the pointer, once the program's window is in front.
  virtual void PopupMenu() = 0;
  // The window the icon belongs to (the main window): visible, and brought forward.
  virtual bool OwnerVisible() const = 0;
  virtual void BringOwnerToFront() = 0;
  // Milliseconds since the system started (wrapping at 2^32), and the
  // longest gap between the two clicks of a double click.
  virtual std::uint32_t TickCount() const = 0;
  virtual std::uint32_t DoubleClickTime() const = 0;
};

class TTrayIconMan : public TrayIconEvents {
 public:
  // The window is attached later (SetView), as it reports to this object.
  TTrayIconMan() = default;
  ~TTrayIconMan() override { RemoveIcon(); }
  TTrayIconMan(const TTrayIconMan&) = delete;
  TTrayIconMan& operator=(const TTrayIconMan&) = delete;

  void SetView(std::unique_ptr<TrayIconView> view);
  // Shows the icon; nothing when it is shown already.
  void Install(const std::string& tip, bool rightMenu, std::function<void()> onLeftClick);
  void SetEnabled(bool enabled) { FEnabled = enabled; }
  void RemoveIcon();
  bool Active() const { return FActive; }

  void LeftButtonUp() override { Click(FOnLeftClick, false); }
  void RightButtonUp() override { Click(nullptr, FRightMenu); }
  void TaskbarCreated() override;

 private:
  void Click(const std::function<void()>& handler, bool menu);

  std::unique_ptr<TrayIconView> FView;
  std::string FTip;
  bool FActive = false;
  bool FEnabled = true;
  bool FRightMenu = false;
  std::function<void()> FOnLeftClick;
  std::uint32_t FBaseTick = 0;
  std::uint32_t FNextClickTick = 0;
};
