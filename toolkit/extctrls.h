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

// ---- TPicture and TImage ------------------------------------------------------------

// A picture read from a form resource: `Data` is the class name of the
// graphic (a length byte and "TIcon") followed by the icon file's bytes.
// Only icons are read from resources; a program may also hand it a bitmap.
// It holds one graphic at a time.
class TPicture : public TPersistent {
  TK_CLASS(TPicture)
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TIcon* Icon() const { return icon_; }
  // The bitmap it holds, or null.
  HBITMAP Bitmap() const { return bitmap_; }
  // Keeps a copy of `bitmap` (null empties the picture).
  void SetBitmap(HBITMAP bitmap);
  // Copies the graphic of `source` (null empties the picture).
  void Assign(const TPicture* source);
  bool Empty() const { return icon_->Empty() && !bitmap_; }
  // Natural size of the graphic (0 when empty).
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetData(const std::string& data);
  // The largest image of an icon file's bytes.
  void LoadIconFile(const std::string& bytes);

  TNotifyEvent OnChange;

 private:
  void Clear();

  TIcon* icon_;
  HBITMAP bitmap_ = nullptr;
  int width_ = 0, height_ = 0;
};

// Shows a picture, at its natural size or stretched to the control, and
// centred or at the top left.
class TImage : public TCustomControl {
  TK_CLASS(TImage)
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* Picture() const { return picture_; }
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  // Where the picture is painted, in client coordinates.
  RECT DestRect() const;

 protected:
  void Paint() override;

 private:
  TPicture* picture_;
  bool center_ = false, stretch_ = false;
};
