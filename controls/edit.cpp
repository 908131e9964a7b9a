#include "controls/edit.h"

#include <algorithm>

#include "controls/lists.h"
#include "toolkit/sysutils.h"

namespace {
// The up-down's 16-bit figures: larger ones stop at its ends.
short Spin(int figure) { return static_cast<short>(std::clamp(figure, -32768, 32767)); }
}  // namespace

// ---- TScrEdit's spin button ----------------------------------------------------------------

void TScrEdit::FixUpDown(TScrUpDown* upDown) {
  int min = 0, max = 0, position = 0;
  if (!upDown || !Controller() || !Controller()->GetUpDown(min, max, position)) return;
  // The up-down writes its position into this edit: not the user's change.
  Busy busy(link_);
  upDown->SetMin(Spin(min));
  upDown->SetMax(Spin(max));
  upDown->SetPosition(Spin(position));
}

void TScrEdit::FixUpDowns() {
  TWinControl* parent = Parent();
  if (!parent) return;
  const std::string shown = Text();
  for (int i = 0; i < parent->ControlCount(); ++i)
    if (auto* upDown = dynamic_cast<TScrUpDown*>(parent->Controls(i)); upDown && upDown->Associate() == this)
      FixUpDown(upDown);
  // The spin button writes its position into the edit: the user's text,
  // even an invalid one, comes back.
  if (Text() == shown) return;
  Busy busy(link_);
  SetText(shown);
}

const TMetaClass& TScrUpDown::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrUpDown>("TScrUpDown", &TCustomUpDown::StaticClass(), [](auto& c) {
    PublishUpDownProperties<TScrUpDown>(c);
    c.template Component<TWinControl>("Associate", &TScrUpDown::MyGetAssociate, &TScrUpDown::MySetAssociate);
  });
  return cls;
}

TScrUpDown::TScrUpDown(TComponent* owner) : TCustomUpDown(owner) { SetThousands(false); }

void TScrUpDown::MySetAssociate(TWinControl* control) {
  SetAssociate(nullptr);
  if (auto* edit = dynamic_cast<TScrEdit*>(control)) edit->FixUpDown(this);
  SetAssociate(control);
}

void TScrUpDown::CreateWnd() {
  if (auto* edit = dynamic_cast<TScrEdit*>(Associate())) edit->FixUpDown(this);
  TCustomUpDown::CreateWnd();
}

// ---- String ---------------------------------------------------------------------------------

const TMetaClass& TScrEditStringController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrEditStringController>("TScrEditStringController", &TScrEditController::StaticClass());
  return cls;
}

std::string TScrEditStringController::GetText() { return typed_ ? typed_->GetValue() : std::string(); }

void TScrEditStringController::SetText(const std::string& text) {
  if (typed_) typed_->SetValue(text);
}

// ---- Integer ---------------------------------------------------------------------------------

const TMetaClass& TScrEditIntegerController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrEditIntegerController>("TScrEditIntegerController", &TScrEditController::StaticClass());
  return cls;
}

bool TScrEditIntegerController::IsTextValid(const std::string& text) {
  std::int32_t n = 0;
  return typed_ && TryStrToInt(text, n) && n >= typed_->GetMin() && n <= typed_->GetMax();
}

bool TScrEditIntegerController::GetUpDown(int& min, int& max, int& position) {
  if (!typed_) return false;
  min = typed_->GetMin();
  max = typed_->GetMax();
  position = typed_->GetValue();
  return true;
}

std::string TScrEditIntegerController::GetText() { return typed_ ? IntToStr(typed_->GetValue()) : std::string(); }

void TScrEditIntegerController::SetText(const std::string& text) {
  std::int32_t n = 0;
  if (typed_ && TryStrToInt(text, n)) typed_->SetValue(n);
}

// ---- Integer in a chosen unit ------------------------------------------------------------------

const TMetaClass& TScrEditIntegerMagnitudeController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrEditIntegerMagnitudeController>(
      "TScrEditIntegerMagnitudeController", &TScrEditIntegerController::StaticClass());
  return cls;
}

bool TScrEditIntegerMagnitudeController::CanControlViewer(TComponent* component) {
  return TScrEditIntegerController::CanControlViewer(component) ||
         dynamic_cast<TScrListBoxCustomUnitsController*>(component);
}

bool TScrEditIntegerMagnitudeController::Multiplier(std::int64_t& multiplier) {
  if (!typed_ || !units_) return false;
  // A unit of no size (a broken form resource) counts as the plain unit.
  multiplier = std::max<std::int64_t>(1, units_->GetValueMultiplier());
  return true;
}

bool TScrEditIntegerMagnitudeController::IsTextValid(const std::string& text) {
  std::int64_t m = 0;
  std::int32_t n = 0;
  if (!Multiplier(m) || !TryStrToInt(text, n)) return false;
  // In 64 bits: a large n must not wrap round into the range.
  const std::int64_t figure = n * m;
  return figure >= typed_->GetMin() && figure <= typed_->GetMax();
}

bool TScrEditIntegerMagnitudeController::GetUpDown(int& min, int& max, int& position) {
  std::int64_t m = 0;
  if (!Multiplier(m)) return false;
  min = static_cast<int>(typed_->GetMin() / m);
  max = static_cast<int>(typed_->GetMax() / m);
  position = static_cast<int>(typed_->GetValue() / m);
  return true;
}

std::string TScrEditIntegerMagnitudeController::GetText() {
  std::int64_t m = 0;
  return Multiplier(m) ? IntToStr(typed_->GetValue() / m) : std::string();
}

void TScrEditIntegerMagnitudeController::SetText(const std::string& text) {
  if (!IsTextValid(text)) return;
  std::int64_t m = 0;
  Multiplier(m);
  typed_->SetValue(static_cast<std::int32_t>(StrToInt(text) * m));
}

void TScrEditIntegerMagnitudeController::SetUnitsController(TScrListBoxCustomUnitsController* units) {
  if (units == units_) return;
  if (units_) units_->RemoveFreeNotification(this);
  units_ = units;
  if (units) units->FreeNotification(this);
  VNotify(TValueNotifications{vnRange, vnChange});
}

std::int32_t TScrEditIntegerMagnitudeController::GetInteger() { return typed_ ? typed_->GetValue() : -1; }

void TScrEditIntegerMagnitudeController::ViewUnitsChanged() {
  TScrEdit* edit = GetViewer();
  if (!edit) return;
  edit->ValueChanged(TValueNotifications{vnRange});
  const std::string text = edit->Text();
  if (IsTextValid(text)) SetText(text);
  // The spin range and position are in the new unit too.
  edit->FixUpDowns();
}

void TScrEditIntegerMagnitudeController::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == units_) units_ = nullptr;
  TScrEditIntegerController::Notification(component, operation);
}

// ---- Real ---------------------------------------------------------------------------------------

const TMetaClass& TScrEditDoubleController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrEditDoubleController>("TScrEditDoubleController", &TScrEditController::StaticClass());
  return cls;
}

bool TScrEditDoubleController::IsTextValid(const std::string& text) {
  double x = 0;
  // Written as a comparison that a NaN fails.
  return typed_ && TryStrToFloat(text, x) && x >= typed_->GetMin() && x <= typed_->GetMax();
}

std::string TScrEditDoubleController::GetText() { return typed_ ? FloatToStr(typed_->GetValue()) : std::string(); }

void TScrEditDoubleController::SetText(const std::string& text) {
  double x = 0;
  if (typed_ && TryStrToFloat(text, x)) typed_->SetValue(x);
}

// ---- Colour channel -------------------------------------------------------------------------------

const TMetaClass& TScrEditColorController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrEditColorController>(
      "TScrEditColorController", &TScrEditController::StaticClass(), [](auto& c) {
        c.Integer("BitShift", &TScrEditColorController::BitShift, &TScrEditColorController::SetBitShift);
        c.String("ColorName", &TScrEditColorController::ColorName, &TScrEditColorController::SetColorName);
      });
  return cls;
}

bool TScrEditColorController::IsTextValid(const std::string& text) {
  std::int32_t n = 0;
  return TryStrToInt(text, n) && n >= 0 && n <= 255;
}

bool TScrEditColorController::GetUpDown(int& min, int& max, int& position) {
  min = 0;
  max = 255;
  position = Channel(128);
  return true;
}

std::string TScrEditColorController::GetText() { return typed_ ? IntToStr(Channel(0)) : std::string(); }

void TScrEditColorController::SetText(const std::string& text) {
  std::int32_t n = 0;
  if (TryStrToInt(text, n)) WriteChannel(static_cast<std::uint8_t>(n & 255));
}
