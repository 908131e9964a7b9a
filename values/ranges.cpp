#include "values/ranges.h"

const TMetaClass& TScrVRange::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrVRange>("TScrVRange", &TCollectionItem::StaticClass(), [](TClassBuilder<TScrVRange>& b) {
        b.String("Caption", &TScrVRange::Caption, &TScrVRange::SetCaption);
      });
  return cls;
}

const TMetaClass& TScrVIntegerRange::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVIntegerRange>(
      "TScrVIntegerRange", &TScrVRange::StaticClass(), [](TClassBuilder<TScrVIntegerRange>& b) {
        b.Integer("Min", &TScrVIntegerRange::Min, &TScrVIntegerRange::SetMin);
        b.Integer("Max", &TScrVIntegerRange::Max, &TScrVIntegerRange::SetMax);
        b.Integer("Def", &TScrVIntegerRange::Def, &TScrVIntegerRange::SetDef);
      });
  return cls;
}

const TMetaClass& TScrVDoubleRange::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVDoubleRange>(
      "TScrVDoubleRange", &TScrVRange::StaticClass(), [](TClassBuilder<TScrVDoubleRange>& b) {
        b.Float("Min", &TScrVDoubleRange::Min, &TScrVDoubleRange::SetMin);
        b.Float("Max", &TScrVDoubleRange::Max, &TScrVDoubleRange::SetMax);
        b.Float("Def", &TScrVDoubleRange::Def, &TScrVDoubleRange::SetDef);
      });
  return cls;
}

const TMetaClass& TScrVRanges::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVRanges>("TScrVRanges", &TOwnedCollection::StaticClass());
  return cls;
}
const TMetaClass& TScrVIntegerRanges::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVIntegerRanges>("TScrVIntegerRanges", &TScrVRanges::StaticClass());
  return cls;
}
const TMetaClass& TScrVDoubleRanges::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVDoubleRanges>("TScrVDoubleRanges", &TScrVRanges::StaticClass());
  return cls;
}
const TMetaClass& TScrVIndexRanges::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVIndexRanges>("TScrVIndexRanges", &TScrVRanges::StaticClass());
  return cls;
}

void TScrVRange::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed(false);
}

void TScrVRange::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TScrVRange*>(source)) {
    SetCaption(other->caption_);
    return;
  }
  TCollectionItem::Assign(source);
}

void TScrVIntegerRange::SetMin(std::int32_t v) {
  if (v == min_) return;
  min_ = v;
  Changed(false);
}
void TScrVIntegerRange::SetMax(std::int32_t v) {
  if (v == max_) return;
  max_ = v;
  Changed(false);
}
void TScrVIntegerRange::SetDef(std::int32_t v) {
  if (v == def_) return;
  def_ = v;
  Changed(false);
}
void TScrVIntegerRange::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TScrVIntegerRange*>(source)) {
    TScrVRange::Assign(source);
    SetMin(other->min_);
    SetMax(other->max_);
    SetDef(other->def_);
    return;
  }
  TScrVRange::Assign(source);
}

// Reals compare as "neither less nor greater", so a NaN never replaces a setting.
void TScrVDoubleRange::SetMin(double v) {
  if (!(v < min_ || v > min_)) return;
  min_ = v;
  Changed(false);
}
void TScrVDoubleRange::SetMax(double v) {
  if (!(v < max_ || v > max_)) return;
  max_ = v;
  Changed(false);
}
void TScrVDoubleRange::SetDef(double v) {
  if (!(v < def_ || v > def_)) return;
  def_ = v;
  Changed(false);
}
void TScrVDoubleRange::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TScrVDoubleRange*>(source)) {
    TScrVRange::Assign(source);
    SetMin(other->min_);
    SetMax(other->max_);
    SetDef(other->def_);
    return;
  }
  TScrVRange::Assign(source);
}

void TScrVRanges::Update(TCollectionItem* /*item*/) {
  if (onChange_) onChange_(this);
}

namespace {
template <class Ranges, class T>
auto AddOne(Ranges& ranges, const std::string& caption, T min, T max, T def) {
  ranges.BeginUpdate();
  auto* item = ranges.AddItem();
  item->SetCaption(caption);
  item->SetMin(min);
  item->SetMax(max);
  item->SetDef(def);
  ranges.EndUpdate();
  return item;
}
}  // namespace

TScrVIntegerRange* TScrVIntegerRanges::AddRange(const std::string& caption, std::int32_t min, std::int32_t max,
                                                std::int32_t def) {
  return AddOne(*this, caption, min, max, def);
}
TScrVDoubleRange* TScrVDoubleRanges::AddRange(const std::string& caption, double min, double max, double def) {
  return AddOne(*this, caption, min, max, def);
}
TScrVIntegerRange* TScrVIndexRanges::AddRange(const std::string& caption, std::int32_t min, std::int32_t max,
                                              std::int32_t def) {
  return AddOne(*this, caption, min, max, def);
}
