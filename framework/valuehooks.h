#pragma once
// The core's doors into the setting values. The core does not know the value
// classes: the values library fills these hooks while the program starts,
// and a hook left empty makes its call do nothing (or, for GetSysValue, go
// straight to the registry).
#include <cstdint>

class TComponent;
class TScrFormClass;

// Selector of GetSysValue: the system-wide screen-saver settings.
enum TScrSysValue { svPasswordDelay, svMouseThreshold, svMute, svActiveConfig, svUsePassword };

// Saves or loads every value owned directly by `owner`; answers how many.
using TScrValuesProc = int (*)(TComponent* owner);
// Answers the setting of the value component that stands for `which`, or
// false when there is none.
using TScrGetSysValueProc = bool (*)(TScrSysValue which, TComponent* owner, std::int32_t& value);
using TScrWatchForFormRenamesProc = void (*)(TScrFormClass* formClass, bool watch);

extern TScrValuesProc SaveValuesToRegistryProc;
extern TScrValuesProc LoadValuesFromRegistryProc;
extern TScrGetSysValueProc GetSysValueProc;
extern TScrWatchForFormRenamesProc WatchForFormRenamesProc;

// Nothing for a nil owner or an empty hook (answer 0).
int SaveValuesToRegistry(TComponent* owner);
int LoadValuesFromRegistry(TComponent* owner);
void WatchForFormRenames(TScrFormClass* formClass, bool watch);

// The current system setting: the default remembered for an entry that could
// not be read as a number, else what the hook's component answers, else the
// registry entry, else (no key) the default.
std::int32_t GetSysValue(TScrSysValue which, TComponent* owner);
