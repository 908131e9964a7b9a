#pragma once
// Owner of one reference to a loaded library: frees it when it goes.
#include <windows.h>

#include <utility>

class TModuleRef {
 public:
  TModuleRef() = default;
  explicit TModuleRef(HMODULE handle) : handle_(handle) {}
  ~TModuleRef() { reset(); }
  TModuleRef(const TModuleRef&) = delete;
  TModuleRef& operator=(const TModuleRef&) = delete;
  TModuleRef(TModuleRef&& other) noexcept : handle_(other.release()) {}
  TModuleRef& operator=(TModuleRef&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  HMODULE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HMODULE release() { return std::exchange(handle_, nullptr); }
  void reset(HMODULE handle = nullptr) {
    if (handle_) FreeLibrary(handle_);
    handle_ = handle;
  }

  // Another reference to the same library (null if it is not loaded).
  TModuleRef AddRef() const {
    HMODULE again = nullptr;
    if (handle_ && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                       reinterpret_cast<LPCSTR>(handle_), &again))
      again = nullptr;
    return TModuleRef(again);
  }

 private:
  HMODULE handle_ = nullptr;
};
