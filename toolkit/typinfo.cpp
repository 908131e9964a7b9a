#include "toolkit/typinfo.h"

#include <cctype>
#include <map>

#include "toolkit/classes.h"
#include "toolkit/sysutils.h"

// ---- Metaclasses -------------------------------------------------------------

bool TMetaClass::InheritsFrom(TClass ancestor) const {
  for (TClass c = this; c; c = c->parent_)
    if (c == ancestor) return true;
  return false;
}

TObject* TMetaClass::NewInstance(TObject* argument) const {
  if (!factory_) throw EInvalidOperation("Cannot create an instance of the abstract class " + name_);
  TObject* object = factory_(argument);
  if (object->ClassType() != this) {
    // The class body lacks TK_CLASS: its instances would claim to be their parent.
    std::string actual = object->ClassName();
    delete object;
    throw EInvalidOperation("Class " + name_ + " does not declare itself (its instances answer " + actual + ")");
  }
  return object;
}

TComponent* TMetaClass::Create(TComponent* owner) const {
  if (!InheritsFrom(&TComponent::StaticClass()))
    throw EInvalidOperation(name_ + " is not a component class");
  auto* component = static_cast<TComponent*>(NewInstance(owner));
  try {
    component->InitFromResources();
    component->AfterConstruction();
  } catch (...) {
    component->Free();
    throw;
  }
  return component;
}

const TPropInfo* TMetaClass::FindProperty(const std::string& name) const {
  for (TClass c = this; c; c = c->parent_)
    for (const TPropInfo& p : c->OwnProperties)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TMethodInfo* TMetaClass::FindMethod(const std::string& name) const {
  for (TClass c = this; c; c = c->parent_)
    for (const TMethodInfo& m : c->OwnMethods)
      if (SameText(m.Name, name)) return &m;
  return nullptr;
}

std::vector<const TFieldInfo*> TMetaClass::Fields() const {
  std::vector<const TFieldInfo*> all;
  for (TClass c = this; c; c = c->parent_)
    for (const TFieldInfo& f : c->OwnFields) all.push_back(&f);
  return all;
}

std::vector<const TPropInfo*> TMetaClass::Properties() const {
  std::vector<const TPropInfo*> all;
  if (parent_) all = parent_->Properties();
  for (const TPropInfo& p : OwnProperties) all.push_back(&p);
  return all;
}

// ---- TObject ---------------------------------------------------------------

const TMetaClass& TObject::StaticClass() {
  static const TMetaClass cls = DefineClass<TObject>("TObject", nullptr);
  return cls;
}

void TObject::Free() {
  if (freeing_) return;
  freeing_ = true;
  try {
    BeforeDestruction();
  } catch (...) {
    delete this;
    throw;
  }
  delete this;
}

// ---- The class registry ------------------------------------------------------

namespace {

std::string Key(const std::string& name) {
  std::string k = name;
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

std::map<std::string, TClass>& Registry() {
  static std::map<std::string, TClass> classes;
  return classes;
}

}  // namespace

void RegisterClass(TClass cls) {
  if (!cls) return;
  auto& registry = Registry();
  auto [it, inserted] = registry.emplace(Key(cls->ClassName()), cls);
  if (!inserted && it->second != cls)
    throw EFilerError("A class named " + cls->ClassName() + " already exists");
}

void RegisterClasses(const TClass* classes, int lastIndex) {
  for (int i = 0; i <= lastIndex; ++i) RegisterClass(classes[i]);
}

void RegisterClasses(std::initializer_list<TClass> classes) {
  for (TClass c : classes) RegisterClass(c);
}

void UnRegisterClass(TClass cls) {
  if (!cls) return;
  auto it = Registry().find(Key(cls->ClassName()));
  if (it != Registry().end() && it->second == cls) Registry().erase(it);
}

TClass GetClass(const std::string& name) {
  if (name.empty()) return nullptr;
  auto it = Registry().find(Key(name));
  return it == Registry().end() ? nullptr : it->second;
}

TClass FindClass(const std::string& name) {
  TClass cls = GetClass(name);
  if (!cls) throw EClassNotFound("Class " + name + " not found");
  return cls;
}
