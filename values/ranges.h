#pragma once
// Ranges: named intervals with a representative setting, kept by integer,
// real and index values in collections the value owns.
#include <cstdint>
#include <string>

#include "toolkit/classes.h"

class TScrVRange : public TCollectionItem {
  TK_CLASS(TScrVRange)
  TScrVRange() = default;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  void Assign(TPersistent* source) override;

 private:
  std::string caption_;
};

class TScrVIntegerRange : public TScrVRange {
  TK_CLASS(TScrVIntegerRange)
  TScrVIntegerRange() = default;
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }
  std::int32_t Def() const { return def_; }
  void SetMin(std::int32_t v);
  void SetMax(std::int32_t v);
  void SetDef(std::int32_t v);
  bool Contains(std::int32_t v) const { return min_ <= v && v <= max_; }
  void Assign(TPersistent* source) override;

 private:
  std::int32_t min_ = 0, max_ = 100, def_ = 10;
};

class TScrVDoubleRange : public TScrVRange {
  TK_CLASS(TScrVDoubleRange)
  TScrVDoubleRange() = default;
  double Min() const { return min_; }
  double Max() const { return max_; }
  double Def() const { return def_; }
  void SetMin(double v);
  void SetMax(double v);
  void SetDef(double v);
  bool Contains(double v) const { return min_ <= v && v <= max_; }
  void Assign(TPersistent* source) override;

 private:
  double min_ = 0.0, max_ = 1.0, def_ = 0.5;
};

// A value's ranges: every change of an item, every addition and removal
// calls the change handler (the value's RangesChange).
class TScrVRanges : public TOwnedCollection {
  TK_CLASS(TScrVRanges)
  TScrVRanges(TPersistent* owner, TClass itemClass, TNotifyEvent onChange)
      : TOwnedCollection(owner, itemClass), onChange_(std::move(onChange)) {}

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TNotifyEvent onChange_;
};

template <class Item>
class TScrVTypedRanges : public TScrVRanges {
 public:
  TScrVTypedRanges(TPersistent* owner, TNotifyEvent onChange)
      : TScrVRanges(owner, &Item::StaticClass(), std::move(onChange)) {}
  Item* GetItem(int i) const { return static_cast<Item*>(Items(i)); }
  void SetItem(int i, Item* source) { TCollection::SetItem(i, source); }
  Item* AddItem() { return static_cast<Item*>(Add()); }
};

class TScrVIntegerRanges : public TScrVTypedRanges<TScrVIntegerRange> {
  TK_CLASS(TScrVIntegerRanges)
  using TScrVTypedRanges::TScrVTypedRanges;
  // Adds a range, as one change.
  TScrVIntegerRange* AddRange(const std::string& caption, std::int32_t min, std::int32_t max, std::int32_t def);
};

class TScrVDoubleRanges : public TScrVTypedRanges<TScrVDoubleRange> {
  TK_CLASS(TScrVDoubleRanges)
  using TScrVTypedRanges::TScrVTypedRanges;
  TScrVDoubleRange* AddRange(const std::string& caption, double min, double max, double def);
};

class TScrVIndexRanges : public TScrVTypedRanges<TScrVIntegerRange> {
  TK_CLASS(TScrVIndexRanges)
  using TScrVTypedRanges::TScrVTypedRanges;
  TScrVIntegerRange* AddRange(const std::string& caption, std::int32_t min, std::int32_t max, std::int32_t def);
};
