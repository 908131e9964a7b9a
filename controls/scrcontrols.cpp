#include "controls/scrcontrols.h"

#include "framework/scrforms.h"
#include "values/values.h"

void ScrInstallControls() {
  static const bool done = [] {
    ScrInstallValues();
    RegisterStandardControls();
    RegisterClasses({&TNotifyEdit::StaticClass(), &TNotifyTrackBar::StaticClass(), &TNotifyListBox::StaticClass(),
                     &TNotifyComboBox::StaticClass(), &TNotifyRadioButton::StaticClass(),
                     &TScrTrackBar::StaticClass(), &TScrEdit::StaticClass(), &TScrListBox::StaticClass(),
                     &TScrComboBox::StaticClass(), &TScrCheckBox::StaticClass(), &TScrRadioButton::StaticClass()});
    // The edit's spin button and the controllers only ever placed on a form.
    RegisterClasses({&TScrUpDown::StaticClass(), &TScrEditIntegerMagnitudeController::StaticClass(),
                     &TScrListBoxColorController::StaticClass(), &TScrListBoxTwoUnitsController::StaticClass()});
    // The text controllers sit beside their label, never nested in a viewer.
    RegisterClasses({&TScrCorners::StaticClass(), &TScrMonitor::StaticClass(),
                     &TScrTextStringController::StaticClass(), &TScrTextIntegerController::StaticClass(),
                     &TScrTextIntegerRangeController::StaticClass(), &TScrTextDoubleController::StaticClass(),
                     &TScrTextDoubleRangeController::StaticClass(), &TScrTextIndexController::StaticClass(),
                     &TScrTextScreenModeController::StaticClass(), &TScrTextHotServicesController::StaticClass()});
    // The controller classes a form resource may nest in a viewer, in the
    // order other modules receive them (SetEnumScrControllersProc).
    static const TClass kControllers[] = {
        &TScrTrackBarIntegerController::StaticClass(), &TScrTrackBarDoubleController::StaticClass(),
        &TScrTrackBarIndexController::StaticClass(),   &TScrTrackBarScreenModeController::StaticClass(),
        &TScrTrackBarColorController::StaticClass(),
        // Lists, then edits.
        &TScrListBoxIntegerController::StaticClass(), &TScrListBoxDoubleController::StaticClass(),
        &TScrListBoxBooleanController::StaticClass(), &TScrListBoxStringsController::StaticClass(),
        &TScrListBoxIndexController::StaticClass(), &TScrListBoxScreenModeController::StaticClass(),
        &TScrListBoxRGBColorController::StaticClass(),
        &TScrEditStringController::StaticClass(), &TScrEditIntegerController::StaticClass(),
        &TScrEditColorController::StaticClass(), &TScrEditDoubleController::StaticClass(),
        // Check box, radio buttons and corners: the last of the list.
        &TScrCheckBoxBooleanController::StaticClass(), &TScrRadioButtonBooleanController::StaticClass(),
        &TScrRadioButtonIndexController::StaticClass(), &TScrCornersStringController::StaticClass(),
    };
    RegisterScrControllers(kControllers, static_cast<int>(std::size(kControllers)) - 1);
    NotifyEditIsDialogOkayProc = NotifyEditIsDialogOkayImplementation;
    return true;
  }();
  (void)done;
}

namespace {
const bool kInstalled = (ScrInstallControls(), true);
}
