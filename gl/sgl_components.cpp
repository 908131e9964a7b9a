#include "gl/sgl_components.h"

#include "gl/sgl_panel.h"

#include <memory>
#include <vector>

// --- TSglDriverStrings ----------------------------------------------------------

const TMetaClass& TSglDriverStrings::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TSglDriverStrings>("TSglDriverStrings", &TStringList::StaticClass());
  return cls;
}

TSglDriverStrings::~TSglDriverStrings() {
  OnChange = nullptr;
  Clear();
}

TSglDriverDetails* TSglDriverStrings::GetObject(int i) const {
  return dynamic_cast<TSglDriverDetails*>(TStringList::GetObject(i));
}

void TSglDriverStrings::PutObject(int i, TObject* object) {
  TObject* old = TStringList::GetObject(i);
  TStringList::PutObject(i, object);
  if (old && old != object) old->Free();
}

void TSglDriverStrings::Delete(int i) {
  TObject* old = TStringList::GetObject(i);
  TStringList::Delete(i);
  if (old) old->Free();
}

void TSglDriverStrings::Clear() {
  std::vector<TObject*> old;
  for (int i = 0; i < Count(); ++i)
    if (TObject* o = TStringList::GetObject(i)) old.push_back(o);
  TStringList::Clear();
  for (TObject* o : old) o->Free();
}

void TSglDriverStrings::Assign(TPersistent* source) {
  auto* strings = dynamic_cast<TStrings*>(source);
  if (!strings) return TStringList::Assign(source);
  if (strings == this) return;
  BeginUpdate();
  try {
    Clear();
    for (int i = 0; i < strings->Count(); ++i) {
      std::unique_ptr<TSglDriverDetails> copy;
      if (auto* details = dynamic_cast<TSglDriverDetails*>(strings->Objects(i)))
        copy = std::make_unique<TSglDriverDetails>(*details);
      AddObject(strings->Get(i), copy.get());
      copy.release();
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TSglDriverStrings::IndexOfFileName(const std::string& name) const {
  // Lines without details name no file.
  SglDriverEntries entries;
  std::vector<int> lines;
  for (int i = 0; i < Count(); ++i)
    if (TSglDriverDetails* details = GetObject(i)) {
      entries.push_back({Get(i), *details});
      lines.push_back(i);
    }
  const int found = SglIndexOfFileName(entries, name);
  return found < 0 ? -1 : lines[found];
}

// --- TSglDriverShieldedStringList -----------------------------------------------

const TMetaClass& TSglDriverShieldedStringList::StaticClass() {
  static const TMetaClass cls = DefineClass<TSglDriverShieldedStringList>(
      "TSglDriverShieldedStringList", &TStringList::StaticClass());
  return cls;
}

void TSglDriverShieldedStringList::Changed() {
  TStringList::Changed();
  if (changed_) changed_();
}

// --- TSglDriverList -----------------------------------------------------------------

const TMetaClass& TSglDriverList::StaticClass() {
  static const TMetaClass cls = DefineClass<TSglDriverList>(
      "TSglDriverList", &TComponent::StaticClass(), [](TClassBuilder<TSglDriverList>& b) {
        b.Class("Search", [](TSglDriverList* list) -> TPersistent* { return list->search_; });
      });
  return cls;
}

TSglDriverList::TSglDriverList(TComponent* owner)
    : TComponent(owner),
      drivers_(new TSglDriverStrings()),
      search_(new TSglDriverShieldedStringList([this] { SearchPathChanged(); })) {
  search_->SetStrings(SglDefaultSearchPatterns());
  valid_ = false;
  SglRegisterProbeWindowClass();
}

TSglDriverList::~TSglDriverList() {
  delete search_;
  delete drivers_;
}

TSglDriverStrings* TSglDriverList::GetDrivers() {
  if (!valid_) {
    valid_ = true;
    drivers_->BeginUpdate();
    try {
      drivers_->Clear();
      for (SglDriverEntry& entry : SglFindDrivers(search_->ToVector())) {
        auto details = std::make_unique<TSglDriverDetails>(entry.details);
        drivers_->AddObject(entry.line, details.get());
        details.release();
      }
    } catch (...) {
      valid_ = false;
      drivers_->EndUpdate();
      throw;
    }
    drivers_->EndUpdate();
  }
  return drivers_;
}

void SglRegisterClasses() { RegisterClasses({&TSglDriverList::StaticClass(), &TSglPanel::StaticClass()}); }
