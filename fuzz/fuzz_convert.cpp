// The number parsers and formatters: any text either parses or is refused
// with the conversion message; what parses formats and parses back.
#include <cmath>
#include <cstdlib>
#include <string>

#include "world/convert.h"
#include "world/rounding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A message is a C string: compare it only for texts without a NUL.
  const bool comparable = text.find('\0') == std::string::npos;
  try {
    const int value = world::StrToInt(text);
    if (!world::IsInteger(text) || world::StrToInt(world::IntToText(value)) != value) std::abort();
  } catch (const world::UserError& e) {
    if (world::IsInteger(text)) std::abort();
    if (comparable && std::string(e.what()) != "'" + text + "' ist kein gültiger Integerwert") std::abort();
  }
  try {
    const double value = world::StrToFloat(text);
    if (!std::isfinite(value)) std::abort();
    const double back = world::StrToFloat(world::FloatToText(value));
    if (std::fabs(back - value) > 1e-13 * std::fabs(value)) std::abort();
    (void)world::FormatTwoDecimals(value);
    (void)world::Round(value);
  } catch (const world::UserError& e) {
    if (world::IsFloat(text)) std::abort();
    if (comparable && std::string(e.what()) != "'" + text + "' ist kein gültiger Gleitkommawert") std::abort();
  }
  return 0;
}
