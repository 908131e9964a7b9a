#include "controls/lists.h"

#include "controls/edit.h"
#include "galaxy/colors.h"

// ---- Integer ---------------------------------------------------------------------------------

const TMetaClass& TScrListBoxIntegerController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxIntegerController>("TScrListBoxIntegerController", &TScrListBoxController::StaticClass());
  return cls;
}

int TScrListBoxIntegerController::GetItemIndex() { return typed_ ? typed_->IndexFromInteger(typed_->GetValue()) : -1; }

void TScrListBoxIntegerController::SetItemIndex(int i) {
  if (typed_ && i >= 0 && i < GetNumRanges()) typed_->SetValue(typed_->IntegerFromIndex(i));
}

// ---- Real ------------------------------------------------------------------------------------

const TMetaClass& TScrListBoxDoubleController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxDoubleController>("TScrListBoxDoubleController", &TScrListBoxController::StaticClass());
  return cls;
}

int TScrListBoxDoubleController::GetItemIndex() { return typed_ ? typed_->IndexFromDouble(typed_->GetValue()) : -1; }

void TScrListBoxDoubleController::SetItemIndex(int i) {
  if (typed_ && i >= 0 && i < GetNumRanges()) typed_->SetValue(typed_->DoubleFromIndex(i));
}

// ---- Index ------------------------------------------------------------------------------------

const TMetaClass& TScrListBoxIndexController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxIndexController>("TScrListBoxIndexController", &TScrListBoxController::StaticClass());
  return cls;
}

int TScrListBoxIndexController::GetItemIndex() { return typed_ ? typed_->GetIndex() : -1; }

// -1 too: the value's own rules say what no choice means.
void TScrListBoxIndexController::SetItemIndex(int i) {
  if (typed_) typed_->SetIndex(i);
}

// ---- Boolean -----------------------------------------------------------------------------------

const TMetaClass& TScrListBoxBooleanController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxBooleanController>("TScrListBoxBooleanController", &TScrListBoxController::StaticClass());
  return cls;
}

std::string TScrListBoxBooleanController::GetRangeString(int i) {
  if (i == 0) return "false";
  if (i == 1) return "true";
  return "?";
}

int TScrListBoxBooleanController::GetItemIndex() {
  if (!typed_) return -1;
  return typed_->GetValue() ? 1 : 0;
}

void TScrListBoxBooleanController::SetItemIndex(int i) {
  if (typed_ && i != -1) typed_->SetValue(i == 1);
}

// ---- Strings ------------------------------------------------------------------------------------

const TMetaClass& TScrListBoxStringsController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxStringsController>("TScrListBoxStringsController", &TScrListBoxController::StaticClass());
  return cls;
}

void TScrListBoxStringsController::VNotify(TValueNotifications ns) {
  if (ns.Contains(vnLink)) typed_ = ValueAs<TScrVStrings>();
  // The events only: the list follows the value's strings, with nothing selected.
  TScrValueViewerControllerAncestor::VNotify(ns);
  if (ns.Contains(vnLink) || ns.Contains(vnChange)) SendChangedToView(TValueNotifications{vnRange});
}

void TScrListBoxStringsController::SetContents(TStrings* strings) {
  if (typed_ && strings) typed_->SetItems(strings);
}

int TScrListBoxStringsController::GetNumRanges() {
  TStrings* items = Items();
  return items ? items->Count() : 0;
}

std::string TScrListBoxStringsController::GetRangeString(int i) {
  TStrings* items = Items();
  return items && i >= 0 && i < items->Count() ? items->Strings(i) : std::string();
}

// ---- Screen mode -----------------------------------------------------------------------------------

const TMetaClass& TScrListBoxScreenModeController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrListBoxScreenModeController>("TScrListBoxScreenModeController",
                                                                             &TScrListBoxController::StaticClass());
  return cls;
}

int TScrListBoxScreenModeController::GetNumRanges() { return typed_ ? typed_->GetCount() : 0; }

std::string TScrListBoxScreenModeController::GetRangeString(int i) {
  return typed_ ? typed_->StringFromIndex(i) : std::string();
}

int TScrListBoxScreenModeController::GetItemIndex() { return typed_ ? typed_->GetIndex() : -1; }

void TScrListBoxScreenModeController::SetItemIndex(int i) {
  if (typed_ && i >= 0 && i < typed_->GetCount()) typed_->SetIndex(i);
}

// ---- Colours --------------------------------------------------------------------------------------

const TMetaClass& TScrListBoxColorController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrListBoxColorController>("TScrListBoxColorController", &TScrListBoxController::StaticClass());
  return cls;
}

std::string TScrListBoxColorController::GetRangeString(int i) {
  return i >= 0 && i < GetNumRanges() ? colors_[i].first : std::string();
}

int TScrListBoxColorController::GetItemIndex() {
  if (!typed_) return -1;
  const TColor color = typed_->GetValue();
  for (int i = GetNumRanges() - 1; i >= 0; --i)
    if (colors_[i].second == color) return i;
  return -1;
}

void TScrListBoxColorController::SetItemIndex(int i) {
  if (typed_ && i >= 0 && i < GetNumRanges()) typed_->SetValue(colors_[i].second);
}

const TMetaClass& TScrListBoxRGBColorController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrListBoxRGBColorController>("TScrListBoxRGBColorController",
                                                                           &TScrListBoxColorController::StaticClass());
  return cls;
}

TScrListBoxRGBColorController::TScrListBoxRGBColorController(TComponent* owner) : TScrListBoxColorController(owner) {
  suffix_ = "VGACols";
  // The eighteen colours of the VGA palette with LtGray and DkGray, as the
  // galaxy names them.
  for (const TNamedColor& c : kGalaxyColors) AddColor(static_cast<TColor>(c.Color), c.Name);
}

// ---- Units -------------------------------------------------------------------------------------------

const TMetaClass& TScrListBoxCustomUnitsController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrListBoxCustomUnitsController>(
      "TScrListBoxCustomUnitsController", &TScrListBoxController::StaticClass(), [](auto& c) {
        c.template Component<TScrEditIntegerMagnitudeController>(
            "MagnitudeController", &TScrListBoxCustomUnitsController::MagnitudeController,
            &TScrListBoxCustomUnitsController::SetMagnitudeController);
      });
  return cls;
}

void TScrListBoxCustomUnitsController::SetMagnitudeController(TScrEditIntegerMagnitudeController* magnitude) {
  if (magnitude == magnitude_) return;
  if (TScrEditIntegerMagnitudeController* old = magnitude_) {
    magnitude_ = nullptr;
    old->RemoveFreeNotification(this);
    old->SetUnitsController(nullptr);
  }
  magnitude_ = magnitude;
  if (!magnitude) return;
  magnitude->FreeNotification(this);
  magnitude->SetUnitsController(this);
}

void TScrListBoxCustomUnitsController::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == magnitude_) magnitude_ = nullptr;
  TScrListBoxController::Notification(component, operation);
}

const TMetaClass& TScrListBoxTwoUnitsController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrListBoxTwoUnitsController>(
      "TScrListBoxTwoUnitsController", &TScrListBoxCustomUnitsController::StaticClass(), [](auto& c) {
        c.String("Units1", &TScrListBoxTwoUnitsController::Units1, &TScrListBoxTwoUnitsController::SetUnits1);
        c.String("Units10", &TScrListBoxTwoUnitsController::Units10, &TScrListBoxTwoUnitsController::SetUnits10);
        c.Integer("Units10Value", &TScrListBoxTwoUnitsController::Units10Value,
                  &TScrListBoxTwoUnitsController::SetUnits10Value);
      });
  return cls;
}

std::string TScrListBoxTwoUnitsController::GetRangeString(int i) {
  if (i == 0) return units1_;
  if (i == 1) return units10_;
  return std::string();
}

int TScrListBoxTwoUnitsController::GetItemIndex() {
  if (chosen_ == -1 && MagnitudeController()) {
    const std::int32_t figure = MagnitudeController()->GetInteger();
    if (figure != -1) {
      chosen_ = figure >= units10Value_ ? 1 : 0;
      SendChangedToView(TValueNotifications{vnChange});
    }
  }
  return chosen_;
}

void TScrListBoxTwoUnitsController::SetItemIndex(int i) {
  if (i == -1) return;
  chosen_ = i;
  if (MagnitudeController()) MagnitudeController()->ViewUnitsChanged();
}
