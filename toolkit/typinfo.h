#pragma once
// The object model's roots: TObject, metaclasses with their published
// properties, methods and fields, closures for events, small sets, and the
// class registry that form resources find their classes in.
#include <windows.h>
// The toolkit's own GetObject (string-list objects, sub-object properties)
// wins over the Win32 macro; GDI callers write GetObjectA.
#undef GetObject

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TMetaClass;

using TClass = const TMetaClass*;
using TPersistentClass = TClass;
using TComponentClass = TClass;

// ---- Small sets ----------------------------------------------------------

// A set of a plain enumeration whose members are 0..31: member n is bit n.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }
  static constexpr TSet FromBits(std::uint32_t bits) {
    TSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr std::uint32_t Bits() const { return bits_; }
  constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  TSet& Include(E m) { bits_ |= Bit(m); return *this; }
  TSet& Exclude(E m) { bits_ &= ~Bit(m); return *this; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(TSet o) const { return bits_ == o.bits_; }
  constexpr bool operator!=(TSet o) const { return bits_ != o.bits_; }

 private:
  static constexpr std::uint32_t Bit(E m) { return std::uint32_t(1) << static_cast<unsigned>(m); }
  std::uint32_t bits_ = 0;
};

// ---- Events --------------------------------------------------------------

// Events are closures: an object with one of its methods, or any callable.
// An empty closure is "unassigned"; callers test it before the call.
using TNotifyEvent = std::function<void(TObject* Sender)>;

template <class T, class R, class... A>
std::function<R(A...)> MakeEvent(T* object, R (T::*method)(A...)) {
  return [object, method](A... args) { return (object->*method)(std::forward<A>(args)...); };
}

// ---- Published properties --------------------------------------------------

enum class TPropKind {
  Integer,    // 32-bit integer
  Float,      // double; resources write it with '.'
  String,
  Boolean,
  Enum,       // identifier from Names, stored as its ordinal
  Set,        // [identifiers from Names], stored as bits
  Ident,      // integer that may also be written as an identifier (colours, cursors, charsets)
  Class,      // a persistent sub-object owned by the object (Font, Items, Ranges ...)
  Component,  // a reference to a component, resolved after reading
  Event,      // a closure bound to a published method of the root by name
  Strings,    // a list of strings, set as one update
  Binary,     // bytes written as hexadecimal
};

struct TIdentEntry {
  const char* Name;
  std::int32_t Value;
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  std::vector<std::string> Names;           // Enum, Set
  const std::vector<TIdentEntry>* Idents = nullptr;  // Ident
  // Component: the class a referenced component must have. A function, so a
  // class may refer to its own kind while its metaclass is being built.
  TClass (*RefClass)() = nullptr;
  std::type_index EventType = typeid(void); // Event: the closure type

  std::function<std::int64_t(TObject*)> GetOrdinal;  // Integer, Boolean, Enum, Set, Ident
  std::function<void(TObject*, std::int64_t)> SetOrdinal;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<std::string(TObject*)> GetString;  // String, Binary
  std::function<void(TObject*, const std::string&)> SetString;
  std::function<TPersistent*(TObject*)> GetObject;  // Class
  std::function<TComponent*(TObject*)> GetComponent;
  std::function<void(TObject*, TComponent*)> SetComponent;
  std::function<void(TObject*, const std::any&)> SetEvent;  // the any holds an EventType
  std::function<void(TObject*, const std::vector<std::string>&)> SetStrings;
};

// A published method: its name, closure type, and how to bind it to an instance.
struct TMethodInfo {
  std::string Name;
  std::type_index EventType = typeid(void);
  std::function<std::any(TObject*)> Bind;
};

// A published field of a root: set to the component of the same name once it
// is created. `Assign` answers false when the component has the wrong class.
struct TFieldInfo {
  std::string Name;
  std::function<bool(TObject* root, TComponent* component)> Assign;
};

// ---- Metaclasses ---------------------------------------------------------

// One object per class: name, parent, factory and published members.
class TMetaClass {
 public:
  using Factory = TObject* (*)(TObject* argument);

  // `declare` fills in the published members once, at construction.
  TMetaClass(const char* name, TClass parent, Factory factory,
             const std::function<void(TMetaClass&)>& declare = nullptr)
      : name_(name), parent_(parent), factory_(factory) {
    if (declare) declare(*this);
  }
  TMetaClass(const TMetaClass&) = delete;
  TMetaClass& operator=(const TMetaClass&) = delete;

  const std::string& ClassName() const { return name_; }
  TClass ClassParent() const { return parent_; }
  bool InheritsFrom(TClass ancestor) const;
  bool IsAbstract() const { return factory_ == nullptr; }

  // A new instance of exactly this class. The argument is the owner of a
  // component, and ignored by other classes. No construction hooks run.
  TObject* NewInstance(TObject* argument) const;
  // Creates a component of this class owned by `owner` in three steps: the
  // constructor, then its resources (roots only), then AfterConstruction.
  // If any step fails the component is freed and the error propagates.
  TComponent* Create(TComponent* owner) const;

  // Members declared by this class and its ancestors; null when missing.
  // Names compare without regard to case.
  const TPropInfo* FindProperty(const std::string& name) const;
  const TMethodInfo* FindMethod(const std::string& name) const;
  std::vector<const TFieldInfo*> Fields() const;
  std::vector<const TPropInfo*> Properties() const;  // ancestors' first

  // Declared members (this class only); filled once by the class's builder.
  std::vector<TPropInfo> OwnProperties;
  std::vector<TMethodInfo> OwnMethods;
  std::vector<TFieldInfo> OwnFields;

 private:
  std::string name_;
  TClass parent_;
  Factory factory_;
};

// ---- The common root -------------------------------------------------------

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TMetaClass& StaticClass();
  virtual TClass ClassType() const { return &StaticClass(); }
  const std::string& ClassName() const { return ClassType()->ClassName(); }
  bool InheritsFrom(TClass ancestor) const { return ClassType()->InheritsFrom(ancestor); }

  // Hooks around the constructor and destructor, with full virtual dispatch.
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
  // Runs BeforeDestruction, then deletes the object. A second Free while the
  // first is still tearing the object down does nothing.
  void Free();

 private:
  bool freeing_ = false;
};

template <class T>
void FreeAndNil(T*& object) {
  T* o = object;
  object = nullptr;
  if (o) o->Free();
}

// Every class of the object model starts its body with this line. It gives
// the class its metaclass (defined in the .cpp with DefineClass) and makes
// ClassType() answer it. Members that follow are public until an access
// specifier says otherwise.
#define TK_CLASS(T)                                  \
 public:                                             \
  static const TMetaClass& StaticClass();            \
  TClass ClassType() const override { return &StaticClass(); }

// ---- Declaring published members --------------------------------------------

template <class T>
class TClassBuilder {
 public:
  explicit TClassBuilder(TMetaClass& cls) : cls_(cls) {}

  // Getters and setters are member functions, data members, or callables
  // taking T*.
  template <class G, class S>
  void Integer(const char* name, G get, S set) {
    auto& p = Add(name, TPropKind::Integer);
    p.GetOrdinal = [get](TObject* o) -> std::int64_t { return std::invoke(get, Self(o)); };
    p.SetOrdinal = [set](TObject* o, std::int64_t v) { std::invoke(set, Self(o), static_cast<std::int32_t>(v)); };
  }
  template <class G, class S>
  void Boolean(const char* name, G get, S set) {
    auto& p = Add(name, TPropKind::Boolean);
    p.GetOrdinal = [get](TObject* o) -> std::int64_t { return std::invoke(get, Self(o)) ? 1 : 0; };
    p.SetOrdinal = [set](TObject* o, std::int64_t v) { std::invoke(set, Self(o), v != 0); };
  }
  template <class G, class S>
  void Float(const char* name, G get, S set) {
    auto& p = Add(name, TPropKind::Float);
    p.GetFloat = [get](TObject* o) -> double { return std::invoke(get, Self(o)); };
    p.SetFloat = [set](TObject* o, double v) { std::invoke(set, Self(o), v); };
  }
  template <class G, class S>
  void String(const char* name, G get, S set) {
    auto& p = Add(name, TPropKind::String);
    p.GetString = [get](TObject* o) -> std::string { return std::invoke(get, Self(o)); };
    p.SetString = [set](TObject* o, const std::string& v) { std::invoke(set, Self(o), v); };
  }
  // `names` lists the members in ordinal order.
  template <class E, class G, class S>
  void Enum(const char* name, std::vector<std::string> names, G get, S set) {
    auto& p = Add(name, TPropKind::Enum);
    p.Names = std::move(names);
    p.GetOrdinal = [get](TObject* o) -> std::int64_t { return static_cast<std::int64_t>(std::invoke(get, Self(o))); };
    p.SetOrdinal = [set](TObject* o, std::int64_t v) { std::invoke(set, Self(o), static_cast<E>(v)); };
  }
  template <class E, class G, class S>
  void Set(const char* name, std::vector<std::string> names, G get, S set) {
    auto& p = Add(name, TPropKind::Set);
    if (names.size() > 32) names.resize(32);  // a set holds members 0..31
    p.Names = std::move(names);
    p.GetOrdinal = [get](TObject* o) -> std::int64_t { return TSet<E>(std::invoke(get, Self(o))).Bits(); };
    p.SetOrdinal = [set](TObject* o, std::int64_t v) {
      std::invoke(set, Self(o), TSet<E>::FromBits(static_cast<std::uint32_t>(v)));
    };
  }
  template <class V, class G, class S>
  void Ident(const char* name, const std::vector<TIdentEntry>& idents, G get, S set) {
    auto& p = Add(name, TPropKind::Ident);
    p.Idents = &idents;
    p.GetOrdinal = [get](TObject* o) -> std::int64_t { return static_cast<std::int64_t>(std::invoke(get, Self(o))); };
    p.SetOrdinal = [set](TObject* o, std::int64_t v) { std::invoke(set, Self(o), static_cast<V>(v)); };
  }
  // A sub-object the instance owns; the reader sets its properties in place.
  template <class G>
  void Class(const char* name, G get) {
    auto& p = Add(name, TPropKind::Class);
    p.GetObject = [get](TObject* o) -> TPersistent* { return std::invoke(get, Self(o)); };
  }
  // A reference to a component of class C (or a descendant).
  template <class C, class G, class S>
  void Component(const char* name, G get, S set) {
    auto& p = Add(name, TPropKind::Component);
    p.RefClass = [] { return &C::StaticClass(); };
    p.GetComponent = [get](TObject* o) -> TComponent* { return std::invoke(get, Self(o)); };
    p.SetComponent = [set](TObject* o, TComponent* c) { std::invoke(set, Self(o), dynamic_cast<C*>(c)); };
  }
  // An event whose closure type is F, held in the data member or set by `set`.
  template <class F, class S>
  void Event(const char* name, S set) {
    auto& p = Add(name, TPropKind::Event);
    p.EventType = typeid(F);
    p.SetEvent = [set](TObject* o, const std::any& v) {
      const F f = v.has_value() ? std::any_cast<const F&>(v) : F();  // empty: unassigned
      if constexpr (std::is_member_object_pointer_v<S>)
        Self(o)->*set = f;
      else
        std::invoke(set, Self(o), f);
    };
  }
  template <class S>
  void Strings(const char* name, S set) {
    auto& p = Add(name, TPropKind::Strings);
    p.SetStrings = [set](TObject* o, const std::vector<std::string>& v) { std::invoke(set, Self(o), v); };
  }
  template <class S>
  void Binary(const char* name, S set) {
    auto& p = Add(name, TPropKind::Binary);
    p.SetString = [set](TObject* o, const std::string& v) { std::invoke(set, Self(o), v); };
  }

  // A published method, found by name when a resource binds an event.
  template <class R, class... A>
  void Method(const char* name, R (T::*method)(A...)) {
    TMethodInfo m;
    m.Name = name;
    m.EventType = typeid(std::function<R(A...)>);
    m.Bind = [method](TObject* o) -> std::any { return MakeEvent(Self(o), method); };
    cls_.OwnMethods.push_back(std::move(m));
  }
  // A published field: a pointer to a component class F held by T.
  template <class F>
  void Field(const char* name, F* T::*field) {
    TFieldInfo f;
    f.Name = name;
    f.Assign = [field](TObject* root, TComponent* c) {
      F* typed = dynamic_cast<F*>(c);
      if (c && !typed) return false;
      Self(root)->*field = typed;
      return true;
    };
    cls_.OwnFields.push_back(std::move(f));
  }

 private:
  static T* Self(TObject* o) { return static_cast<T*>(o); }
  TPropInfo& Add(const char* name, TPropKind kind) {
    cls_.OwnProperties.emplace_back();
    auto& p = cls_.OwnProperties.back();
    p.Name = name;
    p.Kind = kind;
    return p;
  }
  TMetaClass& cls_;
};

namespace typinfo_detail {
template <class T>
TObject* Construct(TObject* argument) {
  if constexpr (std::is_constructible_v<T, TComponent*>)
    return new T(argument ? dynamic_cast<TComponent*>(argument) : nullptr);
  else
    return new T();
}
template <class T>
constexpr TMetaClass::Factory FactoryOf() {
  if constexpr (std::is_abstract_v<T> ||
                !(std::is_constructible_v<T, TComponent*> || std::is_default_constructible_v<T>))
    return nullptr;
  else
    return &Construct<T>;
}
}  // namespace typinfo_detail

// Builds the metaclass of T: `declare` publishes its members.
// Use it in T::StaticClass() as
//   static const TMetaClass cls = DefineClass<T>("T", &Parent::StaticClass(), ...);
template <class T, class Declare>
TMetaClass DefineClass(const char* name, TClass parent, Declare declare) {
  return TMetaClass(name, parent, typinfo_detail::FactoryOf<T>(), [&declare](TMetaClass& cls) {
    TClassBuilder<T> builder(cls);
    declare(builder);
  });
}
template <class T>
TMetaClass DefineClass(const char* name, TClass parent) {
  return TMetaClass(name, parent, typinfo_detail::FactoryOf<T>());
}

// ---- The class registry ------------------------------------------------------

// Classes a form resource may name. Registering a class twice is harmless;
// registering another class under a taken name raises EFilerError.
void RegisterClass(TClass cls);
void RegisterClasses(const TClass* classes, int lastIndex);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
TClass GetClass(const std::string& name);   // null for an empty or unknown name
TClass FindClass(const std::string& name);  // raises EClassNotFound
