#include "experiment_windows.h"

#include "growth_window.h"
#include "parameter_space_window.h"
#include "stability_window.h"
#include "streets_window.h"

namespace ui {

std::unique_ptr<ExperimentWindow> MakeExperimentWindow(experiments::ExperimentKind kind, simulation::Simulation& sim,
                                                       std::shared_ptr<experiments::StabilitySurface> landscape,
                                                       MessageSink* sink) {
  switch (kind) {
    case experiments::ExperimentKind::Parameterspace:
      return std::make_unique<ParameterSpaceWindow>(sim, sink);
    case experiments::ExperimentKind::Growth:
      return std::make_unique<GrowthWindow>(sim, sink);
    case experiments::ExperimentKind::Streets:
      return std::make_unique<StreetsWindow>(sim, sink);
    case experiments::ExperimentKind::Stability:
      return std::make_unique<StabilityWindow>(sim, std::move(landscape), sink);
  }
  return nullptr;
}

}  // namespace ui
