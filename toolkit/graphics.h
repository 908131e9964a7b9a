#pragma once
// Colours, cursors, character sets and fonts.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/classes.h"

// ---- Colours -------------------------------------------------------------------

// Red in the low byte, then green and blue. With the top bit set, the low
// byte is a system colour index (COLOR_x).
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The RGB value to paint with: system colours are looked up, others kept.
COLORREF ColorToRGB(TColor color);
// Identifier tables for form resources ("clAqua", "crHandPoint", "DEFAULT_CHARSET").
const std::vector<TIdentEntry>& ColorIdents();
const std::vector<TIdentEntry>& CursorIdents();
const std::vector<TIdentEntry>& CharsetIdents();

// ---- Drawing into another program's window ---------------------------------------

// A DC to draw a child window of another program's window with (the control
// panel's preview picture). Under Wine nothing drawn through such a child's
// own DC shows, and what is drawn through a DC of that program's top-level
// window does. Holds none (DC() null) when the child's top-level window is
// this program's own. The DC is clipped to what the child's parents leave of
// its client area; Origin() is that area's top-left corner in it.
class TForeignTopLevelDC {
 public:
  explicit TForeignTopLevelDC(HWND child);
  ~TForeignTopLevelDC();
  TForeignTopLevelDC(const TForeignTopLevelDC&) = delete;
  TForeignTopLevelDC& operator=(const TForeignTopLevelDC&) = delete;
  HDC DC() const { return dc_; }
  POINT Origin() const { return origin_; }

 private:
  HWND top_ = nullptr;
  HDC dc_ = nullptr;
  POINT origin_{};
};

// ---- Cursors -------------------------------------------------------------------

using TCursor = std::int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// ---- Fonts -------------------------------------------------------------------

using TFontCharset = std::uint8_t;
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// The pixels per inch of the screen; font sizes convert through it.
int ScreenPixelsPerInch();

// A font description with a lazily made GDI font. `Changed()` runs only when
// a setter or Assign really alters the font.
class TFont : public TPersistent {
  TK_CLASS(TFont)
  TFont();
  ~TFont() override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  int Height() const { return height_; }  // pixels; negative for a character height
  void SetHeight(int height);
  int Size() const;  // points
  void SetSize(int points);
  // True when the height was last given as a point size (or is the
  // default): such a height is in the pixels of the font's own resolution
  // (the screen's, until the font is scaled), whatever resolution a form
  // was designed at. A height given in pixels is in the form's.
  bool SizedInPoints() const { return sizedInPoints_; }
  // Pixels per inch that Height and Size convert with.
  int PixelsPerInch() const { return pixelsPerInch_; }
  // The font of a form moving from d pixels per inch to m: a height given
  // in pixels (at d) or in points (at the font's resolution) becomes the
  // same size at m, and m is the font's resolution from now on.
  void ScaleHeight(int m, int d);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset charset);

  // The GDI font, made on first use and kept until the font changes.
  HFONT Handle();

  void Assign(TPersistent* source) override;
  bool SameAs(const TFont& other) const;

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  void ReleaseHandle();
  std::string name_ = "MS Sans Serif";
  int height_;
  bool sizedInPoints_ = true;
  int pixelsPerInch_;
  TColor color_ = clWindowText;
  TFontStyles style_;
  TFontPitch pitch_ = fpDefault;
  TFontCharset charset_ = DEFAULT_CHARSET;
  HFONT handle_ = nullptr;
};

// ---- Canvas ---------------------------------------------------------------------

enum TBrushStyle { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};
struct TPen {
  TColor Color = clBlack;
};

// Drawing on a device context it does not own (a control binds it to the
// paint DC while painting). GDI objects are made per call and freed at once.
class TCanvas {
 public:
  TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  HDC Handle() const { return dc_; }
  void SetHandle(HDC dc) { dc_ = dc; }

  TBrush Brush;
  TPen Pen;

  void FillRect(const RECT& r);
  // Outline in Pen, filled with Brush unless its style is bsClear.
  void Rectangle(int left, int top, int right, int bottom);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

 private:
  HDC dc_ = nullptr;
};

// ---- Icons ----------------------------------------------------------------------

// An icon handle, destroyed with the object when it owns it.
class TIcon : public TPersistent {
  TK_CLASS(TIcon)
  TIcon() = default;
  ~TIcon() override;
  HICON Handle() const { return handle_; }
  // `owned`: the icon was made for this object and is destroyed with it.
  void SetHandle(HICON icon, bool owned = false);
  bool Empty() const { return handle_ == nullptr; }

 private:
  HICON handle_ = nullptr;
  bool owned_ = false;
};
