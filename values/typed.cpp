#include "values/typed.h"

#include "values/registry.h"

namespace {

// The bounds rule of integer and real values: the smallest (largest) of
// every range's Min and Max, or the fallback without ranges.
template <class Ranges, class T>
T Bound(Ranges* ranges, T fallback, bool lowest) {
  if (!ranges || ranges->Count() == 0) return fallback;
  auto better = [lowest](T candidate, T current) { return lowest ? candidate < current : candidate > current; };
  T result = lowest ? ranges->GetItem(0)->Min() : ranges->GetItem(0)->Max();
  for (int i = 0; i < ranges->Count(); ++i) {
    const auto* r = ranges->GetItem(i);
    if (better(r->Min(), result)) result = r->Min();
    if (better(r->Max(), result)) result = r->Max();
  }
  return result;
}

template <class Ranges, class T>
int LastRangeHolding(Ranges* ranges, T value) {
  int result = -1;
  if (!ranges) return result;
  for (int i = 0; i < ranges->Count(); ++i)
    if (ranges->GetItem(i)->Contains(value)) result = i;
  return result;
}

[[noreturn]] void NoSuchRange(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace

// ---- Integers ------------------------------------------------------------

const TMetaClass& TScrVCustomInteger::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVCustomInteger>("TScrVCustomInteger", &TScrValue::StaticClass());
  return cls;
}

const TMetaClass& TScrVInteger::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVInteger>(
      "TScrVInteger", &TScrVCustomInteger::StaticClass(), [](TClassBuilder<TScrVInteger>& b) {
        b.Integer("Def", &TScrVInteger::Def, &TScrVInteger::SetDef);
        b.Class("Ranges", &TScrVInteger::GetRanges);
        b.String("RegistryPath", &TScrVInteger::RegistryPathTemplate, &TScrVInteger::SetRegistryPath);
      });
  return cls;
}

TScrVCustomInteger::~TScrVCustomInteger() { delete ranges_; }

std::int32_t TScrVCustomInteger::GetValue() {
  ValueNeeded();
  return value_;
}

void TScrVCustomInteger::SetValue(std::int32_t value) {
  if (value == value_) return;
  value_ = value;
  Changed(vnChange);
}

std::int32_t TScrVCustomInteger::GetMin() { return Bound(ranges_, std::int32_t(0), true); }
std::int32_t TScrVCustomInteger::GetMax() { return Bound(ranges_, std::int32_t(100), false); }
int TScrVCustomInteger::IndexFromInteger(std::int32_t value) { return LastRangeHolding(ranges_, value); }

std::int32_t TScrVCustomInteger::IntegerFromIndex(int index) {
  if (!ranges_) NoSuchRange(index);
  return ranges_->GetItem(index)->Def();
}

TScrVInteger::TScrVInteger(TComponent* owner) : TScrVCustomInteger(owner) {
  ranges_ = new TScrVIntegerRanges(this, MakeEvent(static_cast<TScrVCustomInteger*>(this),
                                                   &TScrVCustomInteger::RangesChange));
}

// Loads store the setting directly: the first load tells nobody, a later
// one tells vnChange through the frame whatever it read.
void TScrVInteger::LoadFromRegistry() {
  LoadFrame([this] {
    std::int32_t stored = 0;
    if (scrreg::ReadNumber(GetRegistryPath(), stored) && GetMin() <= stored && stored <= GetMax())
      value_ = stored;
    else
      value_ = def_;
  });
}

void TScrVInteger::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteNumber(GetRegistryPath(), value_);
}

void TScrVInteger::SetRanges(TScrVIntegerRanges* ranges) {
  if (ranges) ranges_->Assign(ranges);
}

void TScrVInteger::SetDef(std::int32_t def) {
  def_ = def;
  if (IsDesigning()) SetValue(def);
}

// ---- Reals ---------------------------------------------------------------

const TMetaClass& TScrVCustomDouble::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVCustomDouble>("TScrVCustomDouble", &TScrValue::StaticClass());
  return cls;
}

const TMetaClass& TScrVDouble::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVDouble>(
      "TScrVDouble", &TScrVCustomDouble::StaticClass(), [](TClassBuilder<TScrVDouble>& b) {
        b.Float("Def", &TScrVDouble::Def, &TScrVDouble::SetDef);
        b.Class("Ranges", &TScrVDouble::GetRanges);
        b.String("RegistryPath", &TScrVDouble::RegistryPathTemplate, &TScrVDouble::SetRegistryPath);
      });
  return cls;
}

TScrVCustomDouble::~TScrVCustomDouble() { delete ranges_; }

double TScrVCustomDouble::GetValue() {
  ValueNeeded();
  return value_;
}

void TScrVCustomDouble::SetValue(double value) {
  if (!(value < value_ || value > value_)) return;
  value_ = value;
  Changed(vnChange);
}

double TScrVCustomDouble::GetMin() { return Bound(ranges_, 0.0, true); }
double TScrVCustomDouble::GetMax() { return Bound(ranges_, 100.0, false); }
int TScrVCustomDouble::IndexFromDouble(double value) { return LastRangeHolding(ranges_, value); }

double TScrVCustomDouble::DoubleFromIndex(int index) {
  if (!ranges_) NoSuchRange(index);
  return ranges_->GetItem(index)->Def();
}

TScrVDouble::TScrVDouble(TComponent* owner) : TScrVCustomDouble(owner) {
  ranges_ = new TScrVDoubleRanges(this, MakeEvent(static_cast<TScrVCustomDouble*>(this),
                                                  &TScrVCustomDouble::RangesChange));
}

void TScrVDouble::LoadFromRegistry() {
  LoadFrame([this] {
    std::string text;
    double stored = 0.0;
    // A NaN fails the bounds test too.
    if (scrreg::ReadText(GetRegistryPath(), text) && TryStrToFloat(text, stored) && GetMin() <= stored &&
        stored <= GetMax())
      value_ = stored;
    else
      value_ = def_;
  });
}

void TScrVDouble::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), FloatToStrF(value_, ffGeneral, 15, 0));
}

void TScrVDouble::SetDef(double def) {
  def_ = def;
  if (IsDesigning()) SetValue(def);
}

// ---- Index of a range ----------------------------------------------------

const TMetaClass& TScrVCustomIndex::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVCustomIndex>("TScrVCustomIndex", &TScrValue::StaticClass());
  return cls;
}

const TMetaClass& TScrVIndex::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrVIndex>("TScrVIndex", &TScrVCustomIndex::StaticClass(), [](TClassBuilder<TScrVIndex>& b) {
        b.Integer("Def", &TScrVIndex::Def, &TScrVIndex::SetDef);
        b.Class("Ranges", [](TScrVIndex* v) { return v->GetRanges(); });
        b.String("RegistryPath", &TScrVIndex::RegistryPathTemplate, &TScrVIndex::SetRegistryPath);
      });
  return cls;
}

TScrVCustomIndex::~TScrVCustomIndex() { delete ranges_; }

int TScrVCustomIndex::GetIndex() {
  ValueNeeded();
  return index_;
}

void TScrVCustomIndex::SetIndex(int index) {
  if (index == index_) return;
  index_ = index;
  Changed(vnChange);
}

int TScrVCustomIndex::IndexFromInteger(std::int32_t value) { return LastRangeHolding(ranges_, value); }

std::int32_t TScrVCustomIndex::IntegerFromIndex(int index) {
  if (!ranges_) NoSuchRange(index);
  return ranges_->GetItem(index)->Def();
}

TScrVIndex::TScrVIndex(TComponent* owner) : TScrVCustomIndex(owner) {
  ranges_ = new TScrVIndexRanges(this, MakeEvent(static_cast<TScrVCustomIndex*>(this), &TScrVCustomIndex::RangesChange));
}

namespace {
const char* const kNoRange = "none";
}

void TScrVIndex::LoadFromRegistry() {
  LoadFrame([this] {
    std::string text;
    std::int32_t stored = 0;
    int index = -1;
    if (scrreg::ReadText(GetRegistryPath(), text)) {
      if (text == kNoRange) {
        index_ = -1;
        return;
      }
      if (TryStrToInt(text, stored)) index = IndexFromInteger(stored);
    }
    index_ = index >= 0 ? index : IndexFromInteger(def_);
  });
}

void TScrVIndex::SaveToRegistry() {
  ValueNeeded();
  // An index that names no range (its range was deleted, or it was set out
  // of bounds) is kept as "no range": it has no representative to write.
  const bool inRange = index_ >= 0 && index_ < ranges_->Count();
  scrreg::WriteText(GetRegistryPath(), inRange ? IntToStr(IntegerFromIndex(index_)) : std::string(kNoRange));
}

void TScrVIndex::SetRanges(TScrVIndexRanges* ranges) {
  if (ranges) ranges_->Assign(ranges);
}

void TScrVIndex::SetDef(std::int32_t def) {
  def_ = def;
  if (IsDesigning()) SetIndex(def);
}

// ---- Boolean ---------------------------------------------------------------

const TMetaClass& TScrVCustomBoolean::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVCustomBoolean>("TScrVCustomBoolean", &TScrValue::StaticClass());
  return cls;
}

const TMetaClass& TScrVBoolean::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVBoolean>(
      "TScrVBoolean", &TScrVCustomBoolean::StaticClass(), [](TClassBuilder<TScrVBoolean>& b) {
        b.Boolean("Def", &TScrVBoolean::Def, &TScrVBoolean::SetDef);
        b.String("RegistryPath", &TScrVBoolean::RegistryPathTemplate, &TScrVBoolean::SetRegistryPath);
      });
  return cls;
}

bool TScrVCustomBoolean::GetValue() {
  ValueNeeded();
  return value_;
}

void TScrVCustomBoolean::SetValue(bool value) {
  if (value == value_) return;
  value_ = value;
  Changed(vnChange);
}

void TScrVBoolean::LoadFromRegistry() {
  LoadFrame([this] {
    std::int32_t stored = 0;
    if (scrreg::ReadNumber(GetRegistryPath(), stored) && (stored == 0 || stored == 1))
      value_ = stored == 1;
    else
      value_ = def_;
  });
}

void TScrVBoolean::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteNumber(GetRegistryPath(), value_ ? 1 : 0);
}

void TScrVBoolean::SetDef(bool def) {
  def_ = def;
  if (IsDesigning()) SetValue(def);
}

// ---- Text ------------------------------------------------------------------

const TMetaClass& TScrVCustomString::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVCustomString>("TScrVCustomString", &TScrValue::StaticClass());
  return cls;
}

const TMetaClass& TScrVString::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVString>(
      "TScrVString", &TScrVCustomString::StaticClass(), [](TClassBuilder<TScrVString>& b) {
        b.String("Def", &TScrVString::Def, &TScrVString::SetDef);
        b.String("RegistryPath", &TScrVString::RegistryPathTemplate, &TScrVString::SetRegistryPath);
      });
  return cls;
}

std::string TScrVCustomString::GetValue() {
  ValueNeeded();
  return value_;
}

void TScrVCustomString::SetValue(const std::string& value) {
  if (value == value_) return;
  value_ = value;
  Changed(vnChange);
}

void TScrVString::LoadFromRegistry() {
  LoadFrame([this] {
    std::string stored;
    value_ = scrreg::ReadText(GetRegistryPath(), stored) ? stored : def_;
  });
}

void TScrVString::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), value_);
}

void TScrVString::SetDef(const std::string& def) {
  def_ = def;
  if (IsDesigning()) SetValue(def);
}

// ---- Colour ----------------------------------------------------------------

const TMetaClass& TScrVColor::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrVColor>("TScrVColor", &TScrValue::StaticClass(), [](TClassBuilder<TScrVColor>& b) {
        b.Ident<TColor>("Def", ColorIdents(), &TScrVColor::Def, &TScrVColor::SetDef);
        b.String("RegistryPath", &TScrVColor::RegistryPathTemplate, &TScrVColor::SetRegistryPath);
      });
  return cls;
}

TColor TScrVColor::GetValue() {
  ValueNeeded();
  return value_;
}

void TScrVColor::SetValue(TColor value) {
  if (value == value_) return;
  value_ = value;
  Changed(vnChange);
}

void TScrVColor::LoadFromRegistry() {
  LoadFrame([this] {
    std::int32_t stored = 0;
    value_ = scrreg::ReadNumber(GetRegistryPath(), stored) ? stored : def_;
  });
}

void TScrVColor::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteNumber(GetRegistryPath(), value_);
}

void TScrVColor::SetDef(TColor def) {
  def_ = def;
  if (IsDesigning()) SetValue(def);
}
