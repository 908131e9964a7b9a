// The options dialog's Frame rate slider. (Apart from the dialog's source:
// the monitors' header and the dialog's controls both name a TScrMonitor.)
#include "framework/monitors.h"
#include "saver/configform.h"
#include "saver/mainform.h"

const TMetaClass& TFrameRateController::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TFrameRateController>("TFrameRateController", &TScrTrackBarIntegerController::StaticClass());
  return cls;
}

std::int32_t TFrameRateController::GetMin() { return TMainForm::kFrameRateMin; }

std::int32_t TFrameRateController::GetMax() {
  const int monitor = ScrRefreshRate();
  return monitor > GetMin() ? monitor : GetMin() + 1;
}

std::int32_t TFrameRateController::GetPosition() {
  // 0, and a figure below the least, stand for the monitor's rate.
  const int rate = typed_ ? typed_->GetValue() : 0;
  return rate < GetMin() || rate > GetMax() ? GetMax() : rate;
}

void TFrameRateController::SetPosition(std::int32_t position) {
  if (typed_) typed_->SetValue(position >= GetMax() ? 0 : position);
}

std::string TFrameRateController::Figure(std::int32_t position) {
  return position >= GetMax() ? "Monitor" : std::to_string(position);
}

