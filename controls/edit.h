#pragma once
// The edit's spin button and the edit controllers: a setting as text the
// user types (a string, an integer, a real, one channel of a colour), and
// an integer shown in a unit chosen in a list beside the edit (seconds or
// minutes of the password delay). The controller judges every text; the
// edit writes only texts it accepted.
#include <cstdint>
#include <string>

#include "controls/colorchannel.h"
#include "controls/families.h"
#include "values/typed.h"

class TScrListBoxCustomUnitsController;

// An up-down that takes its range and position from its associate when
// that is a TScrEdit: when it is associated and when its window is made.
// Without thousands separators by default, so every spun figure is one
// the edit's integer conversion reads back.
class TScrUpDown : public TCustomUpDown {
  TK_CLASS(TScrUpDown)
  explicit TScrUpDown(TComponent* owner);
  TWinControl* MyGetAssociate() const { return Associate(); }
  void MySetAssociate(TWinControl* control);

 protected:
  void CreateWnd() override;
};

template <class V>
using TScrTypedEditController = TScrTypedController<TScrEditController, V>;

class TScrEditStringController : public TScrTypedEditController<TScrVCustomString> {
  TK_CLASS(TScrEditStringController)
  explicit TScrEditStringController(TComponent* owner) : TScrTypedController(owner) {}
  bool IsTextValid(const std::string&) override { return true; }
  std::string GetText() override;
  void SetText(const std::string& text) override;
};

class TScrEditIntegerController : public TScrTypedEditController<TScrVCustomInteger> {
  TK_CLASS(TScrEditIntegerController)
  explicit TScrEditIntegerController(TComponent* owner) : TScrTypedController(owner) {}
  bool IsTextValid(const std::string& text) override;
  bool GetUpDown(int& min, int& max, int& position) override;
  std::string GetText() override;
  void SetText(const std::string& text) override;
};

// The integer divided by the multiplier of the unit its units controller
// shows: a typed n stands for n × multiplier.
class TScrEditIntegerMagnitudeController : public TScrEditIntegerController {
  TK_CLASS(TScrEditIntegerMagnitudeController)
  explicit TScrEditIntegerMagnitudeController(TComponent* owner) : TScrEditIntegerController(owner) {}
  bool CanControlViewer(TComponent* component) override;
  bool IsTextValid(const std::string& text) override;
  bool GetUpDown(int& min, int& max, int& position) override;
  std::string GetText() override;
  void SetText(const std::string& text) override;

  TScrListBoxCustomUnitsController* UnitsController() const { return units_; }
  // Set by the units controller; the edit then shows the figure in its unit.
  void SetUnitsController(TScrListBoxCustomUnitsController* units);
  // The current integer; -1 without a value.
  std::int32_t GetInteger();
  // The user chose another unit: the number shown stays and is written in
  // the new unit, when the value takes it.
  virtual void ViewUnitsChanged();

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // The chosen unit's multiplier (at least 1); false without a value or
  // without a units controller.
  bool Multiplier(std::int64_t& multiplier);
  TScrListBoxCustomUnitsController* units_ = nullptr;
};

class TScrEditDoubleController : public TScrTypedEditController<TScrVCustomDouble> {
  TK_CLASS(TScrEditDoubleController)
  explicit TScrEditDoubleController(TComponent* owner) : TScrTypedController(owner) {}
  bool IsTextValid(const std::string& text) override;
  std::string GetText() override;
  void SetText(const std::string& text) override;
};

// One 8-bit channel of a colour, 0..255: BitShift 0 red, 8 green, 16 blue.
class TScrEditColorController : public TScrColorChannelController<TScrEditController> {
  TK_CLASS(TScrEditColorController)
  explicit TScrEditColorController(TComponent* owner) : TScrColorChannelController(owner) {}
  bool IsTextValid(const std::string& text) override;
  bool GetUpDown(int& min, int& max, int& position) override;
  std::string GetText() override;
  void SetText(const std::string& text) override;
};
