#include "group_sizes_window.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QSlider>

namespace ui {

namespace {

constexpr int kPitch = 60;  // pixels per group
constexpr int kFollowMs = 250;

}  // namespace

GroupSizesWindow::GroupSizesWindow(simulation::Simulation& sim, QWidget* parent)
    : Form("Form9", "Group Sizes", 210, 430, parent), sim_(sim) {
  scroll_ = new QScrollArea(this);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(false);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QFont font("Tahoma");
  font.setPixelSize(11);
  setFont(font);
  pace_.setInterval(kFollowMs);
  connect(&pace_, &QTimer::timeout, this, &GroupSizesWindow::followWorld);
  readShareTotal();
  build();
}

void GroupSizesWindow::readShareTotal() {
  // A field that does not parse keeps the total the window had.
  const std::string& text = sim_.controls.Text(simulation::MainControl::AgentCount);
  if (world::IsInteger(text)) shareTotal_ = world::StrToInt(text);
}

void GroupSizesWindow::build() {
  bars_.clear();
  labels_.clear();
  swatches_.clear();
  if (content_) content_->deleteLater();
  content_ = new QWidget;
  const int groups = std::max(0, sim_.world.GroupCount);
  const std::vector<world::ShareView> view = world::ResetShares(sim_.world.GroupShares, groups, shareTotal_);
  for (int g = 0; g < groups; ++g) {
    auto* bar = new QSlider(Qt::Horizontal, content_);
    bar->setObjectName(QString("t%1").arg(g));
    bar->setGeometry(5, kPitch * g + 20, 150, 45);
    bar->setRange(1, 99);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(10);
    bar->setPageStep(1);
    bar->setSingleStep(1);
    bar->setValue(view[static_cast<std::size_t>(g)].Position);
    connect(bar, &QSlider::valueChanged, this, [this, g] { rebalance(g); });
    bars_.push_back(bar);

    auto* label = new QLabel(content_);
    label->setObjectName(QString("TrackLabel%1").arg(g + 1));
    label->move(20, kPitch * g + 5);
    labels_.push_back(label);
    setLabel(g, view[static_cast<std::size_t>(g)].Count);

    auto* swatch = new QFrame(content_);
    swatch->setGeometry(155, kPitch * g + 10, 40, 40);
    swatch->setAutoFillBackground(true);
    const world::ColorRef c = g < static_cast<int>(sim_.world.GroupColors.size())
                                  ? sim_.world.GroupColors[static_cast<std::size_t>(g)]
                                  : world::kSilver;
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor(world::Red(c), world::Green(c), world::Blue(c)));
    swatch->setPalette(palette);
    swatches_.push_back(swatch);
  }
  reset_ = new QPushButton("reset values", content_);
  reset_->setObjectName("B_reset");
  reset_->setGeometry(32, kPitch * groups + 5, 75, 25);
  connect(reset_, &QPushButton::clicked, this, &GroupSizesWindow::B_resetClick);
  content_->resize(195, kPitch * groups + 35);
  resizeWithinScreen(210, kPitch * groups + 70);
  scroll_->setGeometry(rect());
  scroll_->setWidget(content_);
}

void GroupSizesWindow::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  scroll_->setGeometry(rect());
}

void GroupSizesWindow::setLabel(int g, int count) {
  QLabel* l = labels_[static_cast<std::size_t>(g)];
  l->setText(QString("Size of Group %1 = %2").arg(g + 1).arg(count));
  l->adjustSize();
}

void GroupSizesWindow::followWorld() {
  if (barCount() != sim_.world.GroupCount) {
    readShareTotal();
    build();
  }
}

void GroupSizesWindow::showEvent(QShowEvent* event) {
  Form::showEvent(event);
  if (event->spontaneous()) return;
  if (barCount() != sim_.world.GroupCount) {
    followWorld();
  } else {
    // The counts follow the number of agents the main window holds now.
    readShareTotal();
    for (int g = 0; g < barCount(); ++g) {
      const double share = g < static_cast<int>(sim_.world.GroupShares.size())
                               ? sim_.world.GroupShares[static_cast<std::size_t>(g)]
                               : 0.0;
      setLabel(g, world::ShareCount(share, shareTotal_));
    }
  }
  pace_.start();
}

void GroupSizesWindow::hideEvent(QHideEvent* event) {
  Form::hideEvent(event);
  if (!event->spontaneous()) pace_.stop();
}

void GroupSizesWindow::rebalance(int k) {
  // Bars for another number of groups than the world's are rebuilt, not used.
  if (barCount() != sim_.world.GroupCount || sim_.world.GroupShares.size() != bars_.size()) {
    QMetaObject::invokeMethod(this, &GroupSizesWindow::followWorld, Qt::QueuedConnection);
    return;
  }
  const std::vector<world::ShareView> view =
      world::RebalanceShares(sim_.world.GroupShares, k, bar(k)->value(), shareTotal_);
  showCounts(view, k);
}

void GroupSizesWindow::showCounts(const std::vector<world::ShareView>& view, int moved) {
  if (view.size() != bars_.size()) return;  // abandoned: bars and labels stay
  for (int g = 0; g < barCount(); ++g) {
    const world::ShareView& v = view[static_cast<std::size_t>(g)];
    if (g != moved) {
      // The positions set here must not start another rebalancing.
      const QSignalBlocker quiet(bar(g));
      bar(g)->setValue(v.Position);
    }
    setLabel(g, v.Count);
  }
}

void GroupSizesWindow::B_resetClick() {
  if (barCount() != sim_.world.GroupCount) {
    followWorld();
    return;
  }
  showCounts(world::ResetShares(sim_.world.GroupShares, barCount(), shareTotal_), -1);
}

}  // namespace ui
