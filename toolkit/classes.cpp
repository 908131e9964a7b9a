#include "toolkit/classes.h"

#include <algorithm>
#include <cctype>

namespace {

// Runs `change` inside one update bracket of `list`, closing it on failure too.
template <class List, class F>
void InOneUpdate(List& list, F change) {
  list.BeginUpdate();
  try {
    change();
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

template <class T>
void EraseValue(std::vector<T*>& v, const T* item) {
  v.erase(std::remove(v.begin(), v.end(), item), v.end());
}

template <class T>
bool ContainsValue(const std::vector<T*>& v, const T* item) {
  return std::find(v.begin(), v.end(), item) != v.end();
}

}  // namespace

// ---- TPersistent -------------------------------------------------------------

const TMetaClass& TPersistent::StaticClass() {
  static const TMetaClass cls = DefineClass<TPersistent>("TPersistent", &TObject::StaticClass());
  return cls;
}

void TPersistent::Assign(TPersistent* source) {
  if (source) source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  throw EConvertError("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) + " to a " +
                      ClassName());
}

// ---- TComponent --------------------------------------------------------------

const TMetaClass& TComponent::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TComponent>("TComponent", &TPersistent::StaticClass(), [](TClassBuilder<TComponent>& b) {
        b.String("Name", &TComponent::Name, &TComponent::SetName);
        b.Integer("Tag", &TComponent::Tag, &TComponent::SetTag);
      });
  return cls;
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() { Teardown(); }

void TComponent::BeforeDestruction() { Teardown(); }

void TComponent::Teardown() {
  if (tornDown_) return;
  tornDown_ = true;
  SetDestroying();

  while (!components_.empty()) {
    TComponent* c = components_.back();
    c->Free();
    // A component already being freed further up the stack stays; let it go.
    if (!components_.empty() && components_.back() == c) {
      components_.pop_back();
      c->owner_ = nullptr;
    }
  }

  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    freeNotifies_.pop_back();
    EraseValue(partner->freeNotifies_, this);
    partner->Notification(this, opRemove);
  }

  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetDestroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->SetDestroying();
}

void TComponent::SetDesigning(bool designing) {
  if (designing) state_.Include(csDesigning);
  else state_.Exclude(csDesigning);
}

TComponent* TComponent::Components(int i) const {
  if (i < 0 || i >= ComponentCount()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return components_[i];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto it = std::find(owner_->components_.begin(), owner_->components_.end(), this);
  return static_cast<int>(it - owner_->components_.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  if (component == this) throw EComponentError("A component cannot own itself");
  for (TComponent* o = this; o; o = o->owner_)
    if (o == component) throw EComponentError("A component cannot be owned by what it owns");
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError("A component named " + component->name_ + " already exists");
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  EraseValue(components_, component);
  component->owner_ = nullptr;
  Notification(component, opRemove);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Pass it on to everything this component owns. Handlers may free
  // components, so each one is checked against the live list before its call.
  std::vector<TComponent*> snapshot = components_;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
    if (*it != component && ContainsValue(components_, *it)) (*it)->Notification(component, operation);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

bool TComponent::IsValidIdent(const std::string& name) {
  if (name.empty()) return false;
  auto isStart = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
  if (!isStart(static_cast<unsigned char>(name[0]))) return false;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (!(isStart(c) || std::isdigit(c))) return false;
  }
  return true;
}

void TComponent::SetName(const std::string& newName) {
  if (newName == name_) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw EComponentError("'" + newName + "' is not a valid component name");
  if (owner_ && !newName.empty()) {
    TComponent* other = owner_->FindComponent(newName);
    if (other && other != this) throw EComponentError("A component named " + newName + " already exists");
  }
  name_ = newName;
}

void TComponent::FreeNotification(TComponent* c) {
  if (!c || c == this) return;
  if (!ContainsValue(freeNotifies_, c)) freeNotifies_.push_back(c);
  if (!ContainsValue(c->freeNotifies_, this)) c->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c) {
  if (!c) return;
  EraseValue(freeNotifies_, c);
  EraseValue(c->freeNotifies_, this);
}

// ---- TStrings ----------------------------------------------------------------

const TMetaClass& TStrings::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TStrings>("TStrings", &TPersistent::StaticClass(), [](TClassBuilder<TStrings>& b) {
        b.Strings("Strings", &TStrings::SetStrings);
      });
  return cls;
}

void TStrings::Error(int index) const {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::Put(int i, const std::string& s) {
  InOneUpdate(*this, [&] {
    TObject* object = GetObject(i);
    Delete(i);
    InsertObject(i, s, object);
  });
}

TObject* TStrings::GetObject(int /*i*/) const { return nullptr; }
void TStrings::PutObject(int /*i*/, TObject* /*object*/) {}

int TStrings::AddObject(const std::string& s, TObject* object) {
  int i = Count();
  InsertObject(i, s, object);
  return i;
}

void TStrings::InsertObject(int i, const std::string& s, TObject* object) {
  Insert(i, s);
  PutObject(i, object);
}

void TStrings::AddStrings(const TStrings& source) {
  InOneUpdate(*this, [&] {
    for (int i = 0; i < source.Count(); ++i) AddObject(source.Get(i), source.GetObject(i));
  });
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (AnsiCompareText(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ <= 0) return;  // an unbalanced close is ignored
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    if (strings == this) return;
    InOneUpdate(*this, [&] {
      Clear();
      AddStrings(*strings);
    });
    return;
  }
  TPersistent::Assign(source);
}

std::string TStrings::CommaText() const {
  const int n = Count();
  if (n == 1 && Get(0).empty()) return "\"\"";
  std::string text;
  for (int i = 0; i < n; ++i) {
    const std::string s = Get(i);
    bool quote = false;
    for (char ch : s) {
      unsigned char c = static_cast<unsigned char>(ch);
      if ((c >= 1 && c <= 32) || c == '"' || c == ',') quote = true;
    }
    if (quote) {
      text += '"';
      for (char c : s) {
        if (c == '"') text += '"';
        text += c;
      }
      text += '"';
    } else {
      text += s;
    }
    if (i + 1 < n) text += ',';
  }
  return text;
}

void TStrings::SetCommaText(const std::string& value) {
  // The text ends at its first zero character, as stored text does.
  const std::string text = value.substr(0, value.find('\0'));
  auto blank = [&](size_t p) {
    unsigned char c = static_cast<unsigned char>(text[p]);
    return c >= 1 && c <= 32;
  };
  InOneUpdate(*this, [&] {
    Clear();
    size_t p = 0;
    const size_t n = text.size();
    while (p < n && blank(p)) ++p;
    while (p < n) {
      std::string item;
      if (text[p] == '"') {
        ++p;
        while (p < n) {
          if (text[p] == '"') {
            if (p + 1 < n && text[p + 1] == '"') {
              item += '"';
              p += 2;
              continue;
            }
            ++p;
            break;
          }
          item += text[p++];
        }
      } else {
        while (p < n && static_cast<unsigned char>(text[p]) > 32 && text[p] != ',') item += text[p++];
      }
      Add(item);
      while (p < n && blank(p)) ++p;
      if (p < n && text[p] == ',') {
        ++p;
        while (p < n && blank(p)) ++p;
      }
    }
  });
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> v;
  for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
  return v;
}

void TStrings::SetStrings(const std::vector<std::string>& strings) {
  InOneUpdate(*this, [&] {
    Clear();
    for (const std::string& s : strings) Add(s);
  });
}

// ---- TStringList -------------------------------------------------------------

const TMetaClass& TStringList::StaticClass() {
  static const TMetaClass cls = DefineClass<TStringList>("TStringList", &TStrings::StaticClass());
  return cls;
}

TStringList::~TStringList() { OnChange = nullptr; }

std::string TStringList::Get(int i) const {
  Check(i);
  return items_[i].first;
}

void TStringList::Put(int i, const std::string& s) {
  Check(i);
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  items_[i].first = s;
  Changed();
}

TObject* TStringList::GetObject(int i) const {
  Check(i);
  return items_[i].second;
}

void TStringList::PutObject(int i, TObject* object) {
  Check(i);
  items_[i].second = object;
  Changed();
}

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EListError("String list does not allow duplicates");
  }
  items_.insert(items_.begin() + index, {s, object});
  Changed();
  return index;
}

void TStringList::InsertObject(int i, const std::string& s, TObject* object) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  if (i < 0 || i > Count()) Error(i);
  items_.insert(items_.begin() + i, {s, object});
  Changed();
}

void TStringList::Delete(int i) {
  Check(i);
  items_.erase(items_.begin() + i);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed();
}

int TStringList::IndexOf(const std::string& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

bool TStringList::Find(const std::string& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = AnsiCompareText(items_[mid].first, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
  Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (!updating) Changed();
}

// ---- Collections ---------------------------------------------------------

const TMetaClass& TCollection::StaticClass() {
  static const TMetaClass cls = DefineClass<TCollection>("TCollection", &TPersistent::StaticClass());
  return cls;
}

const TMetaClass& TCollectionItem::StaticClass() {
  static const TMetaClass cls = DefineClass<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass());
  return cls;
}

const TMetaClass& TOwnedCollection::StaticClass() {
  static const TMetaClass cls = DefineClass<TOwnedCollection>("TOwnedCollection", &TCollection::StaticClass());
  return cls;
}

TCollection::TCollection(TClass itemClass) : itemClass_(itemClass) {
  if (!itemClass || !itemClass->InheritsFrom(&TCollectionItem::StaticClass()) || itemClass->IsAbstract())
    throw EInvalidOperation("A collection needs a concrete collection item class");
}

TCollection::~TCollection() {
  ++updateCount_;  // no Update calls while the collection goes
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    items_.pop_back();
    item->collection_ = nullptr;
    item->Free();
  }
}

TCollectionItem* TCollection::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
  return items_[i];
}

void TCollection::SetItem(int i, TCollectionItem* source) { Items(i)->Assign(source); }

TCollectionItem* TCollection::Add() {
  auto* item = static_cast<TCollectionItem*>(itemClass_->NewInstance(nullptr));
  InsertItem(item);
  return item;
}

void TCollection::Delete(int i) { Items(i)->Free(); }

void TCollection::Clear() {
  if (items_.empty()) return;
  InOneUpdate(*this, [&] {
    while (!items_.empty()) items_.back()->Free();
  });
}

void TCollection::EndUpdate() {
  if (updateCount_ <= 0) return;
  --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  item->collection_ = this;
  item->id_ = nextId_++;
  items_.push_back(item);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  EraseValue(items_, item);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TCollection*>(source)) {
    if (other == this) return;
    InOneUpdate(*this, [&] {
      Clear();
      for (TCollectionItem* item : other->items_) Add()->Assign(item);
    });
    return;
  }
  TPersistent::Assign(source);
}

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}
