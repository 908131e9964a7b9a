#pragma once
// The track-bar viewer and its controllers: integers map one to one, reals
// onto 0..100, index values to the index of their range, screen modes to
// the index in the mode list, a colour to one 8-bit channel.
#include <string>

#include "controls/colorchannel.h"
#include "controls/notify.h"
#include "controls/viewer.h"
#include "values/screenmode.h"
#include "values/typed.h"

class TScrTrackBar;

class TScrTrackBarController : public TScrSingleViewerController<TScrTrackBar> {
  TK_CLASS(TScrTrackBarController)
  explicit TScrTrackBarController(TComponent* owner)
      : TScrSingleViewerController<TScrTrackBar>(owner, RangeAndChange()) {}

  virtual std::int32_t GetMin() = 0;
  virtual std::int32_t GetMax() = 0;
  virtual std::int32_t GetPosition() = 0;
  // The user moved the slider to `position`.
  virtual void SetPosition(std::int32_t position) = 0;
  // What the slider at `position` stands for, as the user reads it: shown
  // beside the thumb while it is dragged.
  virtual std::string Figure(std::int32_t position) { return std::to_string(position); }
};

class TScrTrackBar : public TScrViewer<TNotifyTrackBar, TScrTrackBarController, TScrTrackBar> {
  TK_CLASS(TScrTrackBar)
  explicit TScrTrackBar(TComponent* owner);

  // Range 0..100 at position 10: no value to show.
  void Blank();
  // Refresh from the controller: minimum, then maximum, then position.
  void ValueChanged(TValueNotifications ns);
  void PositionChanged() override;
  void WndProc(TMessage& message) override;

 private:
  // The tooltip shows the controller's figure, not the bare position.
  void ShowFigure();
};

// A typed leaf: the value as class V, refreshed on every link.
template <class V>
using TScrTypedTrackBarController = TScrTypedController<TScrTrackBarController, V>;

class TScrTrackBarIntegerController : public TScrTypedTrackBarController<TScrVCustomInteger> {
  TK_CLASS(TScrTrackBarIntegerController)
  explicit TScrTrackBarIntegerController(TComponent* owner) : TScrTypedController(owner) {}
  std::int32_t GetMin() override;
  std::int32_t GetMax() override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t position) override;
};

class TScrTrackBarDoubleController : public TScrTypedTrackBarController<TScrVCustomDouble> {
  TK_CLASS(TScrTrackBarDoubleController)
  explicit TScrTrackBarDoubleController(TComponent* owner) : TScrTypedController(owner) {}
  std::int32_t GetMin() override { return 0; }
  std::int32_t GetMax() override { return 100; }
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t position) override;
  std::string Figure(std::int32_t position) override;
  // Position of a real within the value's bounds, and back.
  std::int32_t DtoI(double x);
  double ItoD(std::int32_t i);
};

class TScrTrackBarIndexController : public TScrTypedTrackBarController<TScrVCustomIndex> {
  TK_CLASS(TScrTrackBarIndexController)
  explicit TScrTrackBarIndexController(TComponent* owner) : TScrTypedController(owner) {}
  std::int32_t GetMin() override { return 0; }
  std::int32_t GetMax() override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t position) override;
  std::string Figure(std::int32_t position) override;
};

class TScrTrackBarScreenModeController : public TScrTypedTrackBarController<TScrVScreenMode> {
  TK_CLASS(TScrTrackBarScreenModeController)
  explicit TScrTrackBarScreenModeController(TComponent* owner) : TScrTypedController(owner) {}
  std::int32_t GetMin() override { return 0; }
  std::int32_t GetMax() override;
  std::int32_t GetPosition() override;
  void SetPosition(std::int32_t position) override;
  std::string Figure(std::int32_t position) override;
};

// One 8-bit channel of a colour: BitShift 0 red, 8 green, 16 blue.
class TScrTrackBarColorController : public TScrColorChannelController<TScrTrackBarController> {
  TK_CLASS(TScrTrackBarColorController)
  explicit TScrTrackBarColorController(TComponent* owner) : TScrColorChannelController(owner) {}
  std::int32_t GetMin() override { return 0; }
  std::int32_t GetMax() override { return 255; }
  std::int32_t GetPosition() override { return Channel(80); }
  void SetPosition(std::int32_t position) override { WriteChannel(static_cast<std::uint8_t>(position)); }
};
