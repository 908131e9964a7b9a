#pragma once
// The list and combo controllers: a setting as a choice among items (the
// value's named ranges, "false"/"true", its strings, the display's screen
// modes, a table of named colours), and the units list that sets the unit
// of an integer edit beside it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "controls/families.h"
#include "values/lists.h"
#include "values/screenmode.h"
#include "values/typed.h"

class TScrEditIntegerMagnitudeController;

template <class V>
using TScrTypedListBoxController = TScrTypedController<TScrListBoxController, V>;

// The captions of the value's named ranges (integer, real or index ranges).
template <class V>
class TScrRangesListBoxController : public TScrTypedListBoxController<V> {
 public:
  explicit TScrRangesListBoxController(TComponent* owner) : TScrTypedListBoxController<V>(owner) {}
  int GetNumRanges() override { return RangeCount(); }
  std::string GetRangeString(int i) override {
    return i >= 0 && i < RangeCount() ? this->typed_->GetRanges()->GetItem(i)->Caption() : std::string();
  }

 private:
  int RangeCount() {
    auto* ranges = this->typed_ ? this->typed_->GetRanges() : nullptr;
    return ranges ? ranges->Count() : 0;
  }
};

// The captions of the value's integer ranges; a choice writes its default.
class TScrListBoxIntegerController : public TScrRangesListBoxController<TScrVCustomInteger> {
  TK_CLASS(TScrListBoxIntegerController)
  explicit TScrListBoxIntegerController(TComponent* owner) : TScrRangesListBoxController(owner) {}
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
};

class TScrListBoxDoubleController : public TScrRangesListBoxController<TScrVCustomDouble> {
  TK_CLASS(TScrListBoxDoubleController)
  explicit TScrListBoxDoubleController(TComponent* owner) : TScrRangesListBoxController(owner) {}
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
};

class TScrListBoxIndexController : public TScrRangesListBoxController<TScrVCustomIndex> {
  TK_CLASS(TScrListBoxIndexController)
  explicit TScrListBoxIndexController(TComponent* owner) : TScrRangesListBoxController(owner) {}
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
};

// "false" and "true", with or without a value.
class TScrListBoxBooleanController : public TScrTypedListBoxController<TScrVBoolean> {
  TK_CLASS(TScrListBoxBooleanController)
  explicit TScrListBoxBooleanController(TComponent* owner) : TScrTypedController(owner) {}
  int GetNumRanges() override { return 2; }
  std::string GetRangeString(int i) override;
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
};

// The value's strings, nothing selected; the list's items, when the user's
// list changes them, go back into the value.
class TScrListBoxStringsController : public TScrTypedListBoxController<TScrVStrings> {
  TK_CLASS(TScrListBoxStringsController)
  explicit TScrListBoxStringsController(TComponent* owner) : TScrTypedController(owner) {}
  void VNotify(TValueNotifications ns) override;
  void SetContents(TStrings* strings) override;
  int GetNumRanges() override;
  std::string GetRangeString(int i) override;
  int GetItemIndex() override { return -1; }

 private:
  TStrings* Items() { return typed_ ? typed_->GetItems() : nullptr; }
};

class TScrListBoxScreenModeController : public TScrTypedListBoxController<TScrVScreenMode> {
  TK_CLASS(TScrListBoxScreenModeController)
  explicit TScrListBoxScreenModeController(TComponent* owner) : TScrTypedController(owner) {}
  int GetNumRanges() override;
  std::string GetRangeString(int i) override;
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
};

// Named colours; the last name whose colour is the value's is selected.
class TScrListBoxColorController : public TScrTypedListBoxController<TScrVColor> {
  TK_CLASS(TScrListBoxColorController)
  explicit TScrListBoxColorController(TComponent* owner) : TScrTypedController(owner) {}
  void AddColor(TColor color, const std::string& name) { colors_.emplace_back(name, color); }
  int GetNumRanges() override { return static_cast<int>(colors_.size()); }
  std::string GetRangeString(int i) override;
  int GetItemIndex() override;
  void SetItemIndex(int i) override;
  std::string GetTitle() override { return TScrTypedController::GetTitle() + "->" + suffix_; }

 protected:
  std::string suffix_ = "cols";

 private:
  std::vector<std::pair<std::string, TColor>> colors_;
};

// The sixteen colours of the VGA palette, with "LtGray" and "DkGray".
class TScrListBoxRGBColorController : public TScrListBoxColorController {
  TK_CLASS(TScrListBoxRGBColorController)
  explicit TScrListBoxRGBColorController(TComponent* owner);
};

// A list of units for the integer edit of its MagnitudeController; it
// never takes a value.
class TScrListBoxCustomUnitsController : public TScrListBoxController {
  TK_CLASS(TScrListBoxCustomUnitsController)
  explicit TScrListBoxCustomUnitsController(TComponent* owner) : TScrListBoxController(owner) {}
  void SetValue(TScrValue*) override {}
  // What one of the chosen unit is worth in the value's unit.
  virtual std::int32_t GetValueMultiplier() = 0;
  TScrEditIntegerMagnitudeController* MagnitudeController() const { return magnitude_; }
  virtual void SetMagnitudeController(TScrEditIntegerMagnitudeController* magnitude);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TScrEditIntegerMagnitudeController* magnitude_ = nullptr;
};

// Two units: Units1 (worth 1) and Units10 (worth Units10Value). The unit
// is chosen once, from the value, when first asked: the larger when the
// value is at least one of it.
class TScrListBoxTwoUnitsController : public TScrListBoxCustomUnitsController {
  TK_CLASS(TScrListBoxTwoUnitsController)
  explicit TScrListBoxTwoUnitsController(TComponent* owner) : TScrListBoxCustomUnitsController(owner) {}
  std::int32_t GetValueMultiplier() override { return GetItemIndex() == 1 ? units10Value_ : 1; }
  int GetNumRanges() override { return 2; }
  std::string GetRangeString(int i) override;
  int GetItemIndex() override;
  void SetItemIndex(int i) override;

  const std::string& Units1() const { return units1_; }
  void SetUnits1(const std::string& text) { units1_ = text; }
  const std::string& Units10() const { return units10_; }
  void SetUnits10(const std::string& text) { units10_ = text; }
  std::int32_t Units10Value() const { return units10Value_; }
  void SetUnits10Value(std::int32_t value) { units10Value_ = value; }

 private:
  std::string units1_ = "seconds";
  std::string units10_ = "minutes";
  std::int32_t units10Value_ = 60;
  int chosen_ = -1;
};
