#include "framework/sysregistry.h"

#include <climits>

const char* const kScreenSaverKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
const char* const kDesktopKey = "Control Panel\\Desktop";

TSysKey& TSysKey::operator=(TSysKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = other.key_;
    other.key_ = nullptr;
  }
  return *this;
}

LONG TSysKey::Open(const char* path) {
  Close();
  const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key_);
  if (rc != ERROR_SUCCESS) key_ = nullptr;
  return rc;
}

LONG TSysKey::Create(const char* path) {
  Close();
  const LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr);
  if (rc != ERROR_SUCCESS) key_ = nullptr;
  return rc;
}

LONG TSysKey::Close() {
  if (!key_) return ERROR_SUCCESS;
  const LONG rc = RegCloseKey(key_);
  key_ = nullptr;
  return rc;
}

LONG ReadSysNumber(HKEY key, const char* entry, DWORD& number, DWORD* typeOut) {
  DWORD type = 0;
  DWORD read = 0;
  DWORD size = sizeof read;
  const LONG rc = RegQueryValueExA(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size);
  if (typeOut) *typeOut = type;
  if (rc != ERROR_SUCCESS) return rc;
  // Text of up to three characters would fit the buffer and read as a
  // number nobody wrote.
  if (size != sizeof read || (type != REG_DWORD && type != REG_BINARY)) return ERROR_INVALID_DATA;
  number = read;
  return ERROR_SUCCESS;
}

namespace {

// The type to write `entry` in: its own when it is one of `accepted`, the
// first of them when it is missing, 0 (leave it) otherwise.
DWORD TypeToWrite(HKEY key, const char* entry, DWORD preferred, DWORD other, DWORD otherSize) {
  DWORD type = 0;
  DWORD size = 0;
  const LONG rc = RegQueryValueExA(key, entry, nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return preferred;
  if (rc != ERROR_SUCCESS) return 0;
  if (type == preferred) return type;
  if (type == other && (otherSize == 0 || size == otherSize)) return type;
  return 0;
}

void PutNumber(HKEY key, const char* entry, DWORD type, DWORD number) {
  RegSetValueExA(key, entry, 0, type, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

}  // namespace

void WriteSysNumber(const char* keyPath, const char* entry, std::int32_t number) {
  TSysKey key;
  if (key.Create(keyPath) != ERROR_SUCCESS) return;
  if (DWORD type = TypeToWrite(key.get(), entry, REG_DWORD, REG_BINARY, sizeof(DWORD)))
    PutNumber(key.get(), entry, type, static_cast<DWORD>(number));
}

void WriteSysText(const char* keyPath, const char* entry, const std::string& text) {
  TSysKey key;
  if (key.Create(keyPath) != ERROR_SUCCESS) return;
  const DWORD type = TypeToWrite(key.get(), entry, REG_SZ, REG_EXPAND_SZ, 0);
  if (!type) return;
  const char* data = text.c_str();  // up to the first zero, which is written too
  RegSetValueExA(key.get(), entry, 0, type, reinterpret_cast<const BYTE*>(data),
                 static_cast<DWORD>(std::char_traits<char>::length(data) + 1));
}

LONG InitialiseRegistry() {
  TSysKey key;
  if (const LONG rc = key.Create(kScreenSaverKey); rc != ERROR_SUCCESS) return rc;

  struct Entry {
    const char* name;
    DWORD initial;
    DWORD largest;  // a stored number above it is set back to `initial`
    bool text;
  };
  static const Entry kEntries[] = {
      {"Password Delay", 30, ULONG_MAX, false},     {"Password Delay Index", 0, 1, false},
      {"Mouse Threshold", 100, ULONG_MAX, false},   {"Mouse Threshold Index", 1, 3, false},
      {"Mouse Corners", 0, 0, true},                {"Mute Sound", 0, ULONG_MAX, false},
      {"Active Config", 0, ULONG_MAX, false},
  };
  for (const Entry& e : kEntries) {
    if (e.text) {
      DWORD size = 0;
      if (RegQueryValueExA(key.get(), e.name, nullptr, nullptr, nullptr, &size) == ERROR_FILE_NOT_FOUND)
        RegSetValueExA(key.get(), e.name, 0, REG_SZ, reinterpret_cast<const BYTE*>("----"), 5);
      continue;
    }
    DWORD number = 0;
    DWORD type = 0;
    const LONG rc = ReadSysNumber(key.get(), e.name, number, &type);
    if (rc == ERROR_FILE_NOT_FOUND)
      PutNumber(key.get(), e.name, REG_DWORD, e.initial);
    else if (rc == ERROR_SUCCESS && number > e.largest)
      PutNumber(key.get(), e.name, type, e.initial);
  }
  return key.Close();
}
