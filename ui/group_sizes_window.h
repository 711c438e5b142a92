#pragma once

#include <QTimer>
#include <vector>

#include "simulation/simulation.h"
#include "world/group_shares.h"
#include "forms.h"

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;

namespace ui {

// The group sizes window "Group Sizes" (TForm9): one track bar per group, the number
// of agents it stands for and the group's colour. Moving a bar rebalances
// the others (world::RebalanceShares) in the world's GroupShares, which
// set-up reads while "activate" beside "adjust group size" is checked.
//
// The counts are based on ShareTotal, the number of agents in the main
// window's field when the window is built or shown. When a set-up changes
// the number of groups the window is built anew for it, with equal shares
// (set-up starts the new groups from equal shares too): at once while it
// is shown, else when it is shown next.
class GroupSizesWindow : public Form {
  Q_OBJECT
 public:
  explicit GroupSizesWindow(simulation::Simulation& sim, QWidget* parent = nullptr);

  int shareTotal() const { return shareTotal_; }
  int barCount() const { return static_cast<int>(bars_.size()); }
  QSlider* bar(int g) const { return bars_[static_cast<std::size_t>(g)]; }
  QLabel* label(int g) const { return labels_[static_cast<std::size_t>(g)]; }
  QPushButton* resetButton() const { return reset_; }

  // Builds the window anew when the world's number of groups differs from its bars.
  void followWorld();
  // "reset values".
  void B_resetClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void build();
  void readShareTotal();
  void rebalance(int k);
  void showCounts(const std::vector<world::ShareView>& view, int moved);
  void setLabel(int g, int count);

  simulation::Simulation& sim_;
  int shareTotal_ = 0;
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  std::vector<QSlider*> bars_;
  std::vector<QLabel*> labels_;
  std::vector<QFrame*> swatches_;
  QPushButton* reset_ = nullptr;
  QTimer pace_;
};

}  // namespace ui
