#pragma once
// The typed setting values: integer, real, index, boolean, text and colour.
// Getters load the value first; setters store and notify vnChange only when
// the setting differs, and never load.
#include <cstdint>
#include <string>

#include "toolkit/graphics.h"
#include "values/ranges.h"
#include "values/value.h"

// ---- Integers ------------------------------------------------------------

class TScrVCustomInteger : public TScrValue {
  TK_CLASS(TScrVCustomInteger)
  explicit TScrVCustomInteger(TComponent* owner) : TScrValue(owner) {}
  ~TScrVCustomInteger() override;

  virtual std::int32_t GetValue();
  virtual void SetValue(std::int32_t value);
  // The smallest and largest Min or Max of all ranges; 0 and 100 without ranges.
  virtual std::int32_t GetMin();
  virtual std::int32_t GetMax();
  virtual void SetRanges(TScrVIntegerRanges* ranges) {}
  // The last range holding `value`, or -1.
  virtual int IndexFromInteger(std::int32_t value);
  virtual int IndexFromCurrentInteger() { return IndexFromInteger(GetValue()); }
  // Def of range `index`; EListError outside the ranges.
  virtual std::int32_t IntegerFromIndex(int index);

  TScrVIntegerRanges* GetRanges() const { return ranges_; }
  void RangesChange(TObject* sender) { Changed(vnRange); }

 protected:
  std::int32_t value_ = 0;
  TScrVIntegerRanges* ranges_ = nullptr;  // created by descendants
};

class TScrVInteger : public TScrVCustomInteger {
  TK_CLASS(TScrVInteger)
  explicit TScrVInteger(TComponent* owner);

  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  void SetRanges(TScrVIntegerRanges* ranges) override;

  std::int32_t Def() const { return def_; }
  void SetDef(std::int32_t def);

 private:
  std::int32_t def_ = 0;
};

// ---- Reals ---------------------------------------------------------------

class TScrVCustomDouble : public TScrValue {
  TK_CLASS(TScrVCustomDouble)
  explicit TScrVCustomDouble(TComponent* owner) : TScrValue(owner) {}
  ~TScrVCustomDouble() override;

  double GetValue();
  // A setting that is neither less nor greater than the stored one (equal,
  // or a NaN) changes nothing.
  void SetValue(double value);
  virtual double GetMin();  // 0.0 without ranges
  virtual double GetMax();  // 100.0 without ranges
  virtual int IndexFromDouble(double value);
  virtual double DoubleFromIndex(int index);
  // Not taken: the ranges come from the form resource.
  void SetRanges(TScrVDoubleRanges* ranges) {}

  TScrVDoubleRanges* GetRanges() const { return ranges_; }
  void RangesChange(TObject* sender) { Changed(vnRange); }

 protected:
  double value_ = 0.0;
  TScrVDoubleRanges* ranges_ = nullptr;
};

class TScrVDouble : public TScrVCustomDouble {
  TK_CLASS(TScrVDouble)
  explicit TScrVDouble(TComponent* owner);

  void LoadFromRegistry() override;
  void SaveToRegistry() override;

  double Def() const { return def_; }
  void SetDef(double def);

 private:
  double def_ = 0.0;
};

// ---- Index of a range ----------------------------------------------------

class TScrVCustomIndex : public TScrValue {
  TK_CLASS(TScrVCustomIndex)
  explicit TScrVCustomIndex(TComponent* owner) : TScrValue(owner) {}
  ~TScrVCustomIndex() override;

  // The chosen range, -1 for none.
  virtual int GetIndex();
  // Any index is stored, -1 included, unchecked against the ranges.
  virtual void SetIndex(int index);
  virtual TScrVIndexRanges* GetRanges() { return ranges_; }
  virtual void SetRanges(TScrVIndexRanges* ranges) {}
  virtual void RangesChange(TObject* sender) { Changed(vnRange); }
  virtual int IndexFromInteger(std::int32_t value);
  // Def of range `index`; EListError outside the ranges (-1 included).
  virtual std::int32_t IntegerFromIndex(int index);
  virtual std::int32_t IntegerFromCurrentIndex() { return IntegerFromIndex(GetIndex()); }

 protected:
  int index_ = 0;
  TScrVIndexRanges* ranges_ = nullptr;
};

class TScrVIndex : public TScrVCustomIndex {
  TK_CLASS(TScrVIndex)
  explicit TScrVIndex(TComponent* owner);

  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  void SetRanges(TScrVIndexRanges* ranges) override;

  // An integer setting; the fallback index is the range that holds it.
  std::int32_t Def() const { return def_; }
  void SetDef(std::int32_t def);

 private:
  std::int32_t def_ = 0;
};

// ---- Boolean, text, colour -----------------------------------------------

class TScrVCustomBoolean : public TScrValue {
  TK_CLASS(TScrVCustomBoolean)
  explicit TScrVCustomBoolean(TComponent* owner) : TScrValue(owner) {}
  bool GetValue();
  void SetValue(bool value);

 protected:
  bool value_ = false;
};

class TScrVBoolean : public TScrVCustomBoolean {
  TK_CLASS(TScrVBoolean)
  explicit TScrVBoolean(TComponent* owner) : TScrVCustomBoolean(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  bool Def() const { return def_; }
  void SetDef(bool def);

 private:
  bool def_ = true;
};

class TScrVCustomString : public TScrValue {
  TK_CLASS(TScrVCustomString)
  explicit TScrVCustomString(TComponent* owner) : TScrValue(owner) {}
  std::string GetValue();
  void SetValue(const std::string& value);

 protected:
  std::string value_;
};

class TScrVString : public TScrVCustomString {
  TK_CLASS(TScrVString)
  explicit TScrVString(TComponent* owner) : TScrVCustomString(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  const std::string& Def() const { return def_; }
  void SetDef(const std::string& def);

 private:
  std::string def_;
};

class TScrVColor : public TScrValue {
  TK_CLASS(TScrVColor)
  explicit TScrVColor(TComponent* owner) : TScrValue(owner) {}
  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  TColor GetValue();
  void SetValue(TColor value);
  TColor Def() const { return def_; }
  void SetDef(TColor def);

 private:
  TColor value_ = clBlack;
  TColor def_ = clBlack;
};
