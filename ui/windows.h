#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "simulation/simulation.h"
#include "display/world_image.h"
#include "forms.h"
#include "message_box.h"
#include "streets/editing.h"

namespace ui {

class MainWindow;

// The program's nine windows over the one world, created in the order the
// program starts them: main window, analysis, parameter space, growth,
// streets, stability, 3-D surface, individual tolerance, group sizes.
class Windows {
 public:
  explicit Windows(MessageSink sink = ModalMessageBox(), simulation::Simulation::SeedSource seeds = {});
  ~Windows();

  simulation::Simulation& sim() { return *sim_; }
  MainWindow& main() { return *main_; }
  // Every window, in creation order.
  const std::vector<QWidget*>& all() const { return all_; }
  void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }

 private:
  MessageSink sink_;
  std::unique_ptr<simulation::Simulation> sim_;
  std::unique_ptr<display::WorldImage> image_;
  std::unique_ptr<streets::StreetEditor> editor_;
  std::unique_ptr<MainWindow> main_;
  std::vector<std::unique_ptr<QWidget>> others_;
  std::vector<QWidget*> all_;
};

}  // namespace ui
