#include "values/lists.h"

#include "values/registry.h"

// ---- Shielded objects --------------------------------------------------------

const TMetaClass& TScrShieldedStringList::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrShieldedStringList>("TScrShieldedStringList", &TStringList::StaticClass());
  return cls;
}

void TScrShieldedStringList::Changed() {
  if (UpdateCount() == 0 && onChange_) onChange_(this);
  TStringList::Changed();
}

const TMetaClass& TScrShieldedFont::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrShieldedFont>("TScrShieldedFont", &TFont::StaticClass());
  return cls;
}

void TScrShieldedFont::Changed() {
  if (onChange_) onChange_(this);
}

// ---- Font ------------------------------------------------------------------

const TMetaClass& TScrVFont::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrVFont>("TScrVFont", &TScrValue::StaticClass(), [](TClassBuilder<TScrVFont>& b) {
        b.Class("Def", &TScrVFont::Def);
        b.String("RegistryPath", &TScrVFont::RegistryPathTemplate, &TScrVFont::SetRegistryPath);
      });
  return cls;
}

TScrVFont::TScrVFont(TComponent* owner)
    : TScrValue(owner), font_(new TScrShieldedFont(MakeEvent(this, &TScrVFont::FontChanged))), def_(new TFont) {}

TScrVFont::~TScrVFont() {
  delete font_;
  delete def_;
}

TFont* TScrVFont::GetValue() {
  ValueNeeded();
  return font_;
}

void TScrVFont::SetValue(TFont* font) {
  if (font) font_->Assign(font);
}

void TScrVFont::SetDef(TFont* font) {
  if (!font) return;
  def_->Assign(font);
  if (IsDesigning()) SetValue(font);
}

void TScrVFont::FontChanged(TObject* /*sender*/) {
  if (IsLoaded()) Changed(vnChange);
}

std::string TScrVFont::FontToText(const TFont& font) {
  std::string style = "style ";
  const char* const words[] = {"Bold ", "Italic ", "Underline ", "StrikeOut "};
  const TFontStyle styles[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  for (int i = 0; i < 4; ++i)
    if (font.Style().Contains(styles[i])) style += words[i];
  TStringList items;
  items.Add(IntToStr(font.Charset()));
  items.Add(IntToStr(font.Color()));
  items.Add(IntToStr(font.Size()));
  items.Add(font.Name());
  items.Add(IntToStr(static_cast<int>(font.Pitch())));
  items.Add(style);
  return items.CommaText();
}

bool TScrVFont::FontFromText(const std::string& text, TFont& font) {
  TStringList items;
  items.SetCommaText(text);
  if (items.Count() < 6) return false;
  std::int32_t charset = 0, color = 0, size = 0, pitch = 0;
  if (!TryStrToInt(items.Get(0), charset) || charset < 0 || charset > 255) return false;
  if (!TryStrToInt(items.Get(1), color)) return false;
  if (!TryStrToInt(items.Get(2), size)) return false;
  if (!TryStrToInt(items.Get(4), pitch) || pitch < fpDefault || pitch > fpFixed) return false;
  const std::string styleText = items.Get(5);
  TFontStyles style;
  const char* const words[] = {"Bold", "Italic", "Underline", "StrikeOut"};
  const TFontStyle styles[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
  for (int i = 0; i < 4; ++i)
    if (styleText.find(words[i]) != std::string::npos) style.Include(styles[i]);
  font.SetCharset(static_cast<TFontCharset>(charset));
  font.SetColor(color);
  font.SetSize(size);
  font.SetName(items.Get(3));
  font.SetPitch(static_cast<TFontPitch>(pitch));
  font.SetStyle(style);
  return true;
}

void TScrVFont::LoadFromRegistry() {
  // The stored font is built aside and copied in once, so a reload reports
  // one change, and only when the font really differs.
  LoadFrame(
      [this] {
        TFont stored;
        stored.Assign(font_);
        std::string text;
        bool ok = false;
        try {
          ok = scrreg::ReadText(GetRegistryPath(), text) && FontFromText(text, stored);
        } catch (const Exception&) {
          ok = false;
        }
        font_->Assign(ok ? &stored : def_);
      },
      true);
}

void TScrVFont::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), FontToText(*font_));
}

// ---- String lists ------------------------------------------------------------

const TMetaClass& TScrVStrings::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVStrings>("TScrVStrings", &TScrValue::StaticClass());
  return cls;
}

TStrings* TScrVStrings::GetItems() {
  ValueNeeded();
  return items_;
}

const TMetaClass& TScrVStringList::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVStringList>(
      "TScrVStringList", &TScrVStrings::StaticClass(), [](TClassBuilder<TScrVStringList>& b) {
        b.Class("Def", &TScrVStringList::Def);
        b.String("RegistryPath", &TScrVStringList::RegistryPathTemplate, &TScrVStringList::SetRegistryPath);
      });
  return cls;
}

TScrVStringList::TScrVStringList(TComponent* owner) : TScrVStrings(owner), def_(new TStringList) {
  items_ = new TScrShieldedStringList(MakeEvent(this, &TScrVStringList::StringListChanged));
}

TScrVStringList::~TScrVStringList() {
  delete items_;
  delete def_;
}

void TScrVStringList::StringListChanged(TObject* /*sender*/) {
  if (IsLoaded()) Changed(vnChange);
}

void TScrVStringList::SetItems(TStrings* strings) {
  if (strings) items_->Assign(strings);
}

void TScrVStringList::SetDef(TStrings* strings) {
  if (!strings) return;
  def_->Assign(strings);
  if (IsDesigning()) SetItems(strings);
}

void TScrVStringList::LoadFromRegistry() {
  LoadFrame(
      [this] {
        std::string text;
        if (scrreg::ReadText(GetRegistryPath(), text))
          items_->SetCommaText(text);
        else
          items_->Assign(def_);
      },
      true);
}

void TScrVStringList::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), items_->CommaText());
}

// ---- File list -------------------------------------------------------------

const TMetaClass& TScrVFileList::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrVFileList>(
      "TScrVFileList", &TScrVStrings::StaticClass(), [](TClassBuilder<TScrVFileList>& b) {
        b.Class("DefMasks", &TScrVFileList::DefMasks);
        b.String("RegistryPath", &TScrVFileList::RegistryPathTemplate, &TScrVFileList::SetRegistryPath);
      });
  return cls;
}

TScrVFileList::TScrVFileList(TComponent* owner)
    : TScrVStrings(owner),
      defMasks_(new TStringList),
      masks_(new TScrShieldedStringList(MakeEvent(this, &TScrVFileList::MasksChanged))) {
  items_ = new TStringList;
  defMasks_->Add("*.*");
}

TScrVFileList::~TScrVFileList() {
  delete masks_;
  delete defMasks_;
  delete items_;
}

TStrings* TScrVFileList::GetMasks() {
  ValueNeeded();
  return masks_;
}

void TScrVFileList::SetMasks(TStrings* masks) {
  if (masks) masks_->Assign(masks);
}

void TScrVFileList::SetDefMasks(TStrings* masks) {
  if (!masks) return;
  defMasks_->Assign(masks);
  if (IsDesigning()) SetMasks(masks);
}

void TScrVFileList::MasksChanged(TObject* /*sender*/) {
  itemsValid_ = false;
  if (IsLoaded()) Changed(vnChange);
}

TStrings* TScrVFileList::GetItems() {
  ValueNeeded();
  ItemsNeeded();
  return items_;
}

namespace {
bool HoldsExactly(const TStrings& list, const std::string& text) {
  for (int i = 0; i < list.Count(); ++i)
    if (list.Get(i) == text) return true;
  return false;
}
}  // namespace

void TScrVFileList::ItemsNeeded() {
  if (itemsValid_) return;
  itemsValid_ = true;
  items_->Clear();
  HCURSOR remembered = GetCursor();
  bool busy = false;
  for (int m = 0; m < masks_->Count(); ++m) {
    const std::string mask = masks_->Get(m);
    const size_t cut = mask.find_last_of("\\:");
    const std::string dir = cut == std::string::npos ? std::string() : mask.substr(0, cut + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(mask.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      const std::string name = dir + found.cFileName;
      if (!HoldsExactly(*items_, name)) items_->Add(name);
      if (!busy && items_->Count() > 100) {
        busy = true;
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  if (busy) SetCursor(remembered);
}

void TScrVFileList::LoadFromRegistry() {
  LoadFrame(
      [this] {
        std::string text;
        if (scrreg::ReadText(GetRegistryPath(), text))
          masks_->SetCommaText(text);
        else
          masks_->Assign(defMasks_);
      },
      true);
}

void TScrVFileList::SaveToRegistry() {
  ValueNeeded();
  scrreg::WriteText(GetRegistryPath(), masks_->CommaText());
}
