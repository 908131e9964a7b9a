#pragma once
// Controllers: the links between a setting value and whoever shows or
// watches it. A value broadcasts each change to its controllers; a
// controller turns the set of kinds into its events and, for a viewer
// controller, a refresh of the control it drives (its viewer).
//
// Viewer families derive one base from TScrValueViewerControllerAncestor
// holding a reference to their viewer; the pairing of the two is
// controls/viewer.h's.
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
