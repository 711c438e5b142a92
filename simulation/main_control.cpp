#include "main_control.h"

#include <array>

namespace simulation {

namespace {

constexpr std::array<std::string_view, kMainControlCount> kNames{
#define VICINARA_NAME(id, name) name,
    VICINARA_MAIN_CONTROLS(VICINARA_NAME)
#undef VICINARA_NAME
};

}  // namespace

std::string_view NameOf(MainControl control) { return kNames[static_cast<std::size_t>(control)]; }

std::span<const std::string_view> HandleTableOf(MainControl) { return kNames; }

std::optional<MainControl> FindMainControl(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) return static_cast<MainControl>(i);
  }
  return std::nullopt;
}

}  // namespace simulation
