#include "toolkit/reader.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>

#include "toolkit/screen.h"

EReadError::EReadError(const std::string& resource, int line, const std::string& what)
    : EFilerError("Error reading resource " + resource + ", line " + std::to_string(line) + ": " + what),
      resource_(resource),
      line_(line),
      what_(what) {}

namespace {

constexpr int kMaxNesting = 64;

enum class Tok { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, number text, string value, bytes, or the symbol
  int line = 1;
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Splits resource text into tokens. Faults are reported through `fail`.
class Lexer {
 public:
  Lexer(const std::string& text, const std::string& resource) : text_(text), resource_(resource) {}

  Token Next() {
    SkipBlanks();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    char c = text_[pos_];
    if (IsIdentStart(c)) {
      t.kind = Tok::Ident;
      // Dotted names are one token: Font.Style, MainForm.nRings.
      while (pos_ < text_.size() &&
             (IsIdentChar(text_[pos_]) ||
              (text_[pos_] == '.' && pos_ + 1 < text_.size() && IsIdentStart(text_[pos_ + 1]))))
        t.text += text_[pos_++];
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' ||
               ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                (std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])) || text_[pos_ + 1] == '$'))) {
      ReadNumber(t);
    } else if (c == '\'' || c == '#') {
      t.kind = Tok::String;
      ReadString(t);
    } else if (c == '{') {
      t.kind = Tok::Binary;
      ReadBinary(t);
    } else if (std::string("=:[](),<>+").find(c) != std::string::npos) {
      t.kind = Tok::Symbol;
      t.text = std::string(1, c);
      ++pos_;
    } else {
      Fail("Invalid character (code " + std::to_string(static_cast<unsigned char>(c)) + ")");
    }
    return t;
  }

  [[noreturn]] void Fail(const std::string& what) const { throw EReadError(resource_, line_, what); }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') ++line_;
      else if (c != ' ' && c != '\t' && c != '\r') break;
      ++pos_;
    }
  }

  void ReadNumber(Token& t) {
    if (text_[pos_] == '-' || text_[pos_] == '+') t.text += text_[pos_++];
    if (pos_ < text_.size() && text_[pos_] == '$') {
      t.text += text_[pos_++];
      while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) t.text += text_[pos_++];
      t.kind = Tok::Integer;
    } else {
      t.kind = Tok::Integer;
      auto digits = [&] {
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) t.text += text_[pos_++];
      };
      digits();
      if (pos_ < text_.size() && text_[pos_] == '.') {
        t.kind = Tok::Float;
        t.text += text_[pos_++];
        digits();
      }
      if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        t.kind = Tok::Float;
        t.text += text_[pos_++];
        if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) t.text += text_[pos_++];
        digits();
      }
    }
    if (pos_ < text_.size() && IsIdentChar(text_[pos_])) Fail("Invalid number " + t.text + text_[pos_]);
  }

  // 'quoted' pieces ('' is a quote) and #nn character codes, side by side.
  void ReadString(Token& t) {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') Fail("Unterminated string");
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              t.text += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          t.text += text_[pos_++];
        }
      } else if (c == '#') {
        ++pos_;
        std::string code;
        bool hex = pos_ < text_.size() && text_[pos_] == '$';
        if (hex) ++pos_;
        while (pos_ < text_.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text_[pos_]))
                                            : std::isdigit(static_cast<unsigned char>(text_[pos_]))))
          code += text_[pos_++];
        if (code.empty() || code.size() > 5) Fail("Invalid character code");
        long v = std::strtol(code.c_str(), nullptr, hex ? 16 : 10);
        if (v > 255) Fail("Character code " + code + " is outside the 8-bit character set");
        t.text += static_cast<char>(v);
      } else {
        break;
      }
    }
  }

  void ReadBinary(Token& t) {
    ++pos_;  // {
    std::string hex;
    for (;;) {
      if (pos_ >= text_.size()) Fail("Unterminated binary data");
      char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n') ++line_;
      else if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
      else if (c != ' ' && c != '\t' && c != '\r') Fail("Invalid binary data");
    }
    if (hex.size() % 2) Fail("Odd number of hexadecimal digits in binary data");
    for (size_t i = 0; i < hex.size(); i += 2)
      t.text += static_cast<char>(std::strtol(hex.substr(i, 2).c_str(), nullptr, 16));
  }

  const std::string& text_;
  const std::string& resource_;
  size_t pos_ = 0;
  int line_ = 1;
};

std::vector<std::string> SplitDots(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

std::string UniqueRootName(TComponent* root, const std::string& name) {
  auto taken = [root](const std::string& n) {
    TComponent* other = FindGlobalComponent(n);
    if (other && other != root) return true;
    if (root->Owner()) {
      other = root->Owner()->FindComponent(n);
      if (other && other != root) return true;
    }
    return false;
  };
  if (!taken(name)) return name;
  for (int i = 1;; ++i) {
    std::string candidate = name + "_" + std::to_string(i);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace

// Reads resource texts into a root (a friend of TComponent: it drives the
// loading state and the Loaded calls).
class TReader {
 public:
  explicit TReader(TComponent* root) : root_(root) {}

  void Read(TClass resourceClass, const std::string& text) {
    resource_ = resourceClass->ClassName();
    Lexer lexer(text, resource_);
    lexer_ = &lexer;
    Advance();
    ReadRoot(resourceClass);
    if (token_.kind != Tok::End) Fail("Text after the end of the root object");
    lexer_ = nullptr;
  }

  // References, then Loaded on every component read (the root first).
  void Finish() {
    for (const Fixup& f : fixups_) {
      TComponent* target = Resolve(f.name);
      resource_ = f.resource;
      if (!target) Fail(f.line, "Unresolved reference to " + f.name);
      TClass wanted = f.prop->RefClass();
      if (!target->InheritsFrom(wanted))
        Fail(f.line, f.name + " is a " + target->ClassName() + ", not a " + wanted->ClassName());
      Guard(f.line, [&] { f.prop->SetComponent(f.object, target); });
    }
    for (const Loading& l : loaded_) {
      resource_ = l.resource;
      Guard(l.line, [&] {
        l.component->state_.Exclude(csReading);
        l.component->Loaded();
      });
    }
  }

 private:
  struct Fixup {
    TObject* object;
    const TPropInfo* prop;
    std::string name;
    std::string resource;
    int line;
  };
  struct Loading {
    TComponent* component;
    std::string resource;
    int line;
  };

  [[noreturn]] void Fail(const std::string& what) const { Fail(token_.line, what); }
  [[noreturn]] void Fail(int line, const std::string& what) const { throw EReadError(resource_, line, what); }

  // Runs a call into the objects being read; their failures become read errors.
  template <class F>
  void Guard(int line, F call) {
    try {
      call();
    } catch (const EReadError&) {
      throw;
    } catch (const std::exception& e) {
      Fail(line, e.what());
    }
  }

  void Advance() { token_ = lexer_->Next(); }
  bool IsSymbol(char c) const { return token_.kind == Tok::Symbol && token_.text[0] == c; }
  bool IsWord(const char* word) const { return token_.kind == Tok::Ident && SameText(token_.text, word); }
  void Expect(char c) {
    if (!IsSymbol(c)) Fail(std::string("'") + c + "' expected");
    Advance();
  }
  std::string ExpectIdent(const char* what) {
    if (token_.kind != Tok::Ident) Fail(std::string(what) + " expected");
    std::string s = token_.text;
    Advance();
    return s;
  }

  struct Header {
    bool inherited;
    std::string name, className;
    int line;
  };
  Header ReadHeader() {
    Header h;
    h.line = token_.line;
    if (IsWord("object")) h.inherited = false;
    else if (IsWord("inherited")) h.inherited = true;
    else Fail("'object' expected");
    Advance();
    std::string first = ExpectIdent("Object name");
    if (IsSymbol(':')) {
      Advance();
      h.name = first;
      h.className = ExpectIdent("Class name");
    } else {
      h.className = first;
    }
    return h;
  }

  void ReadRoot(TClass resourceClass) {
    Header h = ReadHeader();
    if (!SameText(h.className, resourceClass->ClassName()))
      Fail(h.line, "The resource describes " + h.className + ", not " + resourceClass->ClassName());
    if (!rootStarted_) {
      rootStarted_ = true;
      root_->state_.Include(csLoading);
      root_->state_.Include(csReading);
      loaded_.push_back({root_, resource_, h.line});
    }
    if (!h.name.empty()) Guard(h.line, [&] { root_->SetName(UniqueRootName(root_, h.name)); });
    ReadBody(root_, 0);
  }

  // Properties and nested objects up to the matching "end".
  void ReadBody(TComponent* container, int depth) {
    for (;;) {
      if (token_.kind == Tok::End) Fail("'end' expected");
      if (IsWord("end")) {
        Advance();
        return;
      }
      if (IsWord("object") || IsWord("inherited")) ReadChild(container, depth + 1);
      else ReadProperty(container);
    }
  }

  void ReadChild(TComponent* container, int depth) {
    if (depth > kMaxNesting) Fail("Objects are nested too deeply");
    Header h = ReadHeader();
    TComponent* owner = container->GetChildOwner();
    if (!owner) owner = root_;
    TComponent* parent = container->GetChildParent();
    TComponent* component = nullptr;
    if (h.inherited) {
      component = owner->FindComponent(h.name);
      if (!component) Fail(h.line, "The inherited component " + h.name + " does not exist");
      if (!SameText(component->ClassName(), h.className))
        Fail(h.line, "The inherited component " + h.name + " is a " + component->ClassName());
    } else {
      TClass cls = GetClass(h.className);
      if (!cls) Fail(h.line, "Class " + h.className + " not found");
      if (!cls->InheritsFrom(&TComponent::StaticClass())) Fail(h.line, h.className + " is not a component class");
      if (!h.name.empty() && owner->FindComponent(h.name))
        Fail(h.line, "A component named " + h.name + " already exists");
      Guard(h.line, [&] { component = cls->Create(owner); });
      component->state_.Include(csLoading);
      component->state_.Include(csReading);
      loaded_.push_back({component, resource_, h.line});
      Guard(h.line, [&] {
        component->SetName(h.name);
        if (parent) component->SetParentComponent(parent);
      });
      if (owner == root_ && !h.name.empty()) BindField(component, h.line);
    }
    ReadBody(component, depth);
  }

  void BindField(TComponent* component, int line) {
    for (const TFieldInfo* f : root_->ClassType()->Fields())
      if (SameText(f->Name, component->Name()) && !f->Assign(root_, component))
        Fail(line, "The field " + f->Name + " of " + root_->ClassName() + " cannot hold a " +
                       component->ClassName());
  }

  void ReadProperty(TObject* object) {
    const int line = token_.line;
    const std::string path = ExpectIdent("Property name");
    std::vector<std::string> parts = SplitDots(path);
    TObject* target = object;
    const TPropInfo* prop = nullptr;
    for (size_t i = 0; i < parts.size(); ++i) {
      prop = target->ClassType()->FindProperty(parts[i]);
      if (!prop) Fail(line, "Property " + path + " does not exist in " + target->ClassName());
      if (i + 1 < parts.size()) {
        if (prop->Kind != TPropKind::Class) Fail(line, "Property " + parts[i] + " has no properties of its own");
        TObject* sub = prop->GetObject(target);
        if (!sub) Fail(line, "Property " + parts[i] + " is not set");
        target = sub;
      }
    }
    Expect('=');
    ReadValue(target, *prop, line);
  }

  [[noreturn]] void BadValue(const TPropInfo& prop) {
    Fail("Invalid value for property " + prop.Name + (token_.text.empty() ? "" : ": " + token_.text));
  }

  std::int32_t ReadInteger(const TPropInfo& prop) {
    std::int32_t v;
    if (token_.kind != Tok::Integer || !TryStrToInt(token_.text, v)) BadValue(prop);
    Advance();
    return v;
  }

  std::string ReadString() {
    std::string s = token_.text;
    Advance();
    while (IsSymbol('+')) {
      Advance();
      if (token_.kind != Tok::String) Fail("String expected after '+'");
      s += token_.text;
      Advance();
    }
    return s;
  }

  int OrdinalOf(const TPropInfo& prop, const std::string& name) {
    for (size_t i = 0; i < prop.Names.size(); ++i)
      if (SameText(prop.Names[i], name)) return static_cast<int>(i);
    Fail("Invalid value for property " + prop.Name + ": " + name);
  }

  // The value of `prop`, read by its kind and set on `object`.
  void ReadValue(TObject* object, const TPropInfo& prop, int line) {
    switch (prop.Kind) {
      case TPropKind::Integer: return SetOrdinal(object, prop, line, ReadInteger(prop));
      case TPropKind::Boolean: return SetOrdinal(object, prop, line, ReadBoolean(prop));
      case TPropKind::Enum: return SetOrdinal(object, prop, line, ReadEnum(prop));
      case TPropKind::Set: return SetOrdinal(object, prop, line, ReadSet(prop));
      case TPropKind::Ident: return SetOrdinal(object, prop, line, ReadIdent(prop));
      case TPropKind::Float: return ReadFloat(object, prop, line);
      case TPropKind::String: return ReadString(object, prop, line);
      case TPropKind::Binary: return ReadBinary(object, prop, line);
      case TPropKind::Strings: return ReadStrings(object, prop, line);
      case TPropKind::Class: return ReadCollectionOf(object, prop);
      case TPropKind::Component: return ReadComponentReference(object, prop, line);
      case TPropKind::Event: return ReadEvent(object, prop, line);
    }
  }

  void SetOrdinal(TObject* object, const TPropInfo& prop, int line, std::int64_t v) {
    Guard(line, [&] { prop.SetOrdinal(object, v); });
  }

  void ReadFloat(TObject* object, const TPropInfo& prop, int line) {
    double v;
    if ((token_.kind != Tok::Integer && token_.kind != Tok::Float) || !TryStrToFloatInvariant(token_.text, v))
      BadValue(prop);
    Advance();
    Guard(line, [&] { prop.SetFloat(object, v); });
  }

  void ReadString(TObject* object, const TPropInfo& prop, int line) {
    if (token_.kind != Tok::String) BadValue(prop);
    const std::string v = ReadString();
    Guard(line, [&] { prop.SetString(object, v); });
  }

  void ReadBinary(TObject* object, const TPropInfo& prop, int line) {
    if (token_.kind != Tok::Binary) BadValue(prop);
    const std::string bytes = token_.text;
    Advance();
    Guard(line, [&] { prop.SetString(object, bytes); });
  }

  bool ReadBoolean(const TPropInfo& prop) {
    bool v = false;
    if (IsWord("True")) v = true;
    else if (!IsWord("False")) BadValue(prop);
    Advance();
    return v;
  }

  int ReadEnum(const TPropInfo& prop) {
    if (token_.kind != Tok::Ident) BadValue(prop);
    const int v = OrdinalOf(prop, token_.text);
    Advance();
    return v;
  }

  // [a, b, ...]: the bits of the names.
  std::uint32_t ReadSet(const TPropInfo& prop) {
    Expect('[');
    std::uint32_t bits = 0;
    while (!IsSymbol(']')) {
      if (token_.kind != Tok::Ident) BadValue(prop);
      bits |= std::uint32_t(1) << OrdinalOf(prop, token_.text);
      Advance();
      if (IsSymbol(',')) Advance();
      else if (!IsSymbol(']')) Fail("',' or ']' expected");
    }
    Advance();
    return bits;
  }

  // A name of the property's identifier table, or a number.
  std::int32_t ReadIdent(const TPropInfo& prop) {
    if (token_.kind != Tok::Ident) return ReadInteger(prop);
    std::int32_t v = 0;
    bool found = false;
    for (const TIdentEntry& e : *prop.Idents)
      if (SameText(e.Name, token_.text)) v = e.Value, found = true;
    if (!found) BadValue(prop);
    Advance();
    return v;
  }

  // ('a' 'b' ...)
  void ReadStrings(TObject* object, const TPropInfo& prop, int line) {
    Expect('(');
    std::vector<std::string> strings;
    while (!IsSymbol(')')) {
      if (token_.kind != Tok::String) BadValue(prop);
      strings.push_back(ReadString());
    }
    Advance();
    Guard(line, [&] { prop.SetStrings(object, strings); });
  }

  void ReadCollectionOf(TObject* object, const TPropInfo& prop) {
    auto* collection = dynamic_cast<TCollection*>(prop.GetObject(object));
    if (!collection || !IsSymbol('<')) BadValue(prop);
    ReadCollection(*collection);
  }

  // nil, or a name resolved when the whole resource is read.
  void ReadComponentReference(TObject* object, const TPropInfo& prop, int line) {
    if (token_.kind != Tok::Ident) BadValue(prop);
    if (SameText(token_.text, "nil"))
      Guard(line, [&] { prop.SetComponent(object, nullptr); });
    else
      fixups_.push_back({object, &prop, token_.text, resource_, line});
    Advance();
  }

  // nil, or a method of the root that fits the event.
  void ReadEvent(TObject* object, const TPropInfo& prop, int line) {
    if (token_.kind != Tok::Ident) BadValue(prop);
    const std::string name = token_.text;
    Advance();
    std::any closure;
    if (!SameText(name, "nil")) {
      const TMethodInfo* method = root_->ClassType()->FindMethod(name);
      if (!method) Fail(line, "Method " + name + " not found in " + root_->ClassName());
      if (method->EventType != prop.EventType) Fail(line, "Method " + name + " does not fit event " + prop.Name);
      closure = method->Bind(root_);
    }
    Guard(line, [&] { prop.SetEvent(object, closure); });
  }

  // <item ... end item ... end>: cleared, then filled, in one update.
  void ReadCollection(TCollection& collection) {
    const int line = token_.line;
    Advance();  // <
    collection.BeginUpdate();
    try {
      Guard(line, [&] { collection.Clear(); });
      while (!IsSymbol('>')) {
        if (!IsWord("item")) Fail("'item' or '>' expected");
        const int itemLine = token_.line;
        Advance();
        TCollectionItem* item = nullptr;
        Guard(itemLine, [&] { item = collection.Add(); });
        while (!IsWord("end")) {
          if (token_.kind == Tok::End) Fail("'end' expected");
          ReadProperty(item);
        }
        Advance();
      }
      Advance();
    } catch (...) {
      collection.EndUpdate();
      throw;
    }
    Guard(line, [&] { collection.EndUpdate(); });
  }

  // Name, or Name.Owned.Owned...: first a component of the root (or the
  // root itself), else a root in Screen; then components owned in turn.
  TComponent* Resolve(const std::string& name) const {
    std::vector<std::string> parts = SplitDots(name);
    TComponent* c = SameText(parts[0], root_->Name()) ? root_ : root_->FindComponent(parts[0]);
    if (!c) c = FindGlobalComponent(parts[0]);
    for (size_t i = 1; c && i < parts.size(); ++i) c = c->FindComponent(parts[i]);
    return c;
  }

  TComponent* root_;
  Lexer* lexer_ = nullptr;
  Token token_;
  std::string resource_;
  bool rootStarted_ = false;
  std::vector<Fixup> fixups_;
  std::vector<Loading> loaded_;
};

void ReadComponentResTexts(TComponent* root, const std::vector<std::pair<TClass, std::string>>& resources) {
  TReader reader(root);
  for (const auto& [cls, text] : resources) reader.Read(cls, text);
  reader.Finish();
}

bool FindComponentResource(TClass cls, std::string& text) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC res = FindResourceA(module, AnsiUpperCase(cls->ClassName()).c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!res) return false;
  HGLOBAL data = LoadResource(module, res);
  const void* bytes = data ? LockResource(data) : nullptr;
  if (!bytes) return false;
  text.assign(static_cast<const char*>(bytes), SizeofResource(module, res));
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  // Resource compilers may pad the data with zeros.
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return true;
}

void InitInheritedComponent(TComponent* root, TClass rootAncestor) {
  std::vector<TClass> chain;
  for (TClass c = root->ClassType(); c && c != rootAncestor; c = c->ClassParent()) chain.push_back(c);
  std::vector<std::pair<TClass, std::string>> resources;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    std::string text;
    if (FindComponentResource(*it, text)) resources.emplace_back(*it, std::move(text));
  }
  if (resources.empty()) {
    if (chain.empty()) return;  // the ancestor itself needs none
    throw EResNotFound("Resource " + root->ClassName() + " not found");
  }
  ReadComponentResTexts(root, resources);
}
