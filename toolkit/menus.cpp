#include "toolkit/menus.h"

#include <algorithm>

#include "toolkit/controls.h"
#include "toolkit/forms.h"

// ---- TMenuItem -----------------------------------------------------------------------

const TMetaClass& TMenuItem::StaticClass() {
  static const TMetaClass cls = DefineClass<TMenuItem>("TMenuItem", &TComponent::StaticClass(), [](auto& c) {
    c.String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
    c.Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked);
    c.Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled);
    c.Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible);
    c.Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault);
    c.Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem);
    c.Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex);
    c.template Event<TNotifyEvent>("OnClick", &TMenuItem::OnClick);
  });
  return cls;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  Clear();
}

TMenuItem* TMenuItem::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return items_[static_cast<std::size_t>(i)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  while (!items_.empty()) {
    TMenuItem* item = items_.back();
    Remove(item);
    if (item->Owner()) item->Free();
    else delete item;
  }
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TPopupMenu*>(parent)) menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(parent)) item->Add(this);
}

void TMenuItem::SetChecked(bool v) {
  if (checked_ == v) return;
  checked_ = v;
  if (v && radioItem_ && parent_)
    for (TMenuItem* other : parent_->items_)
      if (other != this && other->radioItem_ && other->groupIndex_ == groupIndex_) other->checked_ = false;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::Build(HMENU menu, std::vector<TMenuItem*>& byId) const {
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (item->caption_ == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | (item->enabled_ ? MF_ENABLED : MF_GRAYED) | (item->checked_ ? MF_CHECKED : 0);
    if (!item->items_.empty()) {
      HMENU sub = CreatePopupMenu();
      item->Build(sub, byId);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
      continue;
    }
    byId.push_back(item);
    const UINT id = static_cast<UINT>(byId.size());
    AppendMenuA(menu, flags, id, item->caption_.c_str());
    if (item->checked_ && item->radioItem_) CheckMenuRadioItem(menu, id, id, id, MF_BYCOMMAND);
    if (item->default_) SetMenuDefaultItem(menu, id, FALSE);
  }
}

// ---- TPopupMenu ------------------------------------------------------------------------

const TMetaClass& TPopupMenu::StaticClass() {
  static const TMetaClass cls = DefineClass<TPopupMenu>("TPopupMenu", &TComponent::StaticClass(), [](auto& c) {
    c.Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup);
    c.template Event<TNotifyEvent>("OnPopup", &TPopupMenu::OnPopup);
  });
  return cls;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
  *alive_ = false;
  delete items_;
}

void TPopupMenu::SetPopupComponent(TControl* c) {
  if (c == popupComponent_) return;
  if (popupComponent_) popupComponent_->RemoveFreeNotification(this);
  popupComponent_ = c;
  if (c) c->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
  TComponent::Notification(component, operation);
}

void TPopupMenu::Popup(int x, int y) {
  const std::shared_ptr<bool> alive = alive_;
  if (OnPopup) OnPopup(this);
  if (!*alive) return;
  std::vector<TMenuItem*> byId;
  HMENU menu = CreatePopupMenu();
  items_->Build(menu, byId);
  // The menu belongs to a window of ours that is in front, so that it
  // closes when the user clicks elsewhere.
  HWND owner = Application->Handle();
  if (auto* w = dynamic_cast<TWinControl*>(popupComponent_); w && w->HandleAllocated())
    owner = GetAncestor(w->Handle(), GA_ROOT);
  SetForegroundWindow(owner);
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr));
  DestroyMenu(menu);
  if (!*alive) return;  // freed while the menu was open
  if (IsWindow(owner)) PostMessageA(owner, WM_NULL, 0, 0);
  if (id >= 1 && id <= byId.size()) byId[id - 1]->Click();
}
