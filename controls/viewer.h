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
