#pragma once
// The saver form: the framework's saver window for both the full-screen run
// and the preview. It owns one galaxy, steps it on every tick of its timer,
// and follows every setting change of the main module through value
// controllers (the eleven of its resource, and one for each other galaxy
// value), so that all live saver forms react to the same change: whichever
// galaxy value changed, the galaxy takes the settings as a whole.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/scrforms.h"
#include "gl/sgl_panel.h"
#include "galaxy/galaxy.h"
#include "galaxy/pace.h"
#include "galaxy/view.h"
#include "saver/galaxy_monitors.h"
#include "saver/power.h"
#include "toolkit/extctrls.h"
#include "values/controller.h"

class TSaverForm : public TScrForm {
  TK_CLASS(TSaverForm)
  explicit TSaverForm(TComponent* owner);
  ~TSaverForm() override;
  // The form's resource has been read: the galaxy is built here.
  void AfterConstruction() override;

  // A dialog is about to show over the saver: draw through the system's
  // windowed OpenGL meanwhile. Afterwards the saver's driver and screen mode
  // come back.
  void ScrBeginDialog() override;
  void ScrEndDialog(bool ok) override;
  void WndProc(TMessage& message) override;

  // Bound by name when the form's resource is read.
  TSglPanel* SglPanel = nullptr;
  TTimer* Timer = nullptr;
  TScrValueController* nRingsController = nullptr;
  TScrValueController* ReStartController = nullptr;
  TScrValueController* PropabilityController = nullptr;
  TScrValueController* DarkMatterController = nullptr;
  TScrValueController* VelocityController = nullptr;
  TScrValueController* SpeedController = nullptr;
  TScrValueController* TrailsController = nullptr;
  TScrValueController* ReplenController = nullptr;
  TScrValueController* ExhaustController = nullptr;
  TScrValueController* ExplodeController = nullptr;
  TScrValueController* BackgroundController = nullptr;

  // Event handlers, bound by name from the resource.
  void TimerTimer(TObject* sender);
  void nRingsControllerChange(TObject* sender);
  void ReStartControllerChange(TObject* sender);
  void MiscChange(TObject* sender);
  void SpeedControllerChange(TObject* sender);
  void TrailsControllerChange(TObject* sender);
  void ColorChange(TObject* sender);
  void SglPanelGLInit(TObject* sender);
  void SglPanelGLPaint(TObject* sender);

  // The form's galaxy; null only while the form is being built.
  const TGalaxy* Galaxy() const { return galaxy_.get(); }
  // Its picture on the panel's current context.
  const TGalaxyView& View() const { return view_; }
  // How often a step is drawn: at most PictureRate(), set afresh with every
  // new OpenGL context and every change of the frame rate or the power; a
  // rate of 0 draws every step.
  TFramePace& PicturePace() { return pace_; }
  // Pictures a second at most: the monitors' refresh rate, or the Frame rate
  // setting where it is lower; in a preview (the control panel's or the
  // options dialog's) no more than 30; then what the power allows (none
  // while the display is off).
  int PictureRate() const;
  // Whether the form is a preview: it wakes once a picture and takes the
  // steps due since the last together.
  bool IsPreview() const;
  // The millisecond clock that paces the pictures and moves the camera: the
  // multimedia timer, unless a test drives its own.
  using TClock = std::function<std::uint32_t()>;
  void SetClock(TClock clock) { clock_ = clock ? std::move(clock) : TClock(timeGetTime); }

 private:
  // A controller for every galaxy value that none of the resource's follows,
  // and one for the frame rate.
  void FollowGalaxyValues();
  // The pace and the timer for the picture rate, the speed and the power.
  void ApplyPace();
  // The clock went its own way (the machine slept): the steps and the
  // pictures count again from now, without a burst.
  void ClockJumped();
  void CreateWnd() override;
  void DestroyWnd() override;
  // The main module's galaxy settings to the galaxy, its step interval to
  // the timer.
  void ApplySettings();
  // The saver's own driver and screen mode (the full-screen run's settings).
  void UseSaverDisplay();
  // Full screen on several monitors: the viewports the Monitors setting
  // lays out (read at each picture, so that a change over the running saver,
  // or of the monitors, shows at once); otherwise none (the panel is one
  // picture).
  std::vector<TGalaxyViewport> MonitorViewports() const;

  std::unique_ptr<TGalaxy> galaxy_;
  TGalaxyView view_;  // the picture on the panel's current context
  TFramePace pace_;   // steps drawn at most at the monitors' refresh rate
  TStepClock steps_;  // a preview's steps, due at the Speed setting's pace
  TSaverPower power_;
  TPowerNotifications notifications_;
  bool drawing_ = false;  // a context has been made: the pace counts
  TClock clock_ = timeGetTime;
};
