#include "windows.h"

#include <QCoreApplication>

#include "analysis_window.h"
#include "simulation/display_settings.h"
#include "experiment_window.h"
#include "group_sizes_window.h"
#include "growth_window.h"
#include "main_window.h"
#include "parameter_space_window.h"
#include "simulation/street_controls.h"
#include "stability_window.h"
#include "streets_window.h"
#include "surface_window.h"
#include "tolerance_window.h"
#include "world_panel.h"

namespace ui {

Windows::Windows(MessageSink sink, simulation::Simulation::SeedSource seeds) : sink_(std::move(sink)) {
  // The main window's creation: its world, the picture it paints into and
  // the first set-up, which paints the world.
  sim_ = std::make_unique<simulation::Simulation>(std::move(seeds));
  image_ = std::make_unique<display::WorldImage>(sim_->world, simulation::ShowRentLandscape(sim_->controls));
  sim_->SetPainter(image_.get());
  sim_->SetReporter([this](const world::UserError& e) {
    if (sink_) sink_(main_.get(), QString::fromStdString(e.Caption()), QString::fromUtf8(e.what()));
  });
  image_->RepaintWorld();
  editor_ = std::make_unique<streets::StreetEditor>(sim_->world, simulation::StreetEditorHooks(sim_->world, sim_->controls));
  main_ = std::make_unique<MainWindow>(*sim_, *image_, *editor_, &sink_);
  all_.push_back(main_.get());

  auto add = [this](QWidget* w) {
    others_.emplace_back(w);
    all_.push_back(w);
    return w;
  };
  // The experiments move the main window's world: its panel catches up.
  const auto repaint = [main = main_.get()] { main->panel()->requestRepaint(); };
  auto experiment = [&](ExperimentWindow* w) {
    w->setWorldChanged(repaint);
    return w;
  };
  // The stability experiment fills the surface that the 3-D window shows.
  auto landscape = std::make_shared<experiments::StabilitySurface>();
  OtherWindows links;
  auto* analysis = new AnalysisWindow(*sim_);
  auto* parameterSpace = new ParameterSpaceWindow(*sim_, &sink_);
  auto* growth = new GrowthWindow(*sim_, &sink_);
  auto* streets = new StreetsWindow(*sim_, &sink_);
  auto* stability = new StabilityWindow(*sim_, landscape, &sink_);
  links.Analysis = add(analysis);
  links.ParameterSpace = add(experiment(parameterSpace));
  links.Growth = add(experiment(growth));
  links.Streets = add(experiment(streets));
  links.Stability = add(experiment(stability));
  auto* surface = new SurfaceWindow(landscape);
  add(surface);
  stability->setSurfaceWindow(surface);
  links.Tolerance = add(new ToleranceWindow(*sim_));
  links.GroupSizes = add(new GroupSizesWindow(*sim_));
  main_->setOtherWindows(links);

  // SaveWindows: every window's picture, and the surface's points.
  auto saver = std::make_shared<exporting::WindowSaver>(
      [&controls = sim_->controls] { return simulation::SaveChoiceOf(controls); },
      QCoreApplication::applicationDirPath().toStdString());
  using W = exporting::SavedWindowId;
  saver->SetWindow(W::Main, [main = main_.get()] { return WindowPicture(*main); });
  saver->SetWindow(W::Analysis, [analysis] {
    analysis->refresh();
    return WindowPicture(*analysis);
  });
  saver->SetWindow(W::ParameterSpace, [parameterSpace] { return parameterSpace->picture(); });
  saver->SetWindow(W::Growth, [growth] { return growth->picture(); });
  saver->SetWindow(W::Streets, [streets] { return streets->picture(); });
  saver->SetWindow(W::Stability, [stability] { return stability->picture(); });
  saver->SetWindow(W::Surface, [surface] { return surface->picture(); });
  saver->SetSurface([surfaceData = landscape.get()] { return surfaceData->SurfacePoints(); });
  stability->setSaver(saver);
}

Windows::~Windows() {
  // The windows go before the world they show.
  others_.clear();
  main_.reset();
  sim_->SetPainter(nullptr);
  sim_->SetReporter({});
}

}  // namespace ui
