#pragma once
// The controllers of check boxes, radio buttons and text (label) viewers.
//
// A group of radio buttons acts as a group through its value: checking one
// writes the value, and every button of the group reads it back, so the
// others uncheck.
#include <string>

#include "controls/families.h"
#include "controls/viewer.h"
#include "values/screenmode.h"
#include "values/typed.h"

// ---- Check box -----------------------------------------------------------------------

// Any boolean, the shared system booleans included.
class TScrCheckBoxBooleanController : public TScrTypedController<TScrCheckBoxController, TScrVCustomBoolean> {
  TK_CLASS(TScrCheckBoxBooleanController)
  explicit TScrCheckBoxBooleanController(TComponent* owner) : TScrTypedController(owner) {}
  bool GetChecked() override;
  void SetChecked(bool checked) override;
};

// ---- Radio buttons -------------------------------------------------------------------

// One button for true, one for false (ForTruth tells which this is).
class TScrRadioButtonBooleanController : public TScrTypedController<TScrRadioButtonController, TScrVBoolean> {
  TK_CLASS(TScrRadioButtonBooleanController)
  explicit TScrRadioButtonBooleanController(TComponent* owner) : TScrTypedController(owner) {}
  // Without a value the button standing for false shows checked.
  bool GetChecked() override;
  // Checking writes ForTruth; unchecking writes nothing.
  void SetChecked(bool checked) override;

  bool ForTruth() const { return forTruth_; }
  void SetForTruth(bool forTruth);

  void Assign(TPersistent* source) override;
  std::string GetTitle() override;
  // A button for true, then one for false.
  void EnumControllersOfValue(TComponent* owner, TScrValue* value, TList<TScrValueController>& list) override;

 private:
  bool forTruth_ = true;
};

// One button per range of an index value.
class TScrRadioButtonIndexController : public TScrTypedController<TScrRadioButtonController, TScrVCustomIndex> {
  TK_CLASS(TScrRadioButtonIndexController)
  explicit TScrRadioButtonIndexController(TComponent* owner) : TScrTypedController(owner) {}
  bool GetChecked() override;
  // Writes Index when checked and Index names one of the value's ranges.
  void SetChecked(bool checked) override;

  int Index() const { return index_; }
  void SetIndex(int index);

  void Assign(TPersistent* source) override;
  std::string GetTitle() override;
  // One button per range, Index 0, 1, 2 ...
  void EnumControllersOfValue(TComponent* owner, TScrValue* value, TList<TScrValueController>& list) override;

 private:
  int index_ = -1;
};

// ---- Text ------------------------------------------------------------------------------
// Each writes the empty text while it has no value.

template <class V>
using TScrTypedTextController = TScrTypedController<TScrTextController, V>;

class TScrTextStringController : public TScrTypedTextController<TScrVCustomString> {
  TK_CLASS(TScrTextStringController)
  explicit TScrTextStringController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetText() override;
};

class TScrTextIntegerController : public TScrTypedTextController<TScrVCustomInteger> {
  TK_CLASS(TScrTextIntegerController)
  explicit TScrTextIntegerController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetText() override;
};

// The caption of the range holding the integer; empty when none does.
class TScrTextIntegerRangeController : public TScrTextIntegerController {
  TK_CLASS(TScrTextIntegerRangeController)
  explicit TScrTextIntegerRangeController(TComponent* owner) : TScrTextIntegerController(owner) {}
  std::string GetText() override;
};

class TScrTextDoubleController : public TScrTypedTextController<TScrVCustomDouble> {
  TK_CLASS(TScrTextDoubleController)
  explicit TScrTextDoubleController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetText() override;
};

// The caption of the range holding the real; empty when none does.
class TScrTextDoubleRangeController : public TScrTextDoubleController {
  TK_CLASS(TScrTextDoubleRangeController)
  explicit TScrTextDoubleRangeController(TComponent* owner) : TScrTextDoubleController(owner) {}
  std::string GetText() override;
};

// The caption of the chosen range; empty for index -1 (or one beyond the ranges).
class TScrTextIndexController : public TScrTypedTextController<TScrVCustomIndex> {
  TK_CLASS(TScrTextIndexController)
  explicit TScrTextIndexController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetText() override;
};

class TScrTextScreenModeController : public TScrTypedTextController<TScrVScreenMode> {
  TK_CLASS(TScrTextScreenModeController)
  explicit TScrTextScreenModeController(TComponent* owner) : TScrTypedController(owner) {}
  std::string GetText() override;
};

// Tells whether the hot-corner service is there. It takes no value.
class TScrTextHotServicesController : public TScrTextController {
  TK_CLASS(TScrTextHotServicesController)
  explicit TScrTextHotServicesController(TComponent* owner) : TScrTextController(owner) {}
  void SetValue(TScrValue* value) override { (void)value; }
  std::string GetText() override;
  // Asked once, then remembered.
  bool GetHots();
  // Asks again; a new answer rewrites the text.
  void Recheck();

 private:
  bool hots_ = false;
  bool checked_ = false;
};

extern const char* const kHotServicesText;
extern const char* const kNoHotServicesText;
