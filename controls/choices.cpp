#include "controls/choices.h"

#include "framework/hotcorners.h"
#include "toolkit/sysutils.h"

const char* const kHotServicesText =
    "You can display the screen saver immediately, or prevent it from appearing at all, by moving the mouse "
    "pointer to a corner on the screen. Click the corners you want to use.";
const char* const kNoHotServicesText =
    "The system agent must be active in order for you to display the screen saver immediately by moving the "
    "mouse pointer to a corner on the screen.";

// ---- Check box -------------------------------------------------------------------------

const TMetaClass& TScrCheckBoxBooleanController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrCheckBoxBooleanController>("TScrCheckBoxBooleanController",
                                                                           &TScrCheckBoxController::StaticClass());
  return cls;
}

bool TScrCheckBoxBooleanController::GetChecked() { return typed_ && typed_->GetValue(); }

void TScrCheckBoxBooleanController::SetChecked(bool checked) {
  if (typed_ && GetViewer()) typed_->SetValue(checked);
}

// ---- Radio buttons -----------------------------------------------------------------------

const TMetaClass& TScrRadioButtonBooleanController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrRadioButtonBooleanController>(
      "TScrRadioButtonBooleanController", &TScrRadioButtonController::StaticClass(), [](auto& c) {
        c.Boolean("ForTruth", &TScrRadioButtonBooleanController::ForTruth,
                  &TScrRadioButtonBooleanController::SetForTruth);
      });
  return cls;
}

bool TScrRadioButtonBooleanController::GetChecked() {
  if (!typed_) return !forTruth_;
  return typed_->GetValue() == forTruth_;
}

void TScrRadioButtonBooleanController::SetChecked(bool checked) {
  if (typed_ && GetViewer() && checked) typed_->SetValue(forTruth_);
}

void TScrRadioButtonBooleanController::SetForTruth(bool forTruth) {
  if (forTruth_ == forTruth) return;
  forTruth_ = forTruth;
  ValueNotification(TValueNotifications{vnChange});
}

void TScrRadioButtonBooleanController::Assign(TPersistent* source) {
  TScrTypedController::Assign(source);
  if (auto* other = dynamic_cast<TScrRadioButtonBooleanController*>(source)) SetForTruth(other->forTruth_);
}

std::string TScrRadioButtonBooleanController::GetTitle() {
  return TScrTypedController::GetTitle() + "->" + (forTruth_ ? "True" : "False");
}

void TScrRadioButtonBooleanController::EnumControllersOfValue(TComponent* owner, TScrValue* value,
                                                              TList<TScrValueController>& list) {
  auto* boolean = dynamic_cast<TScrVBoolean*>(value);
  if (!boolean) return;
  for (bool forTruth : {true, false}) {
    auto* copy = static_cast<TScrRadioButtonBooleanController*>(CreateCopy(owner));
    copy->SetValue(boolean);
    copy->SetForTruth(forTruth);
    list.Add(copy);
  }
}

const TMetaClass& TScrRadioButtonIndexController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrRadioButtonIndexController>(
      "TScrRadioButtonIndexController", &TScrRadioButtonController::StaticClass(), [](auto& c) {
        c.Integer("Index", &TScrRadioButtonIndexController::Index, &TScrRadioButtonIndexController::SetIndex);
      });
  return cls;
}

namespace {
int RangeCount(TScrVCustomIndex* value) {
  TScrVIndexRanges* ranges = value ? value->GetRanges() : nullptr;
  return ranges ? ranges->Count() : 0;
}
}  // namespace

bool TScrRadioButtonIndexController::GetChecked() { return typed_ && typed_->GetIndex() == index_; }

void TScrRadioButtonIndexController::SetChecked(bool checked) {
  if (!typed_ || !GetViewer() || !checked || index_ < 0 || index_ >= RangeCount(typed_)) return;
  typed_->SetIndex(index_);
}

void TScrRadioButtonIndexController::SetIndex(int index) {
  if (index_ == index) return;
  index_ = index;
  ValueNotification(TValueNotifications{vnChange});
}

void TScrRadioButtonIndexController::Assign(TPersistent* source) {
  TScrTypedController::Assign(source);
  if (auto* other = dynamic_cast<TScrRadioButtonIndexController*>(source)) SetIndex(other->index_);
}

std::string TScrRadioButtonIndexController::GetTitle() {
  std::string title = TScrTypedController::GetTitle() + "->";
  if (index_ != -1) title += "Index" + IntToStr(static_cast<std::int64_t>(index_) + 1);
  return title;
}

void TScrRadioButtonIndexController::EnumControllersOfValue(TComponent* owner, TScrValue* value,
                                                            TList<TScrValueController>& list) {
  auto* index = dynamic_cast<TScrVCustomIndex*>(value);
  if (!index) return;
  for (int i = 0, n = RangeCount(index); i < n; ++i) {
    auto* copy = static_cast<TScrRadioButtonIndexController*>(CreateCopy(owner));
    copy->SetValue(index);
    copy->SetIndex(i);
    list.Add(copy);
  }
}

// ---- Text --------------------------------------------------------------------------------

#define SCR_TEXT_CLASS(T, Base)                                                 \
  const TMetaClass& T::StaticClass() {                                          \
    static const TMetaClass cls = DefineClass<T>(#T, &Base::StaticClass());     \
    return cls;                                                                 \
  }

SCR_TEXT_CLASS(TScrTextStringController, TScrTextController)
SCR_TEXT_CLASS(TScrTextIntegerController, TScrTextController)
SCR_TEXT_CLASS(TScrTextIntegerRangeController, TScrTextIntegerController)
SCR_TEXT_CLASS(TScrTextDoubleController, TScrTextController)
SCR_TEXT_CLASS(TScrTextDoubleRangeController, TScrTextDoubleController)
SCR_TEXT_CLASS(TScrTextIndexController, TScrTextController)
SCR_TEXT_CLASS(TScrTextScreenModeController, TScrTextController)
SCR_TEXT_CLASS(TScrTextHotServicesController, TScrTextController)
#undef SCR_TEXT_CLASS

namespace {
// The caption of range `index`, or the empty text outside the ranges.
template <class Ranges>
std::string CaptionAt(Ranges* ranges, int index) {
  if (!ranges || index < 0 || index >= ranges->Count()) return "";
  return ranges->GetItem(index)->Caption();
}
}  // namespace

std::string TScrTextStringController::GetText() { return typed_ ? typed_->GetValue() : ""; }

std::string TScrTextIntegerController::GetText() { return typed_ ? IntToStr(typed_->GetValue()) : ""; }

std::string TScrTextIntegerRangeController::GetText() {
  return typed_ ? CaptionAt(typed_->GetRanges(), typed_->IndexFromInteger(typed_->GetValue())) : "";
}

std::string TScrTextDoubleController::GetText() { return typed_ ? FloatToStr(typed_->GetValue()) : ""; }

std::string TScrTextDoubleRangeController::GetText() {
  return typed_ ? CaptionAt(typed_->GetRanges(), typed_->IndexFromDouble(typed_->GetValue())) : "";
}

std::string TScrTextIndexController::GetText() {
  return typed_ ? CaptionAt(typed_->GetRanges(), typed_->GetIndex()) : "";
}

std::string TScrTextScreenModeController::GetText() { return typed_ ? typed_->GetCaption() : ""; }

bool TScrTextHotServicesController::GetHots() {
  if (!checked_) {
    hots_ = CheckForHots();
    checked_ = true;
  }
  return hots_;
}

std::string TScrTextHotServicesController::GetText() { return GetHots() ? kHotServicesText : kNoHotServicesText; }

void TScrTextHotServicesController::Recheck() {
  const bool hots = CheckForHots();
  const bool changed = !checked_ || hots != hots_;
  checked_ = true;
  if (!changed) return;
  hots_ = hots;
  VNotify(TValueNotifications{vnChange});
}
