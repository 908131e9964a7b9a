#include "toolkit/extctrls.h"

#include "toolkit/forms.h"

// ---- TTimer -----------------------------------------------------------------------

const TMetaClass& TTimer::StaticClass() {
  static const TMetaClass cls = DefineClass<TTimer>("TTimer", &TComponent::StaticClass(), [](auto& c) {
    c.Integer("Interval", &TTimer::Interval, &TTimer::SetInterval);
    c.Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled);
    c.template Event<TNotifyEvent>("OnTimer", &TTimer::SetOnTimer);
  });
  return cls;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
  DeallocateHWnd(window_);
}

void TTimer::WndProc(TMessage& m) {
  if (m.Msg == WM_TIMER) {
    try {
      Timer();
    } catch (...) {
      Application->HandleException(this);
    }
    return;
  }
  m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam);
}

void TTimer::UpdateTimer() {
  if (running_) KillTimer(window_, 1);
  running_ = false;
  if (enabled_ && interval_ > 0 && onTimer_ && window_) {
    if (!SetTimer(window_, 1, static_cast<UINT>(interval_), nullptr)) throw EInvalidOperation("Not enough timers available");
    running_ = true;
  }
}

void TTimer::SetInterval(int interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent event) {
  onTimer_ = std::move(event);
  UpdateTimer();
}

void TTimer::Timer() {
  if (onTimer_) onTimer_(this);
}

// ---- TPanel -----------------------------------------------------------------------

namespace {
const std::vector<std::string> kBevels{"bvNone", "bvLowered", "bvRaised", "bvSpace"};
}

const TMetaClass& TPanel::StaticClass() {
  static const TMetaClass cls = DefineClass<TPanel>("TPanel", &TCustomControl::StaticClass(), [](auto& c) {
    c.String("Caption", &TPanel::Caption, &TPanel::SetCaption);
    c.template Enum<TBevelCut>("BevelInner", kBevels, &TPanel::BevelInner, &TPanel::SetBevelInner);
    c.template Enum<TBevelCut>("BevelOuter", kBevels, &TPanel::BevelOuter, &TPanel::SetBevelOuter);
    c.template Event<TNotifyEvent>("OnClick", &TPanel::OnClick);
    c.template Event<TNotifyEvent>("OnResize", &TPanel::OnResize);
  });
  return cls;
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  controlStyle_.Include(csAcceptsControls);
  width_ = 185;
  height_ = 41;
}

void TPanel::SetBevelInner(TBevelCut v) {
  bevelInner_ = v;
  Invalidate();
}

void TPanel::SetBevelOuter(TBevelCut v) {
  bevelOuter_ = v;
  Invalidate();
}

void TPanel::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r = ClientRect();
  auto edge = [&](TBevelCut cut) {
    if (cut == bvLowered) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    else if (cut == bvRaised) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
  };
  edge(bevelOuter_);
  edge(bevelInner_);
  if (!Caption().empty()) {
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    DrawTextA(dc, Caption().c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
}

// ---- TPicture -------------------------------------------------------------------------

const TMetaClass& TPicture::StaticClass() {
  static const TMetaClass cls = DefineClass<TPicture>("TPicture", &TPersistent::StaticClass(), [](auto& c) {
    c.Binary("Data", &TPicture::SetData);
  });
  return cls;
}

TPicture::TPicture() : icon_(new TIcon) {}

TPicture::~TPicture() {
  Clear();
  delete icon_;
}

void TPicture::Clear() {
  icon_->SetHandle(nullptr);
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  width_ = height_ = 0;
}

void TPicture::SetBitmap(HBITMAP bitmap) {
  Clear();
  BITMAP info{};
  if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
    bitmap_ = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0));
    if (bitmap_) width_ = info.bmWidth, height_ = info.bmHeight;
  }
  if (OnChange) OnChange(this);
}

void TPicture::Assign(const TPicture* source) {
  if (source == this) return;
  if (source && source->bitmap_) return SetBitmap(source->bitmap_);
  Clear();
  if (source && !source->icon_->Empty()) {
    icon_->SetHandle(CopyIcon(source->icon_->Handle()), true);
    width_ = source->width_;
    height_ = source->height_;
  }
  if (OnChange) OnChange(this);
}

void TPicture::SetData(const std::string& data) {
  Clear();
  std::size_t n = data.empty() ? 0 : static_cast<unsigned char>(data[0]);
  if (data.size() > n && data.compare(1, n, "TIcon") == 0 && n == 5) LoadIconFile(data.substr(1 + n));
  if (OnChange) OnChange(this);
}

void TPicture::LoadIconFile(const std::string& bytes) {
  auto u16 = [&](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
                                          static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8; };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  if (bytes.size() < 6 || u16(0) != 0 || u16(2) != 1) return;
  const unsigned count = u16(4);
  int best = -1, bestArea = -1;
  for (unsigned i = 0; i < count; ++i) {
    std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
    if (e + 16 > bytes.size()) return;
    int w = static_cast<unsigned char>(bytes[e]), h = static_cast<unsigned char>(bytes[e + 1]);
    if (w == 0) w = 256;
    if (h == 0) h = 256;
    std::size_t size = u32(e + 8), offset = u32(e + 12);
    if (offset > bytes.size() || size > bytes.size() - offset) continue;
    if (w * h > bestArea) best = static_cast<int>(i), bestArea = w * h;
  }
  if (best < 0) return;
  std::size_t e = 6 + 16 * static_cast<std::size_t>(best);
  int w = static_cast<unsigned char>(bytes[e]), h = static_cast<unsigned char>(bytes[e + 1]);
  if (w == 0) w = 256;
  if (h == 0) h = 256;
  std::string image = bytes.substr(u32(e + 12), u32(e + 8));
  HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()), static_cast<DWORD>(image.size()),
                                        TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
  if (!icon) return;
  icon_->SetHandle(icon, true);
  width_ = w;
  height_ = h;
}

// ---- TImage ------------------------------------------------------------------------------

const TMetaClass& TImage::StaticClass() {
  static const TMetaClass cls = DefineClass<TImage>("TImage", &TCustomControl::StaticClass(), [](auto& c) {
    c.Class("Picture", &TImage::Picture);
    c.Boolean("Center", &TImage::Center, &TImage::SetCenter);
    c.Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch);
    c.template Event<TNotifyEvent>("OnClick", &TImage::OnClick);
  });
  return cls;
}

TImage::TImage(TComponent* owner) : TCustomControl(owner), picture_(new TPicture) {
  width_ = 105;
  height_ = 105;
  picture_->OnChange = [this](TObject*) { Invalidate(); };
}

TImage::~TImage() { delete picture_; }

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

RECT TImage::DestRect() const {
  RECT c = ClientRect();
  int w = picture_->Width(), h = picture_->Height();
  if (stretch_) {
    w = c.right;
    h = c.bottom;
  }
  RECT r{0, 0, w, h};
  if (center_) OffsetRect(&r, (c.right - w) / 2, (c.bottom - h) / 2);
  return r;
}

void TImage::Paint() {
  if (picture_->Icon()->Empty()) return;
  RECT r = DestRect();
  DrawIconEx(Canvas()->Handle(), r.left, r.top, picture_->Icon()->Handle(), r.right - r.left, r.bottom - r.top, 0,
             nullptr, DI_NORMAL);
}
