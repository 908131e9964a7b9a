#pragma once
// Shared pieces of the value tests: a recording controller, a scratch
// registry key removed afterwards, and raw registry writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "values/values.h"

namespace values_testing {

// Remembers every set a value delivers to it.
class RecordingController : public TScrValueController {
 public:
  explicit RecordingController(TComponent* owner = nullptr) : TScrValueController(owner) {}
  ~RecordingController() override { Unlink(); }
  // Attaches to `value`. With `flush`, the kinds the value gathered before
  // (its name and ranges while it was built) are delivered and forgotten.
  void Link(TScrValue* value, bool flush = true) {
    value_ = value;
    value->FreeNotification(this);
    value->AddValueNotification(this);
    if (flush) {
      value->HandleChange();
      sets.clear();
    }
  }
  void Unlink() {
    if (value_) value_->RemoveValueNotification(this);
    value_ = nullptr;
  }
  void ValueNotification(TValueNotifications ns) override { sets.push_back(ns); }
  std::vector<TValueNotifications> sets;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove && component == value_) value_ = nullptr;
    TScrValueController::Notification(component, operation);
  }

 private:
  TScrValue* value_ = nullptr;
};

inline TValueNotifications Only(TValueNotification kind) { return TValueNotifications{kind}; }

// A key under HKEY_CURRENT_USER\Software\Vantrel\ValuesTest, deleted with
// everything below it before and after the test.
class ScratchKey {
 public:
  ScratchKey();
  ~ScratchKey();
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
  const std::string& path() const { return path_; }
  // The full path of an entry in this key.
  std::string operator/(const std::string& entry) const { return path_ + "\\" + entry; }

  void PutRaw(const std::string& entry, DWORD type, const void* data, DWORD size) const;
  void PutNumber(const std::string& entry, DWORD number) const { PutRaw(entry, REG_DWORD, &number, sizeof number); }
  void PutText(const std::string& entry, const std::string& text) const {
    PutRaw(entry, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  // Type and bytes of an entry; false when it is missing.
  bool Get(const std::string& entry, DWORD& type, std::string& bytes) const;
  std::string Text(const std::string& entry) const;
  DWORD Number(const std::string& entry) const;
  bool Has(const std::string& entry) const;

 private:
  std::string path_;
};

// A fixture whose values are owned by one component and stored under a
// scratch key, each entry named after its value.
class ValuesFixture : public ::testing::Test {
 protected:
  ~ValuesFixture() override { form->Free(); }
  template <class V>
  V* Make(const std::string& name) {
    auto* v = new V(form);
    v->SetName(name);
    v->SetRegistryPath(reg / "<name>");
    return v;
  }
  ScratchKey reg;  // values read from here find nothing stored at first
  TComponent* form = new TComponent(nullptr);
};

}  // namespace values_testing
