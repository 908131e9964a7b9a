#pragma once
// Settings in the current user's registry hive: an owning key handle, the
// four read and write operations the values use, and the path template.
//
// Reads fail quietly (missing key or entry, data of another type or size)
// and writes ignore errors: a value then keeps or falls back to its default.
#include <windows.h>

#include <cstdint>
#include <string>

namespace scrreg {

// An open registry key, closed when it goes. Movable, not copyable.
class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(HKEY key) : key_(key) {}
  ~RegKey() { Close(); }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept : key_(other.Release()) {}
  RegKey& operator=(RegKey&& other) noexcept;

  // An existing key of HKEY_CURRENT_USER with full access; empty on failure.
  static RegKey Open(const std::string& path);
  // The key, created when missing, with full access; empty on failure.
  static RegKey Create(const std::string& path);

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }
  HKEY Release() {
    HKEY k = key_;
    key_ = nullptr;
    return k;
  }
  LONG Close();

 private:
  HKEY key_ = nullptr;
};

// A value's location: the key and the entry name of an expanded path.
struct Location {
  std::string key;
  std::string entry;
};
// Splits at the last backslash; a path without one is both key and entry.
Location SplitPath(const std::string& path);

// A REG_DWORD (or four bytes of REG_BINARY) at `path`.
bool ReadNumber(const std::string& path, std::int32_t& value);
void WriteNumber(const std::string& path, std::int32_t value);
// A REG_SZ or REG_EXPAND_SZ (not expanded) at `path`, up to its first zero.
bool ReadText(const std::string& path, std::string& value);
// Written as REG_SZ up to the text's first zero character.
void WriteText(const std::string& path, const std::string& value);

// Replaces the first "<project>" and then the first "<name>" (any letter
// case) of `pathTemplate` by `title` and `name`.
std::string ExpandPath(const std::string& pathTemplate, const std::string& title, const std::string& name);

// The program's default title: its file name without folder and without
// anything from the first dot on, first letter kept, the rest lower case.
std::string ApplicationTitle();
std::string TitleFromModuleName(const std::string& path);

}  // namespace scrreg
