#include "saver/saverform.h"

#include <windows.h>
#include <mmsystem.h>

#include "framework/monitors.h"
#include "gl/sgl_trace.h"
#include "saver/galaxy_gl.h"
#include "saver/galaxy_monitors.h"
#include "saver/mainform.h"
#include "toolkit/sysutils.h"
#include "values/pascreate.h"

namespace {

// The system's OpenGL, which previews and dialogs over the saver draw with.
constexpr const char* kSystemDriver = "OPENGL32.DLL";

// Pictures a second at most in a preview: a picture of about 152 x 112
// changes by little more than a pixel in a thirtieth of a second, while
// its cost is per quad, about half a full-screen picture's. The galaxy
// still steps at the Speed setting's pace.
constexpr int kPreviewPictureRate = 30;

// The driver the full-screen run draws with: the Driver setting, unless it
// names no library that can be found (a stale or damaged setting); then the
// system's, as for a fresh installation.
std::string SaverDriver() {
  const std::string name = MainForm->Driver->GetValue();
  char found[MAX_PATH];
  if (!name.empty() && name.size() < MAX_PATH && SearchPathA(nullptr, name.c_str(), nullptr, MAX_PATH, found, nullptr))
    return name;
  ScrDebugMsg("Driver \"" + name.substr(0, 200) + "\" not found: drawing with " + kSystemDriver);
  return kSystemDriver;
}

}  // namespace

const TMetaClass& TSaverForm::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TSaverForm>("TSaverForm", &TScrForm::StaticClass(), [](TClassBuilder<TSaverForm>& b) {
        b.Field("SglPanel", &TSaverForm::SglPanel);
        b.Field("Timer", &TSaverForm::Timer);
        b.Field("nRingsController", &TSaverForm::nRingsController);
        b.Field("ReStartController", &TSaverForm::ReStartController);
        b.Field("PropabilityController", &TSaverForm::PropabilityController);
        b.Field("DarkMatterController", &TSaverForm::DarkMatterController);
        b.Field("VelocityController", &TSaverForm::VelocityController);
        b.Field("SpeedController", &TSaverForm::SpeedController);
        b.Field("TrailsController", &TSaverForm::TrailsController);
        b.Field("ReplenController", &TSaverForm::ReplenController);
        b.Field("ExhaustController", &TSaverForm::ExhaustController);
        b.Field("ExplodeController", &TSaverForm::ExplodeController);
        b.Field("BackgroundController", &TSaverForm::BackgroundController);
        b.Method("TimerTimer", &TSaverForm::TimerTimer);
        b.Method("nRingsControllerChange", &TSaverForm::nRingsControllerChange);
        b.Method("ReStartControllerChange", &TSaverForm::ReStartControllerChange);
        b.Method("MiscChange", &TSaverForm::MiscChange);
        b.Method("SpeedControllerChange", &TSaverForm::SpeedControllerChange);
        b.Method("TrailsControllerChange", &TSaverForm::TrailsControllerChange);
        b.Method("ColorChange", &TSaverForm::ColorChange);
        b.Method("SglPanelGLInit", &TSaverForm::SglPanelGLInit);
        b.Method("SglPanelGLPaint", &TSaverForm::SglPanelGLPaint);
      });
  return cls;
}

TSaverForm::TSaverForm(TComponent* owner) : TScrForm(owner) {}

TSaverForm::~TSaverForm() = default;

void TSaverForm::AfterConstruction() {
  // The base form first: it takes the run mode and placement from the
  // control component.
  TScrForm::AfterConstruction();
  if (!MainForm) throw EInvalidOperation("The saver form needs the main module");
  // The OpenGL layer's progress and failures reach the trace at its
  // framework level.
  SglSetTraceHooks(ScrDebugMsg, ScrDebugMsg, nullptr);
  if (SglPanel) {
    if (ScrMode() == smSFull)
      UseSaverDisplay();
    else
      SglPanel->SetglDriver(kSystemDriver);  // previews draw in a window
  }
  // Work the user left running comes first, as for any screen saver; the
  // options dialog (and its preview) keeps its priority.
  if (ScrMode() == smSFull || ScrMode() == smSPMain) SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS);
  power_ = TSaverPower::Current();
  FollowGalaxyValues();
  galaxy_ = std::make_unique<TGalaxy>(MainForm->GalaxySettings());
  ApplyPace();
}

void TSaverForm::FollowGalaxyValues() {
  for (const TGalaxySettingInfo& info : kGalaxySettings) {
    TScrValue* value = MainForm->GalaxyValue(info);
    bool followed = false;
    for (int i = 0; i < ComponentCount() && !followed; ++i) {
      auto* controller = dynamic_cast<TScrValueController*>(Components(i));
      followed = controller && controller->Value() == value;
    }
    if (followed || !value) continue;
    auto* controller =
        static_cast<TScrValueController*>(ScrCreateOwnedComponent(this, &TScrValueController::StaticClass()));
    controller->OnChange = [this](TObject*) { ApplySettings(); };
    controller->SetValue(value);
  }
  auto* rate = static_cast<TScrValueController*>(ScrCreateOwnedComponent(this, &TScrValueController::StaticClass()));
  rate->OnChange = [this](TObject*) { ApplyPace(); };
  rate->SetValue(MainForm->FrameRate);
}

void TSaverForm::ApplySettings() {
  galaxy_->Apply(MainForm->GalaxySettings());
  ApplyPace();
}

bool TSaverForm::IsPreview() const { return ScrMode() == smSPMain || ScrMode() == smSPConfig; }

void TSaverForm::ApplyPace() {
  if (!galaxy_) return;
  const int rate = PictureRate();
  // The pace starts with the first context (SglPanelGLInit), and follows
  // every change from then on.
  if (drawing_ && pace_.Rate() != rate) pace_.SetRate(rate);
  steps_.SetInterval(galaxy_->TimerInterval());
  // A preview catches up at most a picture's steps (after a jump of the
  // clock, a slept machine, a late timer): no burst.
  steps_.SetMaxCatchUp(rate > 0 ? 1000 / rate : TStepClock::kMaxCatchUpMs);
  if (!Timer) return;
  // A preview wakes once a picture; the full screen once a step. While the
  // display is off, once a second, to do nothing.
  if (power_.Display == TDisplayPower::Off)
    Timer->SetInterval(1000);
  else
    Timer->SetInterval(IsPreview() && rate > 0 ? 1000 / rate : galaxy_->TimerInterval());
}

void TSaverForm::ClockJumped() {
  const std::uint32_t now = clock_();
  steps_.Start(galaxy_ ? galaxy_->TimerInterval() : 1, now);
  if (drawing_) pace_.SetRate(PictureRate());
}

// Every handler does nothing while the form is being built or taken down:
// the galaxy exists only in between.

void TSaverForm::TimerTimer(TObject*) {
  // Nothing is drawn or stepped while the display is off: the galaxy goes
  // on from where it was when the display is back.
  if (!galaxy_ || power_.Display == TDisplayPower::Off) return;
  const std::uint32_t now = clock_();
  if (IsPreview()) {
    for (int steps = steps_.Take(now); steps > 0; --steps) galaxy_->Step();
  } else {
    galaxy_->Step();
  }
  // The picture of the new step, at once, unless no monitor could show it
  // before the next step's.
  if (SglPanel && pace_.Due(now)) SglPanel->Repaint();
}

void TSaverForm::SglPanelGLInit(TObject*) {
  view_.Init(SglGalaxyTable(), SglPanel->Width(), SglPanel->Height());
  drawing_ = true;
  ClockJumped();
  SglTrace(view_.UsesBuffers()  ? "Drawing frames from vertex buffers"
           : view_.UsesArrays() ? "Drawing frames from vertex arrays"
                                : "Drawing frames a vertex at a time");
}

void TSaverForm::SglPanelGLPaint(TObject*) {
  if (!galaxy_) return;
  const double eye = galaxy_->Settings().Eye;
  const float depth = static_cast<float>(galaxy_->Settings().Depth);
  const std::vector<TGalaxyViewport> views = MonitorViewports();
  if (!views.empty())
    view_.DrawViewports(*galaxy_, views, SglPanel->Width(), SglPanel->Height(), eye, depth, clock_());
  else
    view_.Draw(*galaxy_, SglPanel->Width(), SglPanel->Height(), eye, depth, clock_());
  SglPanel->SwapBuffers();
}

int TSaverForm::PictureRate() const {
  int rate = ScrRefreshRate();
  const int chosen = MainForm ? MainForm->PictureRateSetting() : 0;
  if (chosen > 0 && chosen < rate) rate = chosen;
  if (IsPreview() && rate > kPreviewPictureRate) rate = kPreviewPictureRate;
  return power_.CapRate(rate);
}

// ---- The machine's power, and a clock that jumps ----

void TSaverForm::CreateWnd() {
  TScrForm::CreateWnd();
  notifications_.Register(Handle());
}

void TSaverForm::DestroyWnd() {
  notifications_.Unregister();
  TScrForm::DestroyWnd();
}

void TSaverForm::WndProc(TMessage& message) {
  if (message.Msg != WM_POWERBROADCAST) return TScrForm::WndProc(message);
  if (message.WParam == PBT_POWERSETTINGCHANGE) {
    const TDisplayPower was = power_.Display;
    if (power_.Follow(message.LParam)) {
      ScrDebugMsg("Power: display " + std::to_string(static_cast<int>(power_.Display)) + ", battery " +
                  std::to_string(power_.OnBattery) + ", battery saver " + std::to_string(power_.BatterySaver));
      if (was == TDisplayPower::Off && power_.Display != TDisplayPower::Off) ClockJumped();
      ApplyPace();
    }
  } else if (message.WParam == PBT_APMRESUMEAUTOMATIC) {
    ClockJumped();
  }
  message.Result = TRUE;
}

std::vector<TGalaxyViewport> TSaverForm::MonitorViewports() const {
  if (ScrMode() != smSFull || !SglPanel->HandleAllocated()) return {};
  const POINT origin = SglPanel->ClientToScreen(POINT{0, 0});
  return LayoutViewports(UsableMonitors(ScrMonitors(), ScrPrimaryScreen()),
                         MonitorLayoutOf(MainForm->Monitors ? MainForm->Monitors->GetValue() : 0), origin,
                         SglPanel->Width(), SglPanel->Height());
}

void TSaverForm::UseSaverDisplay() {
  SglPanel->SetScreenDimensions(MainForm->Mode->GetWidth(), MainForm->Mode->GetHeight(), 16);
  SglPanel->SetglDriver(SaverDriver());
}

void TSaverForm::ScrBeginDialog() {
  TScrForm::ScrBeginDialog();
  if (SglPanel) SglPanel->SetglDriver(kSystemDriver);
}

void TSaverForm::ScrEndDialog(bool ok) {
  if (SglPanel) {
    UseSaverDisplay();
    SglPanel->HandleNeeded();
  }
  TScrForm::ScrEndDialog(ok);
}

// The handlers the form's resource binds: a change of any galaxy value goes
// to the galaxy as a whole; a flip of ReStart restarts it.

void TSaverForm::nRingsControllerChange(TObject*) {
  if (galaxy_) ApplySettings();
}

void TSaverForm::ReStartControllerChange(TObject*) {
  if (galaxy_) galaxy_->Restart();
}

void TSaverForm::MiscChange(TObject*) {
  if (galaxy_) ApplySettings();
}

void TSaverForm::SpeedControllerChange(TObject*) {
  if (galaxy_) ApplySettings();
}

void TSaverForm::TrailsControllerChange(TObject*) {
  if (galaxy_) ApplySettings();
}

void TSaverForm::ColorChange(TObject*) {
  if (galaxy_) ApplySettings();
}
