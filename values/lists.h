#pragma once
// Values that hold an object: a font, a string list, a file list found by
// masks. The object reports its own changes, so a load of these values
// notifies only through them.
#include <string>

#include "toolkit/graphics.h"
#include "values/value.h"

// A string list that reports each change to a private handler: once per
// change outside an update bracket and once when the outermost bracket closes.
class TScrShieldedStringList : public TStringList {
  TK_CLASS(TScrShieldedStringList)
  explicit TScrShieldedStringList(TNotifyEvent onChange = nullptr) : onChange_(std::move(onChange)) {}

 protected:
  void Changed() override;

 private:
  TNotifyEvent onChange_;
};

// A font that reports each change to a private handler instead of OnChange.
class TScrShieldedFont : public TFont {
  TK_CLASS(TScrShieldedFont)
  explicit TScrShieldedFont(TNotifyEvent onChange = nullptr) : onChange_(std::move(onChange)) {}

 protected:
  void Changed() override;

 private:
  TNotifyEvent onChange_;
};

class TScrVFont : public TScrValue {
  TK_CLASS(TScrVFont)
  explicit TScrVFont(TComponent* owner);
  ~TScrVFont() override;

  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  // The value's own font; changes made to it in place are reported.
  TFont* GetValue();
  void SetValue(TFont* font);
  TFont* Def() const { return def_; }
  void SetDef(TFont* font);

  // The six stored items in comma text, and back; false (font untouched)
  // when an item is missing or does not convert.
  static std::string FontToText(const TFont& font);
  static bool FontFromText(const std::string& text, TFont& font);

 private:
  void FontChanged(TObject* sender);
  TScrShieldedFont* font_;
  TFont* def_;
};

// A value whose setting is a list of strings.
class TScrVStrings : public TScrValue {
  TK_CLASS(TScrVStrings)
  explicit TScrVStrings(TComponent* owner) : TScrValue(owner) {}

  virtual TStrings* GetItems();
  // Does nothing here; the string-list value copies the strings.
  virtual void SetItems(TStrings* strings) {}

 protected:
  TStringList* items_ = nullptr;  // created by descendants
};

class TScrVStringList : public TScrVStrings {
  TK_CLASS(TScrVStringList)
  explicit TScrVStringList(TComponent* owner);
  ~TScrVStringList() override;

  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  void SetItems(TStrings* strings) override;
  TStringList* Def() const { return def_; }
  void SetDef(TStrings* strings);

 private:
  void StringListChanged(TObject* sender);
  TStringList* def_;
};

// The names of the files (and folders) matching a list of masks, searched
// on first demand after each change of the masks. The masks are the setting.
class TScrVFileList : public TScrVStrings {
  TK_CLASS(TScrVFileList)
  explicit TScrVFileList(TComponent* owner);
  ~TScrVFileList() override;

  void LoadFromRegistry() override;
  void SaveToRegistry() override;
  TStrings* GetItems() override;

  TStrings* GetMasks();
  void SetMasks(TStrings* masks);
  TStringList* DefMasks() const { return defMasks_; }
  void SetDefMasks(TStrings* masks);

 private:
  void MasksChanged(TObject* sender);
  void ItemsNeeded();

  TStringList* defMasks_;
  bool itemsValid_ = false;
  TScrShieldedStringList* masks_;
};
