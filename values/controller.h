#pragma once
// Controllers: the links between a setting value and whoever shows or
// watches it. A value broadcasts each change to its controllers; a
// controller turns the set of kinds into its events and, for a viewer
// controller, a refresh of the control it drives (its viewer).
//
// Viewer families derive one base from TScrValueViewerControllerAncestor
// holding a reference to their viewer; the viewer control embeds a
// TScrViewerLink that keeps the other half of the pairing.
#include <functional>
#include <string>

#include "toolkit/classes.h"
#include "values/value.h"

// OnNotify: Sender is the linked value, `ns` the set as it arrived.
using TValueNotifyEvent = std::function<void(TObject* Sender, TValueNotifications ns)>;

class TScrValueController : public TComponent {
  TK_CLASS(TScrValueController)
  explicit TScrValueController(TComponent* owner) : TComponent(owner) {}

  TScrValue* Value() const { return value_; }

  // Called by the linked value with the kinds it gathered.
  virtual void ValueNotification(TValueNotifications ns);
  // Appends to `list` copies owned by `owner` that present `value`, one per
  // control they need; none when this class does not take such a value.
  // The controller keeps the link it had.
  virtual void EnumControllersOfValue(TComponent* owner, TScrValue* value, TList<TScrValueController>& list);
  // A controller of the same class owned by `owner`, linked to the same value.
  virtual TScrValueController* CreateCopy(TComponent* owner);
  // Links to `value` (null unlinks) and notifies itself vnLink, with vnRange
  // and vnName when there is a new value. The same value again does nothing.
  virtual void SetValue(TScrValue* value);
  // "Owner->Name" (or "Name") of the linked value; empty without one.
  virtual std::string GetTitle();
  // Dispatch in the order link, name, range, change, remove; then OnNotify.
  virtual void VNotify(TValueNotifications ns);
  virtual void VRange();
  virtual void VName();
  virtual void VChange();
  virtual void VLink();
  virtual void VRemove();

  // Copies the link to the value; events and names stay.
  void Assign(TPersistent* source) override;

  TNotifyEvent OnRange;
  TNotifyEvent OnName;
  TNotifyEvent OnChange;
  TNotifyEvent OnLink;
  TNotifyEvent OnRemove;
  TValueNotifyEvent OnNotify;

 protected:
  // Loses a value that goes and tells itself vnLink with vnRemove.
  void Notification(TComponent* component, TOperation operation) override;
  // The linked value as class T, or null.
  template <class T>
  T* ValueAs() const {
    return dynamic_cast<T*>(value_);
  }

 private:
  void Fire(const TNotifyEvent& event) {
    if (event) event(value_);
  }
  TScrValue* value_ = nullptr;
};

// The base of the controllers that drive a dialog control.
class TScrValueViewerControllerAncestor : public TScrValueController {
  TK_CLASS(TScrValueViewerControllerAncestor)
  explicit TScrValueViewerControllerAncestor(TComponent* owner) : TScrValueController(owner) {}

  // True when `component` is a control this class can drive.
  virtual bool CanControlViewer(TComponent* component) = 0;
  // A controller placed on a form or data module is titled by its own name;
  // one embedded in its viewer by its value.
  std::string GetTitle() override;

 protected:
  // The set a family hands its viewer: on a new link, with what a full
  // refresh needs (`onLink`) added.
  static TValueNotifications ForViewer(TValueNotifications ns, TValueNotifications onLink) {
    return ns.Contains(vnLink) ? ns + onLink : ns;
  }

  // The controller's half of SetViewer for a family base whose viewer
  // reference is `slot`. The previous viewer lets go of this controller
  // (without destroying it, even when it owns it); the new one is asked to
  // take it. A viewer that took a copy instead (this controller has no
  // owner) is not kept.
  template <class Viewer, class Self>
  static void PairViewer(Self* self, Viewer*& slot, Viewer* viewer) {
    if (viewer == slot) return;
    if (Viewer* old = slot) {
      slot = nullptr;
      old->ControllerLink().Release(self);
    }
    slot = viewer;
    if (!viewer) return;
    self->FreeNotification(viewer);
    viewer->SetController(self);
    if (viewer->Controller() != self && slot == viewer) slot = nullptr;
  }
  // For Notification: forget a viewer that goes.
  template <class Viewer>
  static void ForgetViewer(Viewer*& slot, TComponent* component, TOperation operation) {
    if (operation == opRemove && slot && static_cast<TComponent*>(slot) == component) slot = nullptr;
  }
};

// The viewer's half of the pairing, kept by every viewer control. `Viewer`
// provides SetController (calling this link's), Controller(), ValueChanged
// and Blank; `Controller` is its family's base with SetViewer.
//
// The viewer forwards to it from SetController, Notification and Loaded,
// answers itself as the owner of objects nested in it in a form resource,
// and writes StoredController() (and only that) as its child object.
template <class Controller, class Viewer>
class TScrViewerLink {
 public:
  // `fullRefresh`: what ValueChanged gets when a controller is attached.
  TScrViewerLink(Viewer* viewer, TValueNotifications fullRefresh) : viewer_(viewer), fullRefresh_(fullRefresh) {}
  TScrViewerLink(const TScrViewerLink&) = delete;
  TScrViewerLink& operator=(const TScrViewerLink&) = delete;

  Controller* Get() const { return controller_; }
  // The controller a form resource holds inside the viewer: one it owns.
  Controller* StoredController() const {
    return controller_ && controller_->Owner() == viewer_ ? controller_ : nullptr;
  }

  // Attaches `controller` (null detaches; the control keeps what it shows).
  // A controller the viewer owned is destroyed when replaced; any other is
  // let go. A controller without owner is not taken itself: a copy owned by
  // the viewer, named "Controller1", is attached instead.
  void Set(Controller* controller) {
    if (controller == controller_) return;
    if (Controller* old = controller_) {
      controller_ = nullptr;
      if (old->Owner() == viewer_)
        old->Free();
      else
        old->SetViewer(nullptr);
    }
    if (!controller) return;
    if (!controller->Owner()) {
      auto* copy = static_cast<Controller*>(controller->CreateCopy(viewer_));
      if (!viewer_->FindComponent(kEmbeddedName)) copy->SetName(kEmbeddedName);
      controller = copy;
    }
    controller_ = controller;
    viewer_->FreeNotification(controller);
    controller->SetViewer(viewer_);
    if (controller_ == controller) viewer_->ValueChanged(fullRefresh_);
  }

  // Called by a controller that moves to another viewer.
  void Release(Controller* controller) {
    if (controller_ == controller && controller) controller_ = nullptr;
  }

  // From the viewer's Notification, before the inherited handling: a
  // controller that goes leaves the viewer blank.
  void Notification(TComponent* component, TOperation operation) {
    if (operation != opRemove || !controller_ || static_cast<TComponent*>(controller_) != component) return;
    controller_ = nullptr;
    if (!viewer_->ComponentState().Contains(csDestroying)) viewer_->Blank();
  }

  // From the viewer's Loaded: pairs with the embedded "Controller1" when it
  // is of the family.
  void Loaded() {
    if (auto* embedded = dynamic_cast<Controller*>(viewer_->FindComponent(kEmbeddedName)))
      if (embedded->Owner() == viewer_) viewer_->SetController(embedded);
  }

  // The busy flag: a viewer writes to its controller only when not busy, and
  // ignores refreshes while it is.
  bool Busy() const { return busy_; }
  class BusyScope {
   public:
    explicit BusyScope(TScrViewerLink& link) : link_(link), was_(link.busy_) { link_.busy_ = true; }
    ~BusyScope() { link_.busy_ = was_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    TScrViewerLink& link_;
    bool was_;
  };

  static constexpr const char* kEmbeddedName = "Controller1";

 private:
  Viewer* viewer_;
  Controller* controller_ = nullptr;
  TValueNotifications fullRefresh_;
  bool busy_ = false;
};

// ---- Registration ------------------------------------------------------------

// Receives each controller class registered.
using TScrEnumControllersProc = void (*)(TClass controllerClass);

// Registers classes[0..lastIndex] for form resources, then hands each, in
// order, to the enumeration procedure, or keeps it for one set later.
void RegisterScrControllers(const TClass* classes, int lastIndex);
// Installs `proc` and hands it every class kept so far; later registrations
// go straight to it. A null procedure keeps collecting.
void SetEnumScrControllersProc(TScrEnumControllersProc proc);
