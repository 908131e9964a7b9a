#include "controls/trackbar.h"

#include <commctrl.h>

#include <cmath>
#include <cstdio>

#include "values/ranges.h"

// ---- TScrTrackBar --------------------------------------------------------------------

const TMetaClass& TScrTrackBarController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TScrTrackBarController>("TScrTrackBarController", &TScrValueViewerControllerAncestor::StaticClass());
  return cls;
}

const TMetaClass& TScrTrackBar::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBar>("TScrTrackBar", &TNotifyTrackBar::StaticClass(), [](auto& c) {
    c.template Component<TScrTrackBarController>("Controller", &TScrTrackBar::Controller, &TScrTrackBar::SetController);
  });
  return cls;
}

TScrTrackBar::TScrTrackBar(TComponent* owner) : TScrViewer(owner, RangeAndChange()) {
  SetTickStyle(tsNone);
  Busy busy(link_);
  Blank();
}

void TScrTrackBar::Blank() {
  SetMin(0);
  SetMax(100);
  SetPosition(10);
}

void TScrTrackBar::ValueChanged(TValueNotifications ns) {
  if (link_.Busy()) return;
  Busy busy(link_);
  TScrTrackBarController* c = Controller();
  if (!c) return;
  if (ns.Contains(vnRange)) {
    SetMin(c->GetMin());
    SetMax(c->GetMax());
  }
  if (ns.Contains(vnChange)) SetPosition(c->GetPosition());
}

void TScrTrackBar::WndProc(TMessage& m) {
  TNotifyTrackBar::WndProc(m);
  // The track bar writes its bare position into the tooltip as the thumb is
  // pressed and dragged; the figure goes over it.
  if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_MOUSEMOVE) && GetCapture() == Handle()) ShowFigure();
}

void TScrTrackBar::ShowFigure() {
  TScrTrackBarController* c = Controller();
  HWND tip = reinterpret_cast<HWND>(SendMessageA(Handle(), TBM_GETTOOLTIPS, 0, 0));
  if (!c || !tip) return;
  TOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  if (!SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool))) return;
  std::string figure = c->Figure(Position());
  tool.lpszText = figure.data();
  SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  // A tracking tooltip may show a new text only when placed again: where it is.
  RECT at{};
  GetWindowRect(tip, &at);
  SendMessageA(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.left, at.top));
}

void TScrTrackBar::PositionChanged() {
  TNotifyTrackBar::PositionChanged();
  if (!CanWrite()) return;
  Busy busy(link_);
  Controller()->SetPosition(Position());
}

// ---- Integer -----------------------------------------------------------------------------

const TMetaClass& TScrTrackBarIntegerController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBarIntegerController>("TScrTrackBarIntegerController",
                                                                           &TScrTrackBarController::StaticClass());
  return cls;
}

std::int32_t TScrTrackBarIntegerController::GetMin() { return typed_ ? typed_->GetMin() : 0; }
std::int32_t TScrTrackBarIntegerController::GetMax() { return typed_ ? typed_->GetMax() : 100; }
std::int32_t TScrTrackBarIntegerController::GetPosition() { return typed_ ? typed_->GetValue() : 10; }

void TScrTrackBarIntegerController::SetPosition(std::int32_t position) {
  if (typed_) typed_->SetValue(position);
}

// ---- Double --------------------------------------------------------------------------------

const TMetaClass& TScrTrackBarDoubleController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBarDoubleController>("TScrTrackBarDoubleController",
                                                                          &TScrTrackBarController::StaticClass());
  return cls;
}

std::int32_t TScrTrackBarDoubleController::DtoI(double x) {
  if (!typed_) return 10;
  const double lo = typed_->GetMin(), hi = typed_->GetMax();
  const double p = std::floor((x - lo) * 100.0 / (hi - lo) + 0.5);
  // An empty span (or a figure far outside it) has no slider position.
  if (!std::isfinite(p)) return 0;
  return static_cast<std::int32_t>(std::fmax(std::fmin(p, 2147483647.0), -2147483648.0));
}

double TScrTrackBarDoubleController::ItoD(std::int32_t i) {
  if (!typed_) return 0.1;
  const double lo = typed_->GetMin(), hi = typed_->GetMax();
  return lo + (i * 0.01) * (hi - lo);
}

std::int32_t TScrTrackBarDoubleController::GetPosition() { return typed_ ? DtoI(typed_->GetValue()) : 10; }

void TScrTrackBarDoubleController::SetPosition(std::int32_t position) {
  if (typed_) typed_->SetValue(ItoD(position));
}

std::string TScrTrackBarDoubleController::Figure(std::int32_t position) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", ItoD(position));
  return text;
}

// ---- Index -----------------------------------------------------------------------------------

const TMetaClass& TScrTrackBarIndexController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBarIndexController>("TScrTrackBarIndexController",
                                                                         &TScrTrackBarController::StaticClass());
  return cls;
}

std::int32_t TScrTrackBarIndexController::GetMax() {
  if (!typed_) return 10;
  TScrVIndexRanges* ranges = typed_->GetRanges();
  return (ranges ? ranges->Count() : 0) - 1;
}

std::int32_t TScrTrackBarIndexController::GetPosition() { return typed_ ? typed_->GetIndex() : 3; }

void TScrTrackBarIndexController::SetPosition(std::int32_t position) {
  if (typed_) typed_->SetIndex(position);
}

std::string TScrTrackBarIndexController::Figure(std::int32_t position) {
  TScrVIndexRanges* ranges = typed_ ? typed_->GetRanges() : nullptr;
  if (!ranges || position < 0 || position >= ranges->Count()) return TScrTrackBarController::Figure(position);
  return ranges->GetItem(position)->Caption();
}

// ---- Screen mode ---------------------------------------------------------------------------------

const TMetaClass& TScrTrackBarScreenModeController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBarScreenModeController>(
      "TScrTrackBarScreenModeController", &TScrTrackBarController::StaticClass());
  return cls;
}

std::int32_t TScrTrackBarScreenModeController::GetMax() { return typed_ ? typed_->GetCount() - 1 : 4; }
std::int32_t TScrTrackBarScreenModeController::GetPosition() { return typed_ ? typed_->GetIndex() : 3; }

void TScrTrackBarScreenModeController::SetPosition(std::int32_t position) {
  if (typed_) typed_->SetIndex(position);
}

std::string TScrTrackBarScreenModeController::Figure(std::int32_t position) {
  if (!typed_ || position < 0 || position >= typed_->GetCount()) return TScrTrackBarController::Figure(position);
  return typed_->StringFromIndex(position);
}

// ---- Colour channel ---------------------------------------------------------------------------------

const TMetaClass& TScrTrackBarColorController::StaticClass() {
  static const TMetaClass cls = DefineClass<TScrTrackBarColorController>(
      "TScrTrackBarColorController", &TScrTrackBarController::StaticClass(), [](auto& c) {
        c.Integer("BitShift", &TScrTrackBarColorController::BitShift, &TScrTrackBarColorController::SetBitShift);
        c.String("ColorName", &TScrTrackBarColorController::ColorName, &TScrTrackBarColorController::SetColorName);
      });
  return cls;
}
