#pragma once
// A minimal viewer family for the controller tests: a plain component that
// "shows" a position within a range, the family's base controller, and an
// integer leaf. Real dialog controls pair with their controllers the same way.
#include <string>
#include <vector>

#include "controls/viewer.h"
#include "toolkit/datamodule.h"
#include "values/values.h"

class TTestViewer;

class TTestViewerController : public TScrValueViewerControllerAncestor {
  TK_CLASS(TTestViewerController)
  explicit TTestViewerController(TComponent* owner) : TScrValueViewerControllerAncestor(owner) {}

  TTestViewer* Viewer() const { return viewer_; }
  virtual void SetViewer(TTestViewer* viewer) { PairViewer(this, viewer_, viewer); }
  bool CanControlViewer(TComponent* component) override;
  void VNotify(TValueNotifications ns) override;

  // What the viewer shows, and its writes; fallback figures without a value.
  virtual int GetMin() { return 0; }
  virtual int GetMax() { return 100; }
  virtual int GetPosition() { return 10; }
  virtual void SetPosition(int) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TTestViewer* viewer_ = nullptr;
};

class TTestIntegerController : public TTestViewerController {
  TK_CLASS(TTestIntegerController)
  explicit TTestIntegerController(TComponent* owner) : TTestViewerController(owner) {}

  void SetValue(TScrValue* value) override;  // integer values only
  void VNotify(TValueNotifications ns) override;
  int GetMin() override { return typed_ ? typed_->GetMin() : TTestViewerController::GetMin(); }
  int GetMax() override { return typed_ ? typed_->GetMax() : TTestViewerController::GetMax(); }
  int GetPosition() override { return typed_ ? typed_->GetValue() : TTestViewerController::GetPosition(); }
  void SetPosition(int position) override {
    if (typed_) typed_->SetValue(position);
  }

 private:
  TScrVCustomInteger* typed_ = nullptr;
};

class TTestViewer : public TComponent {
  TK_CLASS(TTestViewer)
  explicit TTestViewer(TComponent* owner) : TComponent(owner) {}

  TTestViewerController* Controller() const { return link_.Get(); }
  void SetController(TTestViewerController* controller) { link_.Set(controller); }
  TScrViewerLink<TTestViewerController, TTestViewer>& ControllerLink() { return link_; }

  // Refresh from the controller: range, then position.
  void ValueChanged(TValueNotifications ns);
  void Blank();
  // The user moves the control.
  void UserMoves(int position);

  int min = -1, max = -1, position = -1;
  std::vector<TValueNotifications> refreshes;

  TComponent* GetChildOwner() override { return this; }

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TScrViewerLink<TTestViewerController, TTestViewer> link_{this, TValueNotifications{vnRange, vnChange}};
};

// The roots streamed from the test resources.
class TTestSettings : public TDataModule {
  TK_CLASS(TTestSettings)
  explicit TTestSettings(TComponent* owner) : TDataModule(owner) {}
  TScrVInteger* x = nullptr;
  TScrVScreenMode* Mode = nullptr;
};

class TTestDialog : public TDataModule {
  TK_CLASS(TTestDialog)
  explicit TTestDialog(TComponent* owner) : TDataModule(owner) {}
  TTestViewer* Viewer1 = nullptr;
  TTestViewer* Viewer2 = nullptr;
  TTestIntegerController* Shared = nullptr;
  TScrValueController* Watcher = nullptr;
  std::vector<std::string> log;
  void SharedChange(TObject* sender);
  void WatcherNotify(TObject* sender, TValueNotifications ns);
};

void RegisterTestViewerClasses();
