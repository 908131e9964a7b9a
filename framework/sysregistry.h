#pragma once
// The screen-saver settings every saver of the user shares with the
// operating system, and the careful way this program touches them: it reads
// numbers only from entries of the system's own number types, never changes
// the type of an entry another program wrote, and creates only what is
// missing.
#include <windows.h>

#include <cstdint>
#include <string>

// Both keys are under HKEY_CURRENT_USER.
extern const char* const kScreenSaverKey;  // "Software\Microsoft\Windows\CurrentVersion\Screen Savers"
extern const char* const kDesktopKey;      // "Control Panel\Desktop"

// An open key of HKEY_CURRENT_USER, closed when it goes. Movable, not copyable.
class TSysKey {
 public:
  TSysKey() = default;
  ~TSysKey() { Close(); }
  TSysKey(const TSysKey&) = delete;
  TSysKey& operator=(const TSysKey&) = delete;
  TSysKey(TSysKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  TSysKey& operator=(TSysKey&& other) noexcept;

  // The existing key, with full access; ERROR_SUCCESS or why not.
  LONG Open(const char* path);
  // The key, created when missing, with full access.
  LONG Create(const char* path);
  // ERROR_SUCCESS also when nothing was open.
  LONG Close();

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// A number stored the way the system stores one: a REG_DWORD, or exactly
// four bytes of REG_BINARY. Answers ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for
// a missing entry, or another error (ERROR_INVALID_DATA for an entry of a
// different type or size, which is then someone else's and not a number).
LONG ReadSysNumber(HKEY key, const char* entry, DWORD& number, DWORD* type = nullptr);

// Writes a shared entry. A missing entry is created as REG_DWORD (REG_SZ for
// text); an existing one keeps its type, and one of a type that cannot hold
// the setting is left alone. Errors are ignored: the setting stays in memory.
void WriteSysNumber(const char* keyPath, const char* entry, std::int32_t number);
void WriteSysText(const char* keyPath, const char* entry, const std::string& text);

// Creates the screen-saver key and those of its entries that are missing:
// "Password Delay" 30, "Password Delay Index" 0, "Mouse Threshold" 100,
// "Mouse Threshold Index" 1, "Mouse Corners" "----", "Mute Sound" 0,
// "Active Config" 0. A stored index beyond its choices ("Password Delay
// Index" above 1, "Mouse Threshold Index" above 3) is set back to 0 or 1 in
// its own type. Nothing else is written: an entry of another program's type
// or length stays as it is, and the readers take their defaults for it.
// Answers the error of creating the key, or of closing it (0 on success).
LONG InitialiseRegistry();
