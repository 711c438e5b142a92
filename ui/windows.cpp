#include "windows.h"

#include "Analyse.h"
#include "CellForm.h"
#include "GroupSizes.h"
#include "ToleranZ.h"

namespace ui {

Windows::Windows(MessageSink sink, simulation::Simulation::SeedSource seeds) : sink_(std::move(sink)) {
  // The main window's creation: its world, the picture it paints into and
  // the first set-up, which paints the world.
  sim_ = std::make_unique<simulation::Simulation>(std::move(seeds));
  image_ = std::make_unique<display::WorldImage>(sim_->world, sim_->controls);
  sim_->SetPainter(image_.get());
  sim_->SetReporter([this](const world::UserError& e) {
    if (sink_) sink_(main_.get(), QString::fromStdString(e.Caption()), QString::fromUtf8(e.what()));
  });
  image_->RepaintWorld();
  editor_ = std::make_unique<streets::StreetEditor>(sim_->world, sim_->controls);
  main_ = std::make_unique<TForm1>(*sim_, *image_, *editor_, &sink_);
  all_.push_back(main_.get());

  auto add = [this](QWidget* w) {
    others_.emplace_back(w);
    all_.push_back(w);
    return w;
  };
  OtherWindows links;
  links.Analysis = add(new TForm2(*sim_));
  links.ParameterSpace = add(new TForm3);
  links.Growth = add(new TForm4);
  links.Streets = add(new TForm5);
  links.Stability = add(new TForm6);
  add(new TForm7);
  links.Tolerance = add(new TForm8(*sim_));
  links.GroupSizes = add(new TForm9(*sim_));
  main_->setOtherWindows(links);
}

Windows::~Windows() {
  // The windows go before the world they show.
  others_.clear();
  main_.reset();
  sim_->SetPainter(nullptr);
  sim_->SetReporter({});
}

}  // namespace ui
