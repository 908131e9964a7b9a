#pragma once
// TTimer (a utility window and SetTimer) and TPanel (a container that
// paints its background in Color).
#include "toolkit/controls.h"

class TTimer : public TComponent {
  TK_CLASS(TTimer)
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  // Milliseconds; changing it restarts the timer.
  int Interval() const { return interval_; }
  void SetInterval(int interval);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(TNotifyEvent event);
  // True while a system timer runs: enabled, interval above 0, OnTimer set.
  bool Running() const { return running_; }

 protected:
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& m);

  int interval_ = 1000;
  bool enabled_ = true;
  bool running_ = false;
  TNotifyEvent onTimer_;
  HWND window_ = nullptr;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
  TK_CLASS(TPanel)
  explicit TPanel(TComponent* owner);

  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);

 protected:
  void Paint() override;

 private:
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
};
