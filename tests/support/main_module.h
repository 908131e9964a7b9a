#pragma once
// A program's main module made for a test.
#include "tests/support/win32_support.h"
#include "toolkit/classes.h"

namespace testing_support {

// A main module of class T, its start of a run mode dropped (DropQueuedStart).
template <class T>
T* NewMainModule() {
  T* module = CreateComponent<T>(nullptr);
  DropQueuedStart();
  return module;
}

}  // namespace testing_support
