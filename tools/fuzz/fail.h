#pragma once
// A fuzz target's verdict on an input that broke a rule: said, then a crash
// for libFuzzer to keep the input.
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char* target, const char* what) {
  std::fprintf(stderr, "%s: %s\n", target, what);
  std::abort();
}
