#include "values_test_support.h"

#include <gtest/gtest.h>

namespace values_testing {

namespace {
const char* const kScratch = "Software\\Vantrel\\ValuesTest";
void DeleteTree(const std::string& path) {
  // RegDeleteTree is not in the 2000 API level; delete depth first.
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char name[256];
  for (;;) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteTree(path + "\\" + name);
  }
  RegCloseKey(key);
  RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}
}  // namespace

ScratchKey::ScratchKey() : path_(kScratch) { DeleteTree(path_); }
ScratchKey::~ScratchKey() { DeleteTree(path_); }

void ScratchKey::PutRaw(const std::string& entry, DWORD type, const void* data, DWORD size) const {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                           &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, entry.c_str(), 0, type, static_cast<const BYTE*>(data), size));
  RegCloseKey(key);
}

bool ScratchKey::Get(const std::string& entry, DWORD& type, std::string& bytes) const {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = RegQueryValueExA(key, entry.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    bytes.assign(size, '\0');
    ok = RegQueryValueExA(key, entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
         ERROR_SUCCESS;
    bytes.resize(size);
  }
  RegCloseKey(key);
  return ok;
}

std::string ScratchKey::Text(const std::string& entry) const {
  DWORD type = 0;
  std::string bytes;
  if (!Get(entry, type, bytes)) return "<missing>";
  if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
  return bytes.substr(0, bytes.find('\0'));
}

DWORD ScratchKey::Number(const std::string& entry) const {
  DWORD type = 0;
  std::string bytes;
  if (!Get(entry, type, bytes) || type != REG_DWORD || bytes.size() != 4) return 0xDEADBEEF;
  DWORD n;
  memcpy(&n, bytes.data(), 4);
  return n;
}

bool ScratchKey::Has(const std::string& entry) const {
  DWORD type;
  std::string bytes;
  return Get(entry, type, bytes);
}

}  // namespace values_testing
