#include "controls/corners.h"

#include <numeric>

#include "framework/hotcorners.h"
#include "toolkit/forms.h"

namespace {

// The icon cell size without a picture, at 96 dpi.
constexpr int kCellWidth = 24, kCellHeight = 22;
// The monitor picture's natural size.
constexpr int kMonitorWidth = 184, kMonitorHeight = 170;

// Loads a bitmap resource of this module once; null when there is none.
HBITMAP CachedResource(HBITMAP& slot, bool& tried, const char* name) {
  if (!tried) {
    tried = true;
    slot = static_cast<HBITMAP>(LoadImageA(HInstance, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  }
  return slot;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

// A memory DC with `bitmap` selected, released with the object.
class TSelectedBitmap {
 public:
  TSelectedBitmap(HDC like, HBITMAP bitmap) : dc_(CreateCompatibleDC(like)), old_(SelectObject(dc_, bitmap)) {}
  ~TSelectedBitmap() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TSelectedBitmap(const TSelectedBitmap&) = delete;
  TSelectedBitmap& operator=(const TSelectedBitmap&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The picture's image (left half) over what `dc` holds, through its mask
// (right half), stretched to `to`.
void PaintMasked(HDC dc, const RECT& to, HDC source, int x, int y, int w, int h) {
  SetStretchBltMode(dc, COLORONCOLOR);
  const int tw = to.right - to.left, th = to.bottom - to.top;
  StretchBlt(dc, to.left, to.top, tw, th, source, x + w, y, w, h, SRCAND);
  StretchBlt(dc, to.left, to.top, tw, th, source, x, y, w, h, SRCPAINT);
}

// A black outline round a dark grey fill: what shows without a picture.
void PaintPlain(HDC dc, const RECT& r) {
  HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HBRUSH grey = CreateSolidBrush(ColorToRGB(clGray));
  HGDIOBJ brush = SelectObject(dc, grey);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, brush);
  SelectObject(dc, pen);
  DeleteObject(grey);
}

}  // namespace

// ---- TNotifyCorners ----------------------------------------------------------------------

const TMetaClass& TNotifyCorners::StaticClass() {
  static const TMetaClass cls = DefineClass<TNotifyCorners>("TNotifyCorners", &TCustomControl::StaticClass(), [](auto& c) {
    c.Class("Picture", &TNotifyCorners::Picture);
    c.template Ident<TColor>("Color", ColorIdents(), &TNotifyCorners::Color, &TNotifyCorners::SetColor);
    c.template Event<TNotifyEvent>("OnCornerChange", &TNotifyCorners::OnCornerChange);
  });
  return cls;
}

TNotifyCorners::TNotifyCorners(TComponent* owner)
    : TCustomControl(owner), picture_(new TPicture), menu_(new TPopupMenu(this)) {
  SetBounds(0, 0, 160, 120);
  SetTabStop(true);
  controlStyle_.Include(csOpaque);
  color_ = clBackground;
  picture_->OnChange = [this](TObject*) { Invalidate(); };
  menu_->SetAutoPopup(false);
  static const struct {
    const char* caption;
    char tag;
  } kItems[] = {{"Now", 'Y'}, {"Never", 'N'}, {"Default", '-'}};
  for (const auto& item : kItems) {
    auto* menuItem = new TMenuItem(this);
    menuItem->SetCaption(item.caption);
    menuItem->SetTag(item.tag);
    menuItem->OnClick = [this](TObject* sender) { CornerClick(sender); };
    menu_->Items()->Add(menuItem);
  }
}

TNotifyCorners::~TNotifyCorners() {
  *alive_ = false;
  delete picture_;
  if (resource_) DeleteObject(resource_);
}

void TNotifyCorners::RestorePicture(TPicture* picture) { picture_->Assign(picture); }

TCornerAction TNotifyCorners::GetCorner(int i) {
  if (i < 0 || i > 3) return caDefault;
  return CornerActionFromChar(corners_[i]);
}

void TNotifyCorners::SetCorner(int i, TCornerAction action) {
  if (i < 0 || i > 3) return;
  const char c = CharFromCornerAction(action);
  if (corners_[i] == c) return;
  corners_[i] = c;
  Invalidate();
  changePending_ = true;
  if (updating_ <= 0) Changed();
}

TCornerAction TNotifyCorners::CornerActionFromChar(char c) {
  if (c == 'Y') return caNow;
  if (c == 'N') return caNever;
  return caDefault;
}

char TNotifyCorners::CharFromCornerAction(TCornerAction action) {
  if (action == caNow) return 'Y';
  if (action == caNever) return 'N';
  return '-';
}

void TNotifyCorners::SetCornersFromString(const std::string& s) {
  SetUpdating(true);
  const std::string padded = s + "----";
  for (int i = 0; i < 4; ++i) SetCorner(i, CornerActionFromChar(padded[i]));
  SetUpdating(false);
}

std::string TNotifyCorners::GetStringFromCorners() {
  std::string s;
  for (int i = 0; i < 4; ++i) s += CharFromCornerAction(GetCorner(i));
  return s;
}

bool TNotifyCorners::AreHotServicesRunning() { return true; }

void TNotifyCorners::Changed() {
  changePending_ = false;
  if (OnCornerChange) OnCornerChange(this);
}

void TNotifyCorners::SetUpdating(bool updating) {
  if (updating) {
    ++updating_;
    return;
  }
  --updating_;
  if (updating_ == 0 && changePending_) Changed();
}

RECT TNotifyCorners::GetCornerRect(int i) {
  // The cells scale with the form, a picture's as well as the resource's.
  int w = kCellWidth, h = kCellHeight;
  if (picture_->Bitmap()) {
    w = picture_->Width() / 2;
    h = picture_->Height() / 3;
  }
  w = MulDiv(w, scaleM_, scaleD_);
  h = MulDiv(h, scaleM_, scaleD_);
  const int left = (i == 1 || i == 2) ? Width() - w : 0;
  const int top = (i == 2 || i == 3) ? Height() - h : 0;
  return RECT{left, top, left + w, top + h};
}

void TNotifyCorners::CornerClick(TObject* sender) {
  auto* item = dynamic_cast<TMenuItem*>(sender);
  if (!item || clicked_ < 0) return;
  const int tag = item->Tag();
  SetCorner(clicked_, CornerActionFromChar(tag == 'Y' || tag == 'N' ? static_cast<char>(tag) : '-'));
}

void TNotifyCorners::SetColor(TColor color) {
  if (color == Color()) return;
  TCustomControl::SetColor(color);
  Invalidate();
}

void TNotifyCorners::ChangeScale(int m, int d) {
  TCustomControl::ChangeScale(m, d);
  if (m <= 0 || d <= 0 || m == d) return;
  scaleM_ *= m;
  scaleD_ *= d;
  const int g = std::gcd(scaleM_, scaleD_);
  scaleM_ /= g;
  scaleD_ /= g;
}

void TNotifyCorners::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // The menu opens once the press has been handled.
      if (AreHotServicesRunning() && !ComponentState().Contains(csDesigning))
        PostMessageA(Handle(), WM_APP, 0, m.LParam);
      break;
    case WM_APP:
      if (Enabled()) ShowMenuAt(m.LParamLo(), m.LParamHi());
      return;
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS;
      return;
    case CN_KEYDOWN:
      if (CornerKey(m.WParam)) {
        m.Result = 1;
        return;
      }
      break;
    case WM_CONTEXTMENU:
      // From the keyboard (the context-menu key, Shift+F10): the focused corner's menu.
      if (m.LParam == static_cast<LPARAM>(-1)) {
        CornerKey(VK_APPS);
        return;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();  // the focus mark comes or goes
      break;
  }
  TCustomControl::WndProc(m);
}

bool TNotifyCorners::CornerKey(WPARAM key) {
  const bool right = focusedCorner_ == 1 || focusedCorner_ == 2, bottom = focusedCorner_ >= 2;
  auto moveTo = [this](bool toRight, bool toBottom) {
    focusedCorner_ = toBottom ? (toRight ? 2 : 3) : (toRight ? 1 : 0);
    Invalidate();
    return true;
  };
  switch (key) {
    case VK_LEFT: return moveTo(false, bottom);
    case VK_RIGHT: return moveTo(true, bottom);
    case VK_UP: return moveTo(right, false);
    case VK_DOWN: return moveTo(right, true);
    case VK_SPACE:
    case VK_RETURN:
    case VK_APPS: {
      if (!Enabled() || !AreHotServicesRunning() || ComponentState().Contains(csDesigning)) return key != VK_RETURN;
      const RECT r = GetCornerRect(focusedCorner_);
      // Opened from the message loop, like a click's menu.
      PostMessageA(Handle(), WM_APP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
      return true;
    }
    default: return false;
  }
}

void TNotifyCorners::ShowMenuAt(int x, int y) {
  int hit = -1;
  for (int i = 0; i < 4; ++i) {
    const RECT r = GetCornerRect(i);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) hit = i;
  }
  if (hit < 0) return;
  ShowMenuFor(hit, POINT{x, y});
}

void TNotifyCorners::ShowMenuFor(int hit, POINT point) {
  clicked_ = hit;
  focusedCorner_ = hit;
  const char c = CharFromCornerAction(GetCorner(hit));
  TMenuItem* item = menu_->Items()->Items(c == 'Y' ? 0 : c == 'N' ? 1 : 2);
  item->SetChecked(true);
  const POINT at = ClientToScreen(point);
  menu_->SetPopupComponent(this);
  // The menu waits for the choice and clicks it itself: nothing more to
  // pump. The control may have gone meanwhile (its dialog closed).
  const std::shared_ptr<bool> alive = alive_;
  menu_->Popup(at.x, at.y);
  if (*alive) item->SetChecked(false);
}

HBITMAP TNotifyCorners::Source() {
  if (picture_->Bitmap()) return picture_->Bitmap();
  return CachedResource(resource_, resourceTried_, "SCRCORNERS");
}

void TNotifyCorners::Paint() {
  const bool running = AreHotServicesRunning();
  HDC dc = Canvas()->Handle();
  const int width = Width(), height = Height();
  HBITMAP offscreen = CreateCompatibleBitmap(dc, width, height);
  {
    TSelectedBitmap buffer(dc, offscreen);
    HDC mem = buffer.dc();
    const COLORREF back = ColorToRGB(Color());
    HBRUSH brush = CreateSolidBrush(back);
    RECT all{0, 0, width, height};
    FillRect(mem, &all, brush);
    DeleteObject(brush);
    HBITMAP source = Source();
    const SIZE size = BitmapSize(source);
    if (size.cx <= 0 || size.cy <= 0) source = nullptr;
    TSelectedBitmap icons(dc, source);
    for (int i = 0; i < 4; ++i) {
      const RECT r = GetCornerRect(i);
      const char c = CharFromCornerAction(GetCorner(i));
      const int row = c == 'Y' ? 0 : c == 'N' ? 1 : 2;
      if (!source) {
        PaintPlain(mem, r);
        continue;
      }
      const int w = size.cx / 2, h = size.cy / 3;
      PaintMasked(mem, r, icons.dc(), 0, row * h, w, h);
      if (running) continue;
      // Dimmed: every other pixel in the background colour, as a checkerboard.
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left + (y - r.top) % 2; x < r.right; x += 2) SetPixelV(mem, x, y, back);
    }
    if (Focused()) {
      RECT r = GetCornerRect(focusedCorner_);
      DrawFocusRect(mem, &r);
    }
    BitBlt(dc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
  }
  DeleteObject(offscreen);
}

// ---- TScrCornersController and TScrCorners --------------------------------------------------

const TMetaClass& TScrCornersController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrCornersController>("TScrCornersController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

bool TScrCornersController::AreHotServicesRunning() {
  if (!checked_) {
    hots_ = CheckForHots();
    checked_ = true;
  }
  return hots_;
}

void TScrCornersController::Recheck() {
  checked_ = false;
  if (GetViewer()) GetViewer()->Invalidate();
}

const TMetaClass& TScrCorners::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrCorners>("TScrCorners", &TNotifyCorners::StaticClass(), [](auto& c) {
    c.template Component<TScrCornersController>("Controller", &TScrCorners::Controller, &TScrCorners::SetController);
  });
  return cls;
}

bool TScrCorners::AreHotServicesRunning() { return !Controller() || Controller()->AreHotServicesRunning(); }

void TScrCorners::Changed() {
  TNotifyCorners::Changed();
  if (!CanWrite()) return;
  Busy busy(link_);
  Controller()->SetCornersString(GetStringFromCorners());
}

void TScrCorners::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  Busy busy(link_);
  if (Controller() && ns.Contains(vnChange)) SetCornersFromString(Controller()->GetCornersString());
}

const TMetaClass& TScrCornersStringController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrCornersStringController>("TScrCornersStringController",
                                                                         &TScrCornersController::StaticClass());
  return cls;
}

std::string TScrCornersStringController::GetCornersString() {
  if (!typed_) return "----";
  std::string s = typed_->GetValue() + "----";
  for (int i = 0; i < 4; ++i)
    if (s[i] != 'Y' && s[i] != 'N') s[i] = '-';
  return s;
}

void TScrCornersStringController::SetCornersString(const std::string& s) {
  if (typed_ && GetViewer()) typed_->SetValue(s);
}

// ---- TScrMonitor ---------------------------------------------------------------------------

namespace {
// The screen area: placed by the monitor alone, so a form's scaling moves
// only its font.
class TMonitorScreen : public TPanel {
 public:
  explicit TMonitorScreen(TComponent* owner) : TPanel(owner) {}
  void ChangeScale(int m, int d) override {
    if (m > 0 && d > 0 && m != d) Font()->ScaleHeight(m, d);
  }
};
}  // namespace

const TMetaClass& TScrMonitor::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrMonitor>("TScrMonitor", &TCustomControl::StaticClass(), [](auto& c) {
    c.Integer("InsideLeft", &TScrMonitor::InsideLeft, &TScrMonitor::SetInsideLeft);
    c.Integer("InsideTop", &TScrMonitor::InsideTop, &TScrMonitor::SetInsideTop);
    c.Integer("InsideRight", &TScrMonitor::InsideRight, &TScrMonitor::SetInsideRight);
    c.Integer("InsideBottom", &TScrMonitor::InsideBottom, &TScrMonitor::SetInsideBottom);
    c.template Ident<TColor>("InsideColor", ColorIdents(), &TScrMonitor::InsideColor, &TScrMonitor::SetInsideColor);
    c.Class("Picture", &TScrMonitor::Picture);
  });
  return cls;
}

TScrMonitor::TScrMonitor(TComponent* owner)
    : TCustomControl(owner), picture_(new TPicture), inside_(new TMonitorScreen(this)) {
  controlStyle_.Include(csAcceptsControls);
  controlStyle_.Include(csOpaque);
  inside_->SetBevelInner(bvNone);
  inside_->SetBevelOuter(bvNone);
  inside_->SetParent(this);
  picture_->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, kMonitorWidth, kMonitorHeight);
}

TScrMonitor::~TScrMonitor() {
  delete picture_;
  if (resource_) DeleteObject(resource_);
}

TComponent* TScrMonitor::GetChildOwner() {
  if (dynamic_cast<TCustomForm*>(Owner())) return Owner();
  return this;
}

void TScrMonitor::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
}

void TScrMonitor::InsertControl(TControl* control) {
  if (control == inside_ || !inside_) TCustomControl::InsertControl(control);
  else inside_->InsertControl(control);
}

#define SCR_INSIDE_SETTER(Name, field) \
  void TScrMonitor::Set##Name(int v) { \
    if (field == v) return;            \
    field = v;                         \
    AdjustInsides();                   \
  }
SCR_INSIDE_SETTER(InsideLeft, insideLeft_)
SCR_INSIDE_SETTER(InsideTop, insideTop_)
SCR_INSIDE_SETTER(InsideRight, insideRight_)
SCR_INSIDE_SETTER(InsideBottom, insideBottom_)
#undef SCR_INSIDE_SETTER

TColor TScrMonitor::InsideColor() const { return inside_->Color(); }
void TScrMonitor::SetInsideColor(TColor color) {
  inside_->SetColor(color);
  inside_->Invalidate();
}

SIZE TScrMonitor::PictureSize() const {
  SIZE size{kMonitorWidth, kMonitorHeight};
  if (picture_->Bitmap()) size = SIZE{picture_->Width() / 2, picture_->Height()};
  if (size.cx == 0) size.cx = kMonitorWidth;
  if (size.cy == 0) size.cy = kMonitorHeight;
  return size;
}

void TScrMonitor::AdjustInsides() {
  if (!inside_) return;
  const SIZE p = PictureSize();
  const int w = Width(), h = Height();
  const int left = insideLeft_ * w / p.cx, top = insideTop_ * h / p.cy;
  const int right = w - insideRight_ * w / p.cx, bottom = h - insideBottom_ * h / p.cy;
  inside_->SetBounds(left, top, right - left, bottom - top);
}

void TScrMonitor::SetBounds(int left, int top, int width, int height) {
  TCustomControl::SetBounds(left, top, width, height);
  AdjustInsides();
}

void TScrMonitor::RestoreSize() {
  const SIZE p = PictureSize();
  SetBounds(Left(), Top(), p.cx, p.cy);
}

void TScrMonitor::RestoreMonitor(TPicture* picture) {
  picture_->Assign(picture);
  RestoreSize();
  insideLeft_ = 16;
  insideTop_ = 17;
  insideRight_ = 15;
  insideBottom_ = 40;
  AdjustInsides();
}

HBITMAP TScrMonitor::Source() {
  if (picture_->Bitmap()) return picture_->Bitmap();
  return CachedResource(resource_, resourceTried_, "SCRMONITOR");
}

void TScrMonitor::Paint() {
  HDC dc = Canvas()->Handle();
  const RECT all{0, 0, Width(), Height()};
  HBITMAP source = Source();
  const SIZE size = BitmapSize(source);
  if (!source || size.cx < 2 || size.cy <= 0) {
    PaintPlain(dc, all);
    return;
  }
  // What the mask leaves uncovered shows the monitor's own colour.
  FillRect(dc, &all, Brush());
  TSelectedBitmap picture(dc, source);
  PaintMasked(dc, all, picture.dc(), 0, 0, size.cx / 2, size.cy);
}
