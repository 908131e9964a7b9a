#pragma once
// A family member that takes one class of value, V, and keeps a typed
// reference to it, refreshed on every link: values of other classes are not
// linked.
#include "values/controller.h"

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
