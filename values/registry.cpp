#include "values/registry.h"

#include <vector>

#include "toolkit/sysutils.h"

namespace scrreg {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = other.Release();
  }
  return *this;
}

LONG RegKey::Close() {
  if (!key_) return ERROR_SUCCESS;
  LONG result = RegCloseKey(key_);
  key_ = nullptr;
  return result;
}

RegKey RegKey::Open(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return RegKey();
  return RegKey(key);
}

RegKey RegKey::Create(const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return RegKey();
  return RegKey(key);
}

Location SplitPath(const std::string& path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {path, path};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

bool ReadNumber(const std::string& path, std::int32_t& value) {
  const Location at = SplitPath(path);
  RegKey key = RegKey::Open(at.key);
  if (!key) return false;
  DWORD type = 0;
  DWORD number = 0;
  DWORD size = sizeof number;
  if (RegQueryValueExA(key.get(), at.entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) !=
      ERROR_SUCCESS)
    return false;
  // Text, or fewer bytes, would read as a number nobody wrote.
  if (size != sizeof number || (type != REG_DWORD && type != REG_BINARY)) return false;
  value = static_cast<std::int32_t>(number);
  return true;
}

void WriteNumber(const std::string& path, std::int32_t value) {
  const Location at = SplitPath(path);
  RegKey key = RegKey::Create(at.key);
  if (!key) return;
  const DWORD number = static_cast<DWORD>(value);
  RegSetValueExA(key.get(), at.entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

bool ReadText(const std::string& path, std::string& value) {
  const Location at = SplitPath(path);
  RegKey key = RegKey::Open(at.key);
  if (!key) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), at.entry.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
  if (RegQueryValueExA(key.get(), at.entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  value.assign(buffer.data());  // up to the first zero byte
  return true;
}

void WriteText(const std::string& path, const std::string& value) {
  const Location at = SplitPath(path);
  RegKey key = RegKey::Create(at.key);
  if (!key) return;
  const char* text = value.c_str();
  RegSetValueExA(key.get(), at.entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(std::char_traits<char>::length(text) + 1));
}

namespace {
std::string ReplaceFirstToken(const std::string& text, const std::string& token, const std::string& by) {
  const size_t p = AnsiLowerCase(text).find(token);
  if (p == std::string::npos) return text;
  return text.substr(0, p) + by + text.substr(p + token.size());
}
}  // namespace

std::string ExpandPath(const std::string& pathTemplate, const std::string& title, const std::string& name) {
  return ReplaceFirstToken(ReplaceFirstToken(pathTemplate, "<project>", title), "<name>", name);
}

std::string TitleFromModuleName(const std::string& path) {
  std::string title = ExtractFileName(path);
  title = title.substr(0, title.find('.'));
  if (title.size() > 1) title = title.substr(0, 1) + AnsiLowerCase(title.substr(1));
  return title;
}

std::string ApplicationTitle() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return TitleFromModuleName(path);
}

}  // namespace scrreg
