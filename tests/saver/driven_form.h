#pragma once
// A saver form stepped by the test on a clock of the test's own: its timer
// stopped, its pictures counted.
#include <cstdint>

#include "saver/saverform.h"
#include "tests/support/win32_support.h"

class TDrivenForm {
 public:
  // `form` is shown or about to be: its first context sets its pace.
  explicit TDrivenForm(TSaverForm* form) : form_(form), draw_(form->SglPanel->OnGLPaint) {
    form_->Timer->SetEnabled(false);
    form_->SetClock([this] { return now_; });
    paced_ = testing_support::PumpUntil([this] { return form_->PicturePace().Rate() > 0; }, 10000);
    form_->SglPanel->OnGLPaint = [this](TObject* sender) {
      ++pictures_;
      draw_(sender);
    };
  }
  ~TDrivenForm() {
    form_->SglPanel->OnGLPaint = draw_;
    form_->SetClock(nullptr);
  }
  TDrivenForm(const TDrivenForm&) = delete;
  TDrivenForm& operator=(const TDrivenForm&) = delete;

  // Whether the form's pace was set (it has drawn).
  bool Paced() const { return paced_; }
  // `count` ticks of the form's timer, `ms` apart; the pictures they drew.
  int Ticks(int count, std::uint32_t ms) {
    pictures_ = 0;
    for (int i = 0; i < count; ++i, now_ += ms) form_->TimerTimer(nullptr);
    return pictures_;
  }
  void Wait(std::uint32_t ms) { now_ += ms; }
  std::uint32_t Now() const { return now_; }

 private:
  TSaverForm* form_;
  TNotifyEvent draw_;
  std::uint32_t now_ = 1000;
  int pictures_ = 0;
  bool paced_ = false;
};
