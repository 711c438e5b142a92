#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace world {

// Bad input is not a bug: every refusal the user sees is this one error type.
// what() is the exact sentence shown; Caption() the title of its message box.
class UserError : public std::runtime_error {
 public:
  UserError(std::string caption, const std::string& text)
      : std::runtime_error(text), caption_(std::move(caption)) {}
  const std::string& Caption() const { return caption_; }

 private:
  std::string caption_;
};

// Caption of the program's own validation messages.
inline constexpr std::string_view kMissingValue = "missing value";
// Caption of the number parser's conversion messages.
inline constexpr std::string_view kProgramTitle = "Vicinara";

UserError MissingValue(const std::string& text);
UserError NotAnInteger(std::string_view text);
UserError NotAFloat(std::string_view text);

// Strict 32-bit integer: an optional sign and at least one digit, nothing else.
// Throws UserError "'%s' ist kein gültiger Integerwert".
int StrToInt(std::string_view text);

// Decimal number with a comma as decimal separator ("-1,00", "+1,00", "0,33"),
// optionally with an exponent ("1,5E3"). Throws UserError
// "'%s' ist kein gültiger Gleitkommawert".
double StrToFloat(std::string_view text);

// True when the text parses with StrToInt / StrToFloat.
bool IsInteger(std::string_view text);
bool IsFloat(std::string_view text);

// General format with a decimal comma: shortest of 15 significant digits, no
// trailing zeros, no exponent for ordinary sizes ("-0,6", "1", "0,2").
std::string FloatToText(double value);

// The value rounded to two decimals (halves to even), in general format with
// the given decimal separator: 33.3333 -> "33,33", 12.5 -> "12,5", 0 -> "0".
std::string FormatTwoDecimals(double value, char separator = ',');

// Plain decimal integer.
std::string IntToText(long long value);

}  // namespace world
