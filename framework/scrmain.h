#pragma once
// The program's entry point for a saver built on the framework: initialise
// the application, create the main module (whose control component then runs
// the mode from the message loop) and run the loop.
#include "toolkit/forms.h"

// Creates the main module of class `mainModule` into `ref` and runs the
// application; an error that escapes is shown to the user. Answers 0.
template <class T>
int ScrRunApplication(TComponentClass mainModule, T*& ref) {
  try {
    Application->Initialize();
    Application->CreateForm(mainModule, ref);
    Application->Run();
  } catch (const Exception& e) {
    Application->ShowException(e);
  }
  return 0;
}

template <class T>
int ScrRunApplication(T*& ref) {
  return ScrRunApplication(&T::StaticClass(), ref);
}
