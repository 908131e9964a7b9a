#include "toolkit/sysutils.h"

#include <windows.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>
#include <vector>

namespace {

char ReadLocaleDecimalSeparator() {
  char buf[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) > 0 && buf[0])
    return buf[0];
  return '.';
}

char& DecimalSeparatorSlot() {
  static char separator = ReadLocaleDecimalSeparator();
  return separator;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Checks the shape [sign] digits [sep digits] [e [sign] digits] with blanks
// around, and returns the same number with '.' as separator for parsing.
bool NormaliseFloatText(const std::string& text, char separator, std::string& out) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (n > i && IsBlank(text[n - 1])) --n;
  out.clear();
  if (i < n && (text[i] == '+' || text[i] == '-')) out += text[i++];
  size_t mantissaDigits = 0;
  while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) out += text[i++], ++mantissaDigits;
  if (i < n && text[i] == separator) {
    out += '.';
    ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) out += text[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) out += text[i++];
    size_t expDigits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) out += text[i++], ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == n;
}

bool ParseNormalisedFloat(const std::string& text, double& value) {
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double v = 0;
  in >> v;
  if (in.fail() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

}  // namespace

// ---- Integers ----------------------------------------------------------------

bool TryStrToInt(const std::string& text, std::int32_t& value) {
  size_t i = 0, n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  std::uint64_t magnitude = 0;
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (std::isdigit(c)) digit = c - '0';
    else if (base == 16 && std::isxdigit(c)) digit = std::tolower(c) - 'a' + 10;
    else return false;
    magnitude = magnitude * base + digit;
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  std::int64_t result;
  if (base == 16) {
    // Hexadecimal is a bit pattern: $FFFFFFFF is -1.
    result = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    if (negative) result = -result;
    if (result > std::numeric_limits<std::int32_t>::max()) return false;
  } else {
    result = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (result < std::numeric_limits<std::int32_t>::min() || result > std::numeric_limits<std::int32_t>::max())
      return false;
  }
  value = static_cast<std::int32_t>(result);
  return true;
}

std::int32_t StrToInt(const std::string& text) {
  std::int32_t v;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + text + "' is not a valid integer value");
  return v;
}

std::int32_t StrToIntDef(const std::string& text, std::int32_t fallback) {
  std::int32_t v;
  return TryStrToInt(text, v) ? v : fallback;
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

// ---- Reals -------------------------------------------------------------------

char DecimalSeparator() { return DecimalSeparatorSlot(); }
void SetDecimalSeparator(char separator) { DecimalSeparatorSlot() = separator; }
void RefreshFormatSettings() { DecimalSeparatorSlot() = ReadLocaleDecimalSeparator(); }

bool TryStrToFloat(const std::string& text, double& value) {
  std::string normal;
  return NormaliseFloatText(text, DecimalSeparator(), normal) && ParseNormalisedFloat(normal, value);
}

bool TryStrToFloatInvariant(const std::string& text, double& value) {
  std::string normal;
  return NormaliseFloatText(text, '.', normal) && ParseNormalisedFloat(normal, value);
}

double StrToFloat(const std::string& text) {
  double v;
  if (!TryStrToFloat(text, v)) throw EConvertError("'" + text + "' is not a valid floating point value");
  return v;
}

std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  const char sep = DecimalSeparator();
  char buf[512];

  if (format == ffFixed || format == ffExponent) {
    if (digits < 0) digits = 0;
    if (digits > 18) digits = 18;
    std::snprintf(buf, sizeof buf, format == ffFixed ? "%.*f" : "%.*E", format == ffFixed ? digits : precision - 1,
                  value);
    std::string s = buf;
    for (char& c : s)
      if (c == '.') c = sep;
    return s;
  }

  // General: round to `precision` significant digits first.
  std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
  std::string s = buf;  // [-]d.ddde[+-]xx
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  std::string mantissa;
  for (size_t i = 0; i < e; ++i)
    if (s[i] != '.') mantissa += s[i];
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  if (mantissa == "0") return "0";

  std::string out = negative ? "-" : "";
  if (exponent < precision && std::fabs(value) >= 0.00001) {
    if (exponent < 0) {
      out += '0';
      out += sep;
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += mantissa;
    } else {
      std::string whole = mantissa.substr(0, std::min(mantissa.size(), static_cast<size_t>(exponent + 1)));
      whole.append(static_cast<size_t>(exponent + 1) - whole.size(), '0');
      out += whole;
      if (mantissa.size() > static_cast<size_t>(exponent + 1)) {
        out += sep;
        out += mantissa.substr(static_cast<size_t>(exponent + 1));
      }
    }
    return out;
  }
  out += mantissa[0];
  if (mantissa.size() > 1) {
    out += sep;
    out += mantissa.substr(1);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  std::string exp = std::to_string(std::abs(exponent));
  if (static_cast<int>(exp.size()) < digits) exp.insert(0, static_cast<size_t>(digits) - exp.size(), '0');
  return out + exp;
}

std::string FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

// ---- Text --------------------------------------------------------------------

std::string AnsiLowerCase(const std::string& text) {
  std::string s = text;
  if (!s.empty()) CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

std::string AnsiUpperCase(const std::string& text) {
  std::string s = text;
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                         static_cast<int>(b.size()));
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::string ExtractFileName(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathDelimiter(path[i - 1])) --i;
  return path.substr(i);
}

std::string ExtractFilePath(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathDelimiter(path[i - 1])) --i;
  return path.substr(0, i);
}

std::string ExtractFileExt(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathDelimiter(path[i - 1])) {
    if (path[i - 1] == '.') return path.substr(i - 1);
    --i;
  }
  return "";
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  return path.substr(0, path.size() - ExtractFileExt(path).size()) + extension;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool HostIsWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
