#pragma once
// The two halves every viewer family is made of:
//
// - TScrViewer<Base, Controller, Self>: a dialog control (Base) that shows a
//   setting through its family's Controller. It publishes `Controller`,
//   owns a controller nested in it in a form resource ("Controller1"),
//   pairs with it after loading, and goes blank when its controller goes.
//   Self provides `ValueChanged(ns)` (refresh from the controller, ignored
//   while busy) and `Blank()`.
// - TScrSingleViewerController<Viewer>: a family base holding one viewer;
//   it refreshes the viewer by the family rule: a new link adds the kinds a
//   full refresh needs, and the viewer is told whenever the set holds one
//   of the kinds it reacts to.
#include "values/controller.h"

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

// The controller's half of the pairing, for SetViewer of a family base
// `self` whose viewer reference is `slot`. The previous viewer lets go of
// the controller (without destroying it, even when it owns it); the new one
// is asked to take it. A viewer that took a copy instead (the controller
// has no owner) is not kept.
template <class Viewer, class Self>
void PairViewer(Self* self, Viewer*& slot, Viewer* viewer) {
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
void ForgetViewer(Viewer*& slot, TComponent* component, TOperation operation) {
  if (operation == opRemove && slot && static_cast<TComponent*>(slot) == component) slot = nullptr;
}

template <class Base, class Ctl, class Self>
class TScrViewer : public Base {
 public:
  using ControllerType = Ctl;
  using Link = TScrViewerLink<Ctl, Self>;

  TScrViewer(TComponent* owner, TValueNotifications fullRefresh)
      : Base(owner), link_(static_cast<Self*>(this), fullRefresh) {}

  Ctl* Controller() const { return link_.Get(); }
  void SetController(Ctl* controller) { link_.Set(controller); }
  Link& ControllerLink() { return link_; }
  // Objects nested in the viewer in a form resource belong to it.
  TComponent* GetChildOwner() override { return this; }

 protected:
  void Loaded() override {
    Base::Loaded();
    link_.Loaded();
  }
  void Notification(TComponent* component, TOperation operation) override {
    link_.Notification(component, operation);
    Base::Notification(component, operation);
  }
  // The user changed the control: may it be written to the controller?
  bool CanWrite() const {
    return link_.Get() && !link_.Busy() && !this->ComponentState().Contains(csDesigning);
  }
  // Holds the busy flag for its lifetime.
  using Busy = typename Link::BusyScope;

  Link link_;
};

template <class Viewer>
class TScrSingleViewerController : public TScrValueViewerControllerAncestor {
 public:
  // `fullRefresh`: what a link adds, and what the viewer reacts to.
  TScrSingleViewerController(TComponent* owner, TValueNotifications fullRefresh)
      : TScrValueViewerControllerAncestor(owner), fullRefresh_(fullRefresh) {}

  Viewer* GetViewer() const { return viewer_; }
  virtual void SetViewer(Viewer* viewer) {
    PairViewer(static_cast<typename Viewer::ControllerType*>(this), viewer_, viewer);
  }
  bool CanControlViewer(TComponent* component) override { return dynamic_cast<Viewer*>(component) != nullptr; }

  void VNotify(TValueNotifications ns) override {
    TScrValueViewerControllerAncestor::VNotify(ns);
    ns = ForViewer(ns, fullRefresh_);
    if (!(ns * fullRefresh_).Empty() && viewer_) viewer_->ValueChanged(ns);
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    ForgetViewer(viewer_, component, operation);
    TScrValueViewerControllerAncestor::Notification(component, operation);
  }

 private:
  Viewer* viewer_ = nullptr;
  TValueNotifications fullRefresh_;
};

// A typed leaf of a family: it takes values of class V only (any other is
// ignored and the previous link stays) and keeps the linked value as V,
// refreshed on every link before the family's handling runs.
template <class Family, class V>
class TScrTypedController : public Family {
 public:
  explicit TScrTypedController(TComponent* owner) : Family(owner) {}
  void SetValue(TScrValue* value) override {
    if (value && !dynamic_cast<V*>(value)) return;
    Family::SetValue(value);
  }
  void VNotify(TValueNotifications ns) override {
    if (ns.Contains(vnLink)) typed_ = this->template ValueAs<V>();
    Family::VNotify(ns);
  }

 protected:
  V* typed_ = nullptr;
};

// The kinds a full refresh needs, by family.
inline TValueNotifications RangeAndChange() { return TValueNotifications{vnRange, vnChange}; }
inline TValueNotifications ChangeOnly() { return TValueNotifications{vnChange}; }
