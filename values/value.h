#pragma once
// The value model: a setting as a non-visual component that loads itself
// from the registry on first use and tells its controllers what changed.
#include <cstdint>
#include <string>

#include "toolkit/classes.h"

enum TValueNotification { vnRange, vnName, vnChange, vnLink, vnRemove };
using TValueNotifications = TSet<TValueNotification>;

// The listener side (linking, events, viewers) is values/controller.h; a
// value only calls a controller's ValueNotification.
class TScrValueController;

// The base of every setting value.
//
// Notifications: Changed(kind) adds the kind to a pending set and delivers
// it to every attached controller unless an update bracket is open or no
// controller was ever attached; closing the outermost bracket delivers what
// is pending. A load runs inside a bracket, so each load is one delivery.
class TScrValue : public TComponent {
  TK_CLASS(TScrValue)
  explicit TScrValue(TComponent* owner);
  ~TScrValue() override;

  // Reads the setting (or its default) from the registry. The first load
  // notifies nobody; every later one notifies vnChange.
  virtual void LoadFromRegistry() = 0;
  // Loads if needed, then writes the setting.
  virtual void SaveToRegistry() = 0;
  // Loads the value unless it was loaded already.
  virtual void ValueNeeded();
  virtual void AddValueNotification(TScrValueController* controller);
  virtual void RemoveValueNotification(TScrValueController* controller);
  virtual void SetUpdating(bool updating);
  virtual void Changed(TValueNotification kind);
  virtual void HandleChange();
  // The path template with "<project>" and "<name>" expanded.
  virtual std::string GetRegistryPath() const;
  virtual void SetRegistryPath(const std::string& pathTemplate);

  void SetName(const std::string& newName) override;

  bool IsLoaded() const { return loaded_; }
  const std::string& RegistryPathTemplate() const { return registryPath_; }
  // The attached controllers, in order of attachment.
  int ControllerCount() const { return controllers_ ? controllers_->Count() : 0; }
  TScrValueController* Controllers(int i) const;
  int UpdateDepth() const { return updateDepth_; }
  TValueNotifications Pending() const { return pending_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  bool IsDesigning() const { return ComponentState().Contains(csDesigning); }

  // The frame every load runs in: `read` stores the stored or the default
  // setting; a load of a loaded value notifies vnChange unless the class
  // reports its changes itself (`notifiesItself`). The bracket is closed
  // outside any destructor, so a listener that throws while the gathered
  // kinds are delivered reaches the caller like any other failure.
  template <class Read>
  void LoadFrame(Read read, bool notifiesItself = false) {
    SetUpdating(true);
    try {
      const bool wasLoaded = loaded_;
      read();
      if (wasLoaded && !notifiesItself) Changed(vnChange);
      loaded_ = true;
    } catch (...) {
      --updateDepth_;  // what was gathered stays pending for the next delivery
      throw;
    }
    SetUpdating(false);
  }

 private:
  bool loaded_ = false;
  TList<TScrValueController>* controllers_ = nullptr;
  std::int32_t updateDepth_ = 0;
  TValueNotifications pending_;
  std::string registryPath_;
};

// The template every value starts with.
extern const char* const kDefaultRegistryPath;
