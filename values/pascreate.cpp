#include "values/pascreate.h"

TComponent* ScrCreateOwnedComponent(TComponent* owner, TComponentClass cls) {
  if (!cls) throw EInvalidOperation("No component class to create");
  if (cls->IsAbstract()) throw EInvalidOperation("Cannot create an instance of abstract class " + cls->ClassName());
  return cls->Create(owner);
}
