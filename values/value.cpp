#include "values/value.h"

#include "values/controller.h"
#include "values/registry.h"
#include "values/values.h"

namespace {
// Every program that holds a value links this unit, so the value classes are
// registered and the core's hooks filled before main runs.
[[maybe_unused]] const bool gInstalled = (ScrInstallValues(), true);
}  // namespace

const char* const kDefaultRegistryPath = "Software\\Vantrel\\<project>\\<name>";

const TMetaClass& TScrValue::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrValue>("TScrValue", &TComponent::StaticClass());
  return cls;
}

TScrValue::TScrValue(TComponent* owner) : TComponent(owner), registryPath_(kDefaultRegistryPath) {}

TScrValue::~TScrValue() {
  // Controllers learn of the end through their own free notification.
  if (controllers_) {
    for (int i = 0; i < controllers_->Count(); ++i) controllers_->SetItems(i, nullptr);
    delete controllers_;
    controllers_ = nullptr;
  }
}

TScrValueController* TScrValue::Controllers(int i) const {
  if (!controllers_) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return controllers_->Items(i);
}

void TScrValue::ValueNeeded() {
  if (!loaded_) LoadFromRegistry();
}

void TScrValue::AddValueNotification(TScrValueController* controller) {
  if (!controllers_) controllers_ = new TList<TScrValueController>;
  if (!controller) return;
  if (controllers_->IndexOf(controller) < 0) controllers_->Add(controller);
  FreeNotification(controller);
}

void TScrValue::RemoveValueNotification(TScrValueController* controller) {
  if (controllers_) controllers_->Remove(controller);
}

void TScrValue::SetUpdating(bool updating) {
  updateDepth_ += updating ? 1 : -1;
  if (updateDepth_ == 0 && !pending_.Empty()) HandleChange();
}

void TScrValue::Changed(TValueNotification kind) {
  pending_.Include(kind);
  HandleChange();
}

void TScrValue::HandleChange() {
  if (updateDepth_ > 0 || !controllers_) return;
  const TValueNotifications ns = pending_;
  pending_ = TValueNotifications();
  // A controller may detach itself or others while it is told; each one
  // still attached is told once.
  std::vector<TScrValueController*> snapshot;
  for (int i = 0; i < controllers_->Count(); ++i) snapshot.push_back(controllers_->Items(i));
  for (TScrValueController* c : snapshot)
    if (c && controllers_ && controllers_->IndexOf(c) >= 0) c->ValueNotification(ns);
}

std::string TScrValue::GetRegistryPath() const {
  if (IsDesigning()) return registryPath_;
  return scrreg::ExpandPath(registryPath_, scrreg::ApplicationTitle(), Name());
}

void TScrValue::SetRegistryPath(const std::string& pathTemplate) { registryPath_ = pathTemplate; }

void TScrValue::SetName(const std::string& newName) {
  TComponent::SetName(newName);
  Changed(vnName);
}

void TScrValue::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && controllers_) {
    // Compared as components: a controller torn down by a plain delete is no
    // longer a controller when it tells us.
    for (int i = 0; i < controllers_->Count(); ++i) {
      if (static_cast<TComponent*>(controllers_->Items(i)) == component) {
        controllers_->SetItems(i, nullptr);
        controllers_->Delete(i);
        break;
      }
    }
  }
  TComponent::Notification(component, operation);
}
