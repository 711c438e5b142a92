#pragma once

#include <string>

// How the charts write their values.
namespace measures {

// A value as the charts label it: thousands grouped, at most one decimal,
// no trailing zero ("#,##0.#"): 1234.56 -> "1,234.6", 2 -> "2", -0.04 -> "0".
// Infinities and NaN read "inf", "-inf" and "nan".
std::string FormatValue(double value);

}  // namespace measures
