#pragma once
// The setting values: the value model, the typed values and their ranges,
// and the batch operations over the values of a form.
#include "framework/valuehooks.h"
#include "values/controller.h"
#include "values/lists.h"
#include "values/pascreate.h"
#include "values/ranges.h"
#include "values/screenmode.h"
#include "values/typed.h"
#include "values/value.h"

// Saves (loads) every value owned directly by `owner`, in order; answers how
// many. They fill the core's hooks of the same names at start-up.
int ScrSaveValuesToRegistry(TComponent* owner);
int ScrLoadValuesFromRegistry(TComponent* owner);

// Registers the value classes for form resources and fills the core's hooks.
// Runs once by itself before the program's main routine; harmless again.
void ScrInstallValues();
