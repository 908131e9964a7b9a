#include "toolkit/graphics.h"

// ---- Colours, cursors, character sets ------------------------------------------

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

const std::vector<TIdentEntry>& ColorIdents() {
  static const std::vector<TIdentEntry> idents = {
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", clOlive},
      {"clNavy", clNavy},
      {"clPurple", clPurple},
      {"clTeal", clTeal},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", clLime},
      {"clYellow", clYellow},
      {"clBlue", clBlue},
      {"clFuchsia", clFuchsia},
      {"clAqua", clAqua},
      {"clWhite", clWhite},
      {"clLtGray", clLtGray},
      {"clDkGray", clDkGray},
      {"clNone", clNone},
      {"clDefault", clDefault},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clActiveBorder", clActiveBorder},
      {"clInactiveBorder", clInactiveBorder},
      {"clAppWorkSpace", clAppWorkSpace},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clInactiveCaptionText},
      {"clBtnHighlight", clBtnHighlight},
      {"cl3DDkShadow", cl3DDkShadow},
      {"cl3DLight", cl3DLight},
      {"clInfoText", clInfoText},
      {"clInfoBk", clInfoBk},
  };
  return idents;
}

const std::vector<TIdentEntry>& CursorIdents() {
  static const std::vector<TIdentEntry> idents = {
      {"crDefault", crDefault},     {"crNone", crNone},         {"crArrow", crArrow},
      {"crCross", crCross},         {"crIBeam", crIBeam},       {"crSizeNESW", crSizeNESW},
      {"crSizeNS", crSizeNS},       {"crSizeNWSE", crSizeNWSE}, {"crSizeWE", crSizeWE},
      {"crUpArrow", crUpArrow},     {"crHourGlass", crHourGlass}, {"crNo", crNo},
      {"crAppStart", crAppStart},   {"crHelp", crHelp},         {"crHandPoint", crHandPoint},
      {"crSizeAll", crSizeAll},
  };
  return idents;
}

const std::vector<TIdentEntry>& CharsetIdents() {
  static const std::vector<TIdentEntry> idents = {
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
      {"MAC_CHARSET", MAC_CHARSET},
      {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
      {"HANGEUL_CHARSET", HANGEUL_CHARSET},
      {"JOHAB_CHARSET", JOHAB_CHARSET},
      {"GB2312_CHARSET", GB2312_CHARSET},
      {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
      {"GREEK_CHARSET", GREEK_CHARSET},
      {"TURKISH_CHARSET", TURKISH_CHARSET},
      {"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
      {"HEBREW_CHARSET", HEBREW_CHARSET},
      {"ARABIC_CHARSET", ARABIC_CHARSET},
      {"BALTIC_CHARSET", BALTIC_CHARSET},
      {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
      {"THAI_CHARSET", THAI_CHARSET},
      {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
      {"OEM_CHARSET", OEM_CHARSET},
  };
  return idents;
}

// ---- TFont -------------------------------------------------------------------

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

const TMetaClass& TFont::StaticClass() {
  static const TMetaClass cls = DefineClass<TFont>("TFont", &TPersistent::StaticClass(), [](TClassBuilder<TFont>& b) {
    b.Ident<TFontCharset>("Charset", CharsetIdents(), &TFont::Charset, &TFont::SetCharset);
    b.Ident<TColor>("Color", ColorIdents(), &TFont::Color, &TFont::SetColor);
    b.Integer("Height", &TFont::Height, &TFont::SetHeight);
    b.String("Name", &TFont::Name, &TFont::SetName);
    b.Enum<TFontPitch>("Pitch", {"fpDefault", "fpVariable", "fpFixed"}, &TFont::Pitch, &TFont::SetPitch);
    b.Integer("Size", &TFont::Size, &TFont::SetSize);
    b.Set<TFontStyle>("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::Style, &TFont::SetStyle);
  });
  return cls;
}

TFont::TFont() : height_(-MulDiv(8, ScreenPixelsPerInch(), 72)), pixelsPerInch_(ScreenPixelsPerInch()) {}

TFont::~TFont() {
  OnChange = nullptr;
  ReleaseHandle();
}

void TFont::ReleaseHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

void TFont::Changed() {
  if (OnChange) OnChange(this);
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  ReleaseHandle();
  Changed();
}

void TFont::SetHeight(int height) {
  sizedInPoints_ = false;
  if (height == height_) return;
  height_ = height;
  ReleaseHandle();
  Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, pixelsPerInch_, 72));
  sizedInPoints_ = true;
}

void TFont::ScaleHeight(int m, int d) {
  const int from = sizedInPoints_ ? pixelsPerInch_ : d;
  if (m <= 0 || from <= 0) return;
  // A point size is converted afresh, so that rounding does not add up.
  const int height = from == m ? height_ : sizedInPoints_ ? -MulDiv(Size(), m, 72) : MulDiv(height_, m, from);
  pixelsPerInch_ = m;
  if (height == height_) return;
  height_ = height;
  ReleaseHandle();
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();  // the GDI font does not carry the colour
}

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  ReleaseHandle();
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  ReleaseHandle();
  Changed();
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == charset_) return;
  charset_ = charset;
  ReleaseHandle();
  Changed();
}

bool TFont::SameAs(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ && style_ == other.style_ &&
         pitch_ == other.pitch_ && charset_ == other.charset_;
}

void TFont::Assign(TPersistent* source) {
  if (auto* font = dynamic_cast<TFont*>(source)) {
    sizedInPoints_ = font->sizedInPoints_;
    pixelsPerInch_ = font->pixelsPerInch_;
    if (SameAs(*font)) return;
    name_ = font->name_;
    height_ = font->height_;
    color_ = font->color_;
    style_ = font->style_;
    pitch_ = font->pitch_;
    charset_ = font->charset_;
    ReleaseHandle();
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf = {};
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = pitch_ == fpFixed ? FIXED_PITCH : pitch_ == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
  }
  return handle_;
}

// ---- TCanvas --------------------------------------------------------------------

void TCanvas::FillRect(const RECT& r) {
  if (!dc_ || Brush.Style == bsClear) return;
  HBRUSH b = CreateSolidBrush(ColorToRGB(Brush.Color));
  ::FillRect(dc_, &r, b);
  DeleteObject(b);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!dc_) return;
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(Pen.Color));
  HBRUSH brush = Brush.Style == bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                        : CreateSolidBrush(ColorToRGB(Brush.Color));
  HGDIOBJ oldPen = SelectObject(dc_, pen);
  HGDIOBJ oldBrush = SelectObject(dc_, brush);
  ::Rectangle(dc_, left, top, right, bottom);
  SelectObject(dc_, oldBrush);
  SelectObject(dc_, oldPen);
  DeleteObject(pen);
  if (Brush.Style != bsClear) DeleteObject(brush);
}

void TCanvas::MoveTo(int x, int y) {
  if (dc_) MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  if (!dc_) return;
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(Pen.Color));
  HGDIOBJ old = SelectObject(dc_, pen);
  ::LineTo(dc_, x, y);
  SelectObject(dc_, old);
  DeleteObject(pen);
}

COLORREF TCanvas::Pixel(int x, int y) const { return dc_ ? GetPixel(dc_, x, y) : CLR_INVALID; }

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (dc_) ::SetPixel(dc_, x, y, ColorToRGB(color));
}

// ---- TIcon ----------------------------------------------------------------------

const TMetaClass& TIcon::StaticClass() {
  static const TMetaClass cls = DefineClass<TIcon>("TIcon", &TPersistent::StaticClass());
  return cls;
}

TIcon::~TIcon() { SetHandle(nullptr); }

void TIcon::SetHandle(HICON icon, bool owned) {
  if (handle_ == icon) {
    owned_ = owned_ || owned;
    return;
  }
  if (handle_ && owned_) DestroyIcon(handle_);
  handle_ = icon;
  owned_ = owned;
}

// ---- TForeignTopLevelDC -----------------------------------------------------------

TForeignTopLevelDC::TForeignTopLevelDC(HWND child) {
  HWND top = GetAncestor(child, GA_ROOT);
  DWORD owner = 0;
  if (!top || top == child || !GetWindowThreadProcessId(top, &owner) || owner == GetCurrentProcessId()) return;
  RECT visible;
  if (!GetClientRect(child, &visible)) return;
  MapWindowPoints(child, top, reinterpret_cast<POINT*>(&visible), 2);
  origin_ = {visible.left, visible.top};
  for (HWND w = GetParent(child); w && w != top; w = GetParent(w)) {
    RECT client;
    GetClientRect(w, &client);
    MapWindowPoints(w, top, reinterpret_cast<POINT*>(&client), 2);
    IntersectRect(&visible, &visible, &client);
  }
  dc_ = GetDCEx(top, nullptr, DCX_CACHE);
  if (!dc_) return;
  top_ = top;
  IntersectClipRect(dc_, visible.left, visible.top, visible.right, visible.bottom);
}

TForeignTopLevelDC::~TForeignTopLevelDC() {
  if (dc_) ReleaseDC(top_, dc_);
}
