#pragma once
// Menu items and the popup menu. The items form a tree (streamed as nested
// objects); the system menu is built from it each time it pops up, so
// changes to captions, checks and visibility always show.
#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/classes.h"

class TMenuItem : public TComponent {
  TK_CLASS(TMenuItem)
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v) { default_ = v; }
  // Checking a radio item unchecks the radio items of its GroupIndex.
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v) { radioItem_ = v; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const;
  TMenuItem* Parent() const { return parent_; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();  // frees the items

  void SetParentComponent(TComponent* parent) override;
  virtual void Click();

  TNotifyEvent OnClick;

 private:
  friend class TPopupMenu;
  // Appends this item's children to `menu`; ids number them in `byId`.
  void Build(HMENU menu, std::vector<TMenuItem*>& byId) const;

  std::string caption_;
  bool checked_ = false, enabled_ = true, visible_ = true, default_ = false, radioItem_ = false;
  int groupIndex_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
};

class TControl;

// A menu shown at a point. With AutoPopup a control whose PopupMenu it is
// shows it on a right click (or the context-menu key).
class TPopupMenu : public TComponent {
  TK_CLASS(TPopupMenu)
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return items_; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  // The control the menu was last shown for.
  // The control the menu was last shown for (forgotten when it goes).
  TControl* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TControl* c);

  // Shows the menu at the screen point and waits for the choice; the item
  // chosen gets Click() after the menu has closed (unless the menu went
  // while it was open).
  virtual void Popup(int x, int y);

  TNotifyEvent OnPopup;

  TComponent* GetChildOwner() override { return nullptr; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TMenuItem* items_;
  bool autoPopup_ = true;
  TControl* popupComponent_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
