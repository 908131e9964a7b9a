#include "values/controller.h"

#include <vector>

#include "toolkit/datamodule.h"
#include "values/pascreate.h"

const TMetaClass& TScrValueController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrValueController>(
      "TScrValueController", &TComponent::StaticClass(), [](TClassBuilder<TScrValueController>& b) {
        b.Component<TScrValue>("Value", &TScrValueController::Value, &TScrValueController::SetValue);
        b.Event<TNotifyEvent>("OnRange", &TScrValueController::OnRange);
        b.Event<TNotifyEvent>("OnName", &TScrValueController::OnName);
        b.Event<TNotifyEvent>("OnChange", &TScrValueController::OnChange);
        b.Event<TNotifyEvent>("OnLink", &TScrValueController::OnLink);
        b.Event<TNotifyEvent>("OnRemove", &TScrValueController::OnRemove);
        b.Event<TValueNotifyEvent>("OnNotify", &TScrValueController::OnNotify);
      });
  return cls;
}

void TScrValueController::ValueNotification(TValueNotifications ns) { VNotify(ns); }

void TScrValueController::EnumControllersOfValue(TComponent* owner, TScrValue* value,
                                                 TList<TScrValueController>& list) {
  if (!value) return;
  TScrValue* previous = value_;
  SetValue(value);
  if (value_ != value) return;  // not a value this class takes
  list.Add(CreateCopy(owner));
  SetValue(previous);
}

TScrValueController* TScrValueController::CreateCopy(TComponent* owner) {
  auto* copy = static_cast<TScrValueController*>(ScrCreateOwnedComponent(owner, ClassType()));
  try {
    copy->Assign(this);
  } catch (...) {
    copy->Free();
    throw;
  }
  return copy;
}

void TScrValueController::SetValue(TScrValue* value) {
  if (value == value_) return;
  if (TScrValue* old = value_) {
    value_ = nullptr;
    old->RemoveValueNotification(this);
    RemoveFreeNotification(old);
  }
  value_ = value;
  TValueNotifications ns{vnLink};
  if (value) {
    value->FreeNotification(this);
    value->AddValueNotification(this);
    ns.Include(vnRange).Include(vnName);
  }
  VNotify(ns);
}

std::string TScrValueController::GetTitle() {
  if (!value_) return std::string();
  if (TComponent* owner = value_->Owner()) return owner->Name() + "->" + value_->Name();
  return value_->Name();
}

void TScrValueController::VNotify(TValueNotifications ns) {
  if (ns.Contains(vnLink)) VLink();
  if (ns.Contains(vnName)) VName();
  if (ns.Contains(vnRange)) VRange();
  if (ns.Contains(vnChange)) VChange();
  if (ns.Contains(vnRemove)) VRemove();
  if (OnNotify) OnNotify(value_, ns);
}

void TScrValueController::VRange() { Fire(OnRange); }
void TScrValueController::VName() { Fire(OnName); }
void TScrValueController::VChange() { Fire(OnChange); }
void TScrValueController::VLink() { Fire(OnLink); }
void TScrValueController::VRemove() { Fire(OnRemove); }

void TScrValueController::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TScrValueController*>(source)) {
    SetValue(other->Value());
    return;
  }
  TComponent::Assign(source);
}

void TScrValueController::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && value_ && static_cast<TComponent*>(value_) == component) {
    value_ = nullptr;
    VNotify(TValueNotifications{vnLink, vnRemove});
  }
  TComponent::Notification(component, operation);
}

// ---- Viewer controllers ------------------------------------------------------

const TMetaClass& TScrValueViewerControllerAncestor::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrValueViewerControllerAncestor>(
      "TScrValueViewerControllerAncestor", &TScrValueController::StaticClass());
  return cls;
}

namespace {
// Forms are recognised by their class name, so this library needs no
// windowed part of the toolkit.
bool IsFormOrDataModule(const TComponent* component) {
  if (!component) return false;
  if (dynamic_cast<const TDataModule*>(component)) return true;
  for (TClass c = component->ClassType(); c; c = c->ClassParent())
    if (c->ClassName() == "TCustomForm") return true;
  return false;
}
}  // namespace

std::string TScrValueViewerControllerAncestor::GetTitle() {
  if (IsFormOrDataModule(Owner())) return Name();
  return TScrValueController::GetTitle();
}

// ---- Registration ------------------------------------------------------------

namespace {
struct ControllerClasses {
  std::vector<TClass> kept;
  TScrEnumControllersProc proc = nullptr;
};
ControllerClasses& Registered() {
  static ControllerClasses registered;
  return registered;
}
}  // namespace

void RegisterScrControllers(const TClass* classes, int lastIndex) {
  if (!classes || lastIndex < 0) return;
  for (int i = 0; i <= lastIndex; ++i)
    if (classes[i]) RegisterClass(classes[i]);
  ControllerClasses& r = Registered();
  for (int i = 0; i <= lastIndex; ++i) {
    if (!classes[i]) continue;
    if (r.proc)
      r.proc(classes[i]);
    else
      r.kept.push_back(classes[i]);
  }
}

void SetEnumScrControllersProc(TScrEnumControllersProc proc) {
  ControllerClasses& r = Registered();
  r.proc = proc;
  if (!proc) return;
  std::vector<TClass> kept;
  kept.swap(r.kept);
  for (TClass c : kept) proc(c);
}
