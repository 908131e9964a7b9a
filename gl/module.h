#pragma once
// Owner of one reference to a loaded library: frees it when it goes.
#include <windows.h>

#include <utility>

class SglModule {
 public:
  SglModule() = default;
  explicit SglModule(HMODULE handle) : handle_(handle) {}
  ~SglModule() { reset(); }
  SglModule(const SglModule&) = delete;
  SglModule& operator=(const SglModule&) = delete;
  SglModule(SglModule&& other) noexcept : handle_(other.release()) {}
  SglModule& operator=(SglModule&& other) noexcept {
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
  SglModule AddRef() const {
    HMODULE again = nullptr;
    if (handle_ && !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                       reinterpret_cast<LPCSTR>(handle_), &again))
      again = nullptr;
    return SglModule(again);
  }

 private:
  HMODULE handle_ = nullptr;
};
