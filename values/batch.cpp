#include <exception>
#include <vector>

#include "framework/valuehooks.h"
#include "values/sysvalues.h"
#include "values/values.h"

namespace {

template <class Op>
int ForEachValue(TComponent* owner, Op op) {
  if (!owner) return 0;
  // A load may notify controllers that change the owner's list; take the
  // values as they are now and skip any that has gone since.
  std::vector<TComponent*> snapshot;
  for (int i = 0; i < owner->ComponentCount(); ++i) snapshot.push_back(owner->Components(i));
  // A listener that fails while one value is told stops neither the others
  // nor the batch: every value is done, and the first failure then reaches
  // the caller.
  std::exception_ptr failure;
  int count = 0;
  for (TComponent* c : snapshot) {
    bool stillOwned = false;
    for (int i = 0; i < owner->ComponentCount() && !stillOwned; ++i) stillOwned = owner->Components(i) == c;
    if (!stillOwned) continue;
    if (auto* value = dynamic_cast<TScrValue*>(c)) {
      try {
        op(*value);
      } catch (...) {
        if (!failure) failure = std::current_exception();
      }
      ++count;
    }
  }
  if (failure) std::rethrow_exception(failure);
  return count;
}

}  // namespace

int ScrSaveValuesToRegistry(TComponent* owner) {
  return ForEachValue(owner, [](TScrValue& v) { v.SaveToRegistry(); });
}

int ScrLoadValuesFromRegistry(TComponent* owner) {
  return ForEachValue(owner, [](TScrValue& v) { v.LoadFromRegistry(); });
}

void ScrInstallValues() {
  RegisterClasses({&TScrVInteger::StaticClass(), &TScrVDouble::StaticClass(), &TScrVIndex::StaticClass(),
                   &TScrVBoolean::StaticClass(), &TScrVString::StaticClass(), &TScrVColor::StaticClass(),
                   &TScrVFont::StaticClass(), &TScrVStringList::StaticClass(), &TScrVFileList::StaticClass(),
                   &TScrVIntegerRange::StaticClass(), &TScrVDoubleRange::StaticClass()});
  RegisterClasses({&TScrVScreenMode::StaticClass(), &TScrValueController::StaticClass()});
  SaveValuesToRegistryProc = &ScrSaveValuesToRegistry;
  LoadValuesFromRegistryProc = &ScrLoadValuesFromRegistry;
  ScrInstallSysValues();
}
