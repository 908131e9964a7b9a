#include "saver/saverform.h"

#include "saver/mainform.h"
#include "toolkit/sysutils.h"

namespace {

TGalaxyColor GalaxyColor(TScrVColor* value) { return static_cast<TGalaxyColor>(value->GetValue()); }

// The galaxy's settings as the main module holds them now.
TGalaxySettings CurrentSettings() {
  TGalaxySettings s;
  s.Rings = MainForm->nRings->GetValue();
  s.Velocity = MainForm->Velocity->GetValue();
  s.Probability = MainForm->Probability->GetValue();
  s.Trails = MainForm->Trails->GetValue();
  s.Density = MainForm->Density->GetValue();
  s.DarkMatter = MainForm->DarkMatter->IntegerFromCurrentIndex();
  s.Speed = MainForm->Speed->IntegerFromCurrentIndex();
  s.Explosion = GalaxyColor(MainForm->Explosion);
  s.Exhausted = GalaxyColor(MainForm->Exhausted);
  s.Background = GalaxyColor(MainForm->Background);
  s.Replenished = GalaxyColor(MainForm->Replenished);
  return s;
}

}  // namespace

const TMetaClass& TSaverForm::StaticClass() {
  static const TMetaClass cls =
      DefineClass<TSaverForm>("TSaverForm", &TScrForm::StaticClass(), [](TClassBuilder<TSaverForm>& b) {
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
      });
  return cls;
}

TSaverForm::TSaverForm(TComponent* owner) : TScrForm(owner) {}

TSaverForm::~TSaverForm() = default;

void TSaverForm::AfterConstruction() {
  // The base form first: it takes the run mode and placement from the
  // control component.
  TScrForm::AfterConstruction();
  // The OpenGL set-up of the form (trace hooks, the panel's driver and screen
  // mode) comes here, with the panel.
  if (!MainForm) throw EInvalidOperation("The saver form needs the main module");
  galaxy_ = std::make_unique<TGalaxy>(CurrentSettings());
  ApplySpeed();
}

TGalaxy& TSaverForm::Model() {
  galaxy_->SetDensity(MainForm->Density->GetValue());
  return *galaxy_;
}

void TSaverForm::ApplySpeed() {
  galaxy_->SetSpeed(MainForm->Speed->IntegerFromCurrentIndex());
  if (Timer) Timer->SetInterval(galaxy_->TimerInterval());
}

// Every handler does nothing while the form is being built or taken down:
// the galaxy exists only in between.

void TSaverForm::TimerTimer(TObject*) {
  if (!galaxy_) return;
  Model().Step();
  // The picture of the new step: the OpenGL panel is repainted here at once.
}

void TSaverForm::nRingsControllerChange(TObject*) {
  if (galaxy_) Model().SetRings(MainForm->nRings->GetValue());
}

void TSaverForm::ReStartControllerChange(TObject*) {
  if (galaxy_) Model().Restart();
}

void TSaverForm::MiscChange(TObject*) {
  if (galaxy_)
    galaxy_->SetDynamics(MainForm->Probability->GetValue(), MainForm->Velocity->GetValue(),
                         MainForm->DarkMatter->IntegerFromCurrentIndex());
}

void TSaverForm::SpeedControllerChange(TObject*) {
  if (galaxy_) ApplySpeed();
}

void TSaverForm::TrailsControllerChange(TObject*) {
  if (galaxy_) galaxy_->SetTrails(MainForm->Trails->GetValue());
}

void TSaverForm::ColorChange(TObject*) {
  if (galaxy_)
    galaxy_->SetColors(GalaxyColor(MainForm->Explosion), GalaxyColor(MainForm->Exhausted),
                       GalaxyColor(MainForm->Background), GalaxyColor(MainForm->Replenished));
}
