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
