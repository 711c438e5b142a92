#include "measures/chart_values.h"

#include <cmath>

namespace measures {

std::string FormatValue(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const double tenths = std::round(std::fabs(value) * 10.0);
  const bool negative = value < 0 && tenths > 0;
  const auto whole = static_cast<long long>(tenths / 10.0);
  const int fraction = static_cast<int>(tenths - static_cast<double>(whole) * 10.0);
  const std::string digits = std::to_string(whole);
  std::string grouped = negative ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  if (fraction != 0) {
    grouped += '.';
    grouped += static_cast<char>('0' + fraction);
  }
  return grouped;
}

}  // namespace measures
