#include "convert.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "rounding.h"

namespace world {

UserError MissingValue(const std::string& text) {
  return UserError(std::string(kMissingValue), text);
}

UserError NotAnInteger(std::string_view text) {
  return UserError(std::string(kProgramTitle),
                   "'" + std::string(text) + "' ist kein gültiger Integerwert");
}

UserError NotAFloat(std::string_view text) {
  return UserError(std::string(kProgramTitle),
                   "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
}

namespace {

bool ParseInt(std::string_view text, int& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  long long value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return false;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) return false;
  out = static_cast<int>(value);
  return true;
}

bool ParseFloat(std::string_view text, double& out) {
  // Validate the shape first, then hand a dot version to strtod.
  std::string buffer;
  buffer.reserve(text.size());
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) buffer += text[i++];
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    buffer += text[i++];
    ++digits;
  }
  if (i < text.size() && text[i] == ',') {
    buffer += '.';
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      buffer += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    buffer += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) buffer += text[i++];
    std::size_t expDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      buffer += text[i++];
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  if (i != text.size()) return false;
  errno = 0;
  const double value = std::strtod(buffer.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value)) return false;
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

}  // namespace

int StrToInt(std::string_view text) {
  int value = 0;
  if (!ParseInt(text, value)) throw NotAnInteger(text);
  return value;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  if (!ParseFloat(text, value)) throw NotAFloat(text);
  return value;
}

bool IsInteger(std::string_view text) {
  int value = 0;
  return ParseInt(text, value);
}

bool IsFloat(std::string_view text) {
  double value = 0;
  return ParseFloat(text, value);
}

namespace {

std::string GeneralFormat(double value, char separator) {
  if (value == 0) value = 0;  // no "-0"
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text(buffer);
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

}  // namespace

std::string FloatToText(double value) { return GeneralFormat(value, ','); }

std::string FormatTwoDecimals(double value, char separator) {
  const double hundredths = RoundHalfEven(value / 0.01);
  // Tables of many groups write this for every pair in every step. Below a
  // billion hundredths the general format of hundredths * 0.01 is exactly the
  // decimal hundredths / 100 with trailing zeros dropped (the product is off
  // by far less than half a unit of the 15th digit), so write that directly.
  if (std::fabs(hundredths) < 1e9) {
    const auto n = static_cast<long long>(std::fabs(hundredths));
    char buffer[24];
    char* end = buffer + sizeof buffer;
    char* p = end;
    const int fraction = static_cast<int>(n % 100);
    if (fraction != 0) {
      if (fraction % 10 != 0) *--p = static_cast<char>('0' + fraction % 10);
      *--p = static_cast<char>('0' + fraction / 10);
      *--p = separator;
    }
    long long whole = n / 100;
    do {
      *--p = static_cast<char>('0' + whole % 10);
      whole /= 10;
    } while (whole != 0);
    if (hundredths < 0) *--p = '-';
    return std::string(p, end);
  }
  return GeneralFormat(hundredths * 0.01, separator);
}

std::string IntToText(long long value) { return std::to_string(value); }

}  // namespace world
