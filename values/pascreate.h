#pragma once
// Creating a component of a class known only at run time.
#include "toolkit/classes.h"

// A new component of run-time class `cls` owned by `owner`, built by that
// class's own constructor (and resources, for roots). A failure in the
// constructor propagates and nothing is returned; a class that is null or
// not a component raises EInvalidOperation.
TComponent* ScrCreateOwnedComponent(TComponent* owner, TComponentClass cls);
