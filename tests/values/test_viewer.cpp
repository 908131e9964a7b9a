#include "test_viewer.h"

const TMetaClass& TTestViewerController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestViewerController>("TTestViewerController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

bool TTestViewerController::CanControlViewer(TComponent* component) {
  return dynamic_cast<TTestViewer*>(component) != nullptr;
}

void TTestViewerController::VNotify(TValueNotifications ns) {
  TScrValueViewerControllerAncestor::VNotify(ns);
  ns = ForViewer(ns, TValueNotifications{vnRange, vnChange});
  if (!(ns * TValueNotifications{vnRange, vnChange}).Empty() && viewer_) viewer_->ValueChanged(ns);
}

void TTestViewerController::Notification(TComponent* component, TOperation operation) {
  ForgetViewer(viewer_, component, operation);
  TScrValueViewerControllerAncestor::Notification(component, operation);
}

const TMetaClass& TTestIntegerController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestIntegerController>("TTestIntegerController", &TTestViewerController::StaticClass());
  return cls;
}

void TTestIntegerController::SetValue(TScrValue* value) {
  if (value && !dynamic_cast<TScrVCustomInteger*>(value)) return;
  TTestViewerController::SetValue(value);
}

void TTestIntegerController::VNotify(TValueNotifications ns) {
  if (ns.Contains(vnLink)) typed_ = ValueAs<TScrVCustomInteger>();
  TTestViewerController::VNotify(ns);
}

const TMetaClass& TTestViewer::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestViewer>("TTestViewer", &TComponent::StaticClass(), [](TClassBuilder<TTestViewer>& b) {
        b.Component<TTestViewerController>("Controller", &TTestViewer::Controller, &TTestViewer::SetController);
      });
  return cls;
}

void TTestViewer::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  decltype(link_)::BusyScope busy(link_);
  refreshes.push_back(ns);
  if (TTestViewerController* c = Controller()) {
    min = c->GetMin();
    max = c->GetMax();
    position = c->GetPosition();
  }
}

void TTestViewer::Blank() {
  min = 0;
  max = 100;
  position = 10;
}

void TTestViewer::UserMoves(int newPosition) {
  position = newPosition;
  if (!Controller() || link_.Busy() || ComponentState().Contains(csDesigning)) return;
  decltype(link_)::BusyScope busy(link_);
  Controller()->SetPosition(newPosition);
}

void TTestViewer::Loaded() {
  TComponent::Loaded();
  link_.Loaded();
}

void TTestViewer::Notification(TComponent* component, TOperation operation) {
  link_.Notification(component, operation);
  TComponent::Notification(component, operation);
}

const TMetaClass& TTestSettings::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestSettings>("TTestSettings", &TDataModule::StaticClass(), [](TClassBuilder<TTestSettings>& b) {
        b.Field("x", &TTestSettings::x);
        b.Field("Mode", &TTestSettings::Mode);
      });
  return cls;
}

void TTestDialog::SharedChange(TObject* sender) {
  log.push_back(std::string("Shared change ") + (sender ? static_cast<TComponent*>(sender)->Name() : "nil"));
}

void TTestDialog::WatcherNotify(TObject* sender, TValueNotifications ns) {
  log.push_back("Watcher " + std::to_string(ns.Bits()) + (sender ? " value" : " nil"));
}

const TMetaClass& TTestDialog::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TTestDialog>("TTestDialog", &TDataModule::StaticClass(), [](TClassBuilder<TTestDialog>& b) {
        b.Field("Viewer1", &TTestDialog::Viewer1);
        b.Field("Viewer2", &TTestDialog::Viewer2);
        b.Field("Shared", &TTestDialog::Shared);
        b.Field("Watcher", &TTestDialog::Watcher);
        b.Method("SharedChange", &TTestDialog::SharedChange);
        b.Method("WatcherNotify", &TTestDialog::WatcherNotify);
      });
  return cls;
}

void RegisterTestViewerClasses() {
  RegisterClasses({&TTestViewer::StaticClass(), &TTestIntegerController::StaticClass(),
                   &TTestSettings::StaticClass(), &TTestDialog::StaticClass()});
}
