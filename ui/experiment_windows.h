#pragma once

#include <memory>

#include "experiment_window.h"
#include "experiments/experiment.h"
#include "experiments/stability_surface.h"
#include "simulation/simulation.h"

namespace ui {

// The window of each batch experiment, made over a world: the one place that
// pairs an experiment with its window. The stability window shares the
// surface with the 3-D window; the others do not use it. Null for an
// experiment without a window.
std::unique_ptr<ExperimentWindow> MakeExperimentWindow(experiments::ExperimentKind kind, simulation::Simulation& sim,
                                                       std::shared_ptr<experiments::StabilitySurface> landscape,
                                                       MessageSink* sink);

}  // namespace ui
