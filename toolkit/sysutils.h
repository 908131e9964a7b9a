#pragma once
// Exceptions, number conversions and text helpers shared by the whole toolkit.
#include <cstdint>
#include <exception>
#include <string>

// Base of every error the toolkit raises; `Message()` is the text shown to a
// person or written to the trace.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Sets a flag for the life of a scope and puts the old value back.
class TFlagScope {
 public:
  TFlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
  ~TFlagScope() { flag_ = old_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};

// Text that is not a number, and assignment between unrelated types.
class EConvertError : public Exception {
  using Exception::Exception;
};
// An index outside a list, string list or collection.
class EListError : public Exception {
  using Exception::Exception;
};
// Misuse of a component: bad or duplicate name, bad class for an owner.
class EComponentError : public Exception {
  using Exception::Exception;
};
// An operation that is not allowed in the object's current state.
class EInvalidOperation : public Exception {
  using Exception::Exception;
};
// Failures of form-resource streaming and of the class registry.
class EFilerError : public Exception {
  using Exception::Exception;
};
class EClassNotFound : public EFilerError {
  using EFilerError::EFilerError;
};
class EResNotFound : public Exception {
  using Exception::Exception;
};

// ---- Integers ------------------------------------------------------------

// Decimal, or hexadecimal after '$' or "0x", with an optional sign and leading
// blanks. Anything else, or a value outside 32 bits, raises EConvertError.
// Hexadecimal up to $FFFFFFFF wraps into the negative range.
std::int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, std::int32_t& value);
std::int32_t StrToIntDef(const std::string& text, std::int32_t fallback);
std::string IntToStr(std::int64_t value);

// ---- Reals -----------------------------------------------------------------

// The user's decimal separator, read from the locale at start-up.
// `RefreshFormatSettings` reads it again (after the user changed it).
char DecimalSeparator();
void SetDecimalSeparator(char separator);
void RefreshFormatSettings();

// Optional sign, digits with at most one DecimalSeparator, optional exponent;
// blanks around are allowed. A '.' is not accepted where the user's separator
// is something else. Raises EConvertError.
double StrToFloat(const std::string& text);
bool TryStrToFloat(const std::string& text, double& value);
// The same with '.' as the separator, whatever the locale (form resources).
bool TryStrToFloatInvariant(const std::string& text, double& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed };
// General format: the shortest of fixed and scientific notation with
// `precision` significant digits, no trailing zeros, at least `digits` digits
// of exponent. Only ffGeneral is used by this program; the other formats are
// given with `digits` decimals.
std::string FloatToStrF(double value, TFloatFormat format, int precision, int digits);
std::string FloatToStr(double value);  // ffGeneral, 15 digits

// ---- Text ----------------------------------------------------------------

// Case mapping by the user's locale.
std::string AnsiLowerCase(const std::string& text);
std::string AnsiUpperCase(const std::string& text);
// Locale-aware comparison ignoring case (<0, 0, >0).
int AnsiCompareText(const std::string& a, const std::string& b);
// Comparison of identifiers: ASCII only, ignoring case.
bool SameText(const std::string& a, const std::string& b);
std::string Trim(const std::string& text);

// File names: the directory separators are '\', '/' and the drive colon.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // with its trailing separator
std::string ExtractFileExt(const std::string& path);   // with its dot
std::string ChangeFileExt(const std::string& path, const std::string& extension);
bool FileExists(const std::string& path);  // an existing file, not a folder

// ---- Platform ------------------------------------------------------------

// True when running under Wine (ntdll.dll exports "wine_get_version"): the
// few places that work around Wine's ways ask this.
bool HostIsWine();
