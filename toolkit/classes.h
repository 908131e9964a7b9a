#pragma once
// Persistent objects, components with ownership and free notification, and
// the non-visual containers: TList, TStrings/TStringList, collections.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

// ---- TPersistent -------------------------------------------------------------

// An object whose state can be copied from another (Assign) and whose
// published properties can be streamed.
class TPersistent : public TObject {
  TK_CLASS(TPersistent)
  TPersistent() = default;
  // The owner is accepted for the sake of factories and not stored.
  explicit TPersistent(TPersistent* /*owner*/) {}

  // Copies `source` into this object. The default asks the source to copy
  // itself (AssignTo); when neither side knows the other, EConvertError.
  virtual void Assign(TPersistent* source);
  // The object this one belongs to (a collection's owner, for instance).
  virtual TPersistent* GetOwner() { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

// ---- TList -------------------------------------------------------------------

// A list of pointers (nil allowed). Any index outside 0..Count-1 raises EListError.
template <class T = void>
class TList {
 public:
  TList() = default;
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  T* Items(int i) const { return items_[Check(i)]; }
  void SetItems(int i, T* item) { items_[Check(i)] = item; }
  int Add(T* item) {
    items_.push_back(item);
    return Count() - 1;
  }
  void Insert(int i, T* item) {
    if (i != Count()) Check(i);
    items_.insert(items_.begin() + i, item);
  }
  void Delete(int i) { items_.erase(items_.begin() + Check(i)); }
  int IndexOf(const T* item) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[i] == item) return i;
    return -1;
  }
  // Removes the first occurrence; answers its former index, or -1.
  int Remove(const T* item) {
    int i = IndexOf(item);
    if (i >= 0) Delete(i);
    return i;
  }
  void Clear() { items_.clear(); }

 private:
  int Check(int i) const {
    if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + std::to_string(i) + ")");
    return i;
  }
  std::vector<T*> items_;
};

// ---- TComponent ------------------------------------------------------------

enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateItem>;
enum TOperation { opInsert, opRemove };

class TReader;

// A persistent object with an owner, a name and free notification.
//
// Life: created owned (the owner keeps it in its list, last created last)
// and freed by Free(), by its owner, or by delete. Free() runs the teardown
// with full virtual dispatch: csDestroying is set, owned components are freed
// last first, partners are told Notification(this, opRemove), then the
// owner removes it and tells itself and its components the same. A plain
// delete does the same steps, with dispatch only to what is left of the
// object.
class TComponent : public TPersistent {
  TK_CLASS(TComponent)
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const;
  int ComponentIndex() const;  // position in the owner's list, -1 without owner
  // The directly owned component of that name (any case); null if none.
  TComponent* FindComponent(const std::string& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  const std::string& Name() const { return name_; }
  // Renames the component. The name must be empty or an identifier, and not
  // taken by another component of the same owner (EComponentError).
  virtual void SetName(const std::string& newName);
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }
  TComponentState ComponentState() const { return state_; }

  // `c` is told Notification(this, opRemove) when this component goes, and
  // this one is told when `c` goes. Both links go when either ends.
  void FreeNotification(TComponent* c);
  void RemoveFreeNotification(TComponent* c);

  // Streaming hooks.
  // The owner of objects nested inside this one in a resource; null means the root.
  virtual TComponent* GetChildOwner() { return nullptr; }
  // The parent of objects nested inside this one in a resource.
  virtual TComponent* GetChildParent() { return this; }
  // The reader tells a nested object its container; controls take it as Parent.
  virtual void SetParentComponent(TComponent* /*parent*/) {}

  void BeforeDestruction() override;

 protected:
  // Called about every insertion into and removal from this component's
  // owner, and about the end of free-notification partners. Overrides must
  // call the inherited one, and must be harmless when a removal arrives twice.
  virtual void Notification(TComponent* component, TOperation operation);
  // Called once all references of the resource this component was read from
  // are fixed up. Clears csLoading.
  virtual void Loaded();
  // Roots read their resources here (second step of TMetaClass::Create).
  virtual void InitFromResources() {}

  void SetDesigning(bool designing);

 private:
  friend class TReader;
  friend class TMetaClass;
  friend class TApplication;  // creates roots step by step (CreateForm)
  void Teardown();
  void SetDestroying();
  void Broadcast(TComponent* component, TOperation operation);
  static bool IsValidIdent(const std::string& name);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  std::string name_;
  std::int32_t tag_ = 0;
  TComponentState state_;
  bool tornDown_ = false;
};

// Creates a component of class T owned by `owner` through its metaclass, so
// roots read their resources and AfterConstruction runs.
template <class T>
T* CreateComponent(TComponent* owner) {
  return static_cast<T*>(T::StaticClass().Create(owner));
}
// Creates a component of class T without reading any resource; only
// AfterConstruction runs after the constructor.
template <class T>
T* CreateNew(TComponent* owner) {
  T* component = new T(owner);
  try {
    component->AfterConstruction();
  } catch (...) {
    component->Free();
    throw;
  }
  return component;
}

// ---- TStrings and TStringList ------------------------------------------------

// A list of strings, each with an object pointer (not owned).
class TStrings : public TPersistent {
  TK_CLASS(TStrings)
  TStrings() = default;

  virtual int Count() const = 0;
  virtual std::string Get(int i) const = 0;
  virtual void Put(int i, const std::string& s);
  virtual TObject* GetObject(int i) const;
  virtual void PutObject(int i, TObject* object);
  virtual void Insert(int i, const std::string& s) = 0;
  virtual void Delete(int i) = 0;
  virtual void Clear() = 0;
  virtual int IndexOf(const std::string& s) const;  // ignoring case; -1 if absent

  std::string Strings(int i) const { return Get(i); }
  TObject* Objects(int i) const { return GetObject(i); }
  int Add(const std::string& s) { return AddObject(s, nullptr); }
  virtual int AddObject(const std::string& s, TObject* object);
  virtual void InsertObject(int i, const std::string& s, TObject* object);
  void AddStrings(const TStrings& source);
  int IndexOfObject(const TObject* object) const;

  // Update brackets nest; SetUpdateState is told when the outermost one
  // opens (true) and closes (false).
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Strings and objects, as one update.
  void Assign(TPersistent* source) override;
  // The comma format of the settings in the registry.
  std::string CommaText() const;
  void SetCommaText(const std::string& text);  // one update
  std::vector<std::string> ToVector() const;
  void SetStrings(const std::vector<std::string>& strings);  // one update

 protected:
  virtual void SetUpdateState(bool /*updating*/) {}
  [[noreturn]] void Error(int index) const;

 private:
  int updateCount_ = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Strings in memory. `Changed()` runs after every modification and once when
// the outermost update bracket closes; it fires OnChange outside brackets.
class TStringList : public TStrings {
  TK_CLASS(TStringList)
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int i) const override;
  void Put(int i, const std::string& s) override;
  TObject* GetObject(int i) const override;
  void PutObject(int i, TObject* object) override;
  // A string with its object is one change.
  int AddObject(const std::string& s, TObject* object) override;
  void Insert(int i, const std::string& s) override { InsertObject(i, s, nullptr); }
  void InsertObject(int i, const std::string& s, TObject* object) override;
  void Delete(int i) override;
  void Clear() override;
  int IndexOf(const std::string& s) const override;

  // Sorted lists keep their order (ignoring case) on Add; Insert is refused.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  // Binary search of a sorted list: true and the index when found, else the
  // index where it would go.
  bool Find(const std::string& s, int& index) const;
  void Sort();

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
  void SetUpdateState(bool updating) override;

 private:
  void Check(int i) const {
    if (i < 0 || i >= Count()) Error(i);
  }
  std::vector<std::pair<std::string, TObject*>> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupAccept;
};

// ---- Collections ---------------------------------------------------------

class TCollectionItem;

// A list of items of one class that it owns. Every change ends in the
// virtual Update: Update(item) for a change of one item, Update(nullptr) for
// additions, deletions, clearing and the close of the outermost update
// bracket; nothing inside a bracket.
class TCollection : public TPersistent {
  TK_CLASS(TCollection)
  // `itemClass` must be a TCollectionItem class with a default constructor.
  explicit TCollection(TClass itemClass);
  ~TCollection() override;

  TClass ItemClass() const { return itemClass_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* Items(int i) const;  // GetItem
  void SetItem(int i, TCollectionItem* source);  // assigns source to item i
  TCollectionItem* Add();
  void Delete(int i);
  void Clear();
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // Clears, then adds copies of the source's items (as one update).
  void Assign(TPersistent* source) override;

 protected:
  virtual void Update(TCollectionItem* /*item*/) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  TClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int updateCount_ = 0;
  int nextId_ = 0;
};

class TCollectionItem : public TPersistent {
  TK_CLASS(TCollectionItem)
  TCollectionItem() = default;
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  int Index() const;
  int ID() const { return id_; }
  TPersistent* GetOwner() override { return collection_; }

 protected:
  // Reports a change of this item (or, with allItems, of the whole list).
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// A collection that names its owner (the component publishing it).
class TOwnedCollection : public TCollection {
  TK_CLASS(TOwnedCollection)
  TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass), owner_(owner) {}
  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};
