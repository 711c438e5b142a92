#include "main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QSlider>
#include <QTableWidget>

#include "simulation/street_controls.h"
#include "simulation/main_controls.h"
#include "multiline_tabs.h"
#include "streets/layouts.h"
#include "streets/street_field.h"
#include "tolerance_window.h"
#include "updown.h"
#include "world_panel.h"

namespace ui {

namespace {

constexpr int kRow = 24;  // pitch of the rows of settings

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

MainWindow::MainWindow(simulation::Simulation& sim, display::WorldImage& image, streets::StreetEditor& editor,
               MessageSink* sink, QWidget* parent)
    : QWidget(parent), sim_(sim), image_(image), editor_(editor), sink_(sink) {
  setObjectName("Form1");
  setWindowTitle(Q(sim_.Caption()));
  setFixedSize(924, 711);
  QFont font("Tahoma");
  font.setPixelSize(10);
  setFont(font);
  binder_ = new Binder(sim_.controls, this, sink_);

  auto* frame = new QFrame(this);
  frame->setFrameStyle(QFrame::Box | QFrame::Plain);
  frame->setGeometry(7, 8, world::kPanelWidth + 2, world::kPanelHeight + 2);
  panel_ = new WorldPanel(image_, editor_, frame);
  panel_->move(1, 1);
  panel_->setGuard([this](const std::function<void()>& action) { return act(action); });
  connect(panel_, &WorldPanel::edited, this, [this] { worldChanged(); });

  pageControl_ = new MultiLineTabs(this);
  pageControl_->setObjectName("PageControl1");
  pageControl_->setGeometry(708, 8, 205, 505);
  const char* tabs[] = {"setup", "parameter", "analysis", "streets", "rent"};
  QWidget* pages[5];
  for (int i = 0; i < 5; ++i) {
    pages[i] = new QWidget;
    pageControl_->addTab(pages[i], tabs[i]);
  }
  buildSetupTab(pages[0]);
  buildParameterTab(pages[1]);
  buildAnalysisTab(pages[2]);
  buildStreetsTab(pages[3]);
  buildRentTab(pages[4]);
  pageControl_->setCurrentIndex(4);
  buildRunControls();

  // Timer1 and the caption follow the model.
  timer1_.setObjectName("Timer1");
  timer1_.setInterval(1);
  timer1_.setTimerType(Qt::PreciseTimer);
  connect(&timer1_, &QTimer::timeout, this, &MainWindow::timer1Timer);
  listener_ = sim_.controls.Subscribe([this](const simulation::Control& c, simulation::ControlEvent event) {
    if (c.Name == "Timer1" && event == simulation::ControlEvent::Changed) {
      if (c.Checked && !timer1_.isActive()) timer1_.start();
      if (!c.Checked) timer1_.stop();
    } else if (c.Name == "Caption") {
      setWindowTitle(Q(c.Text));
    } else if (event != simulation::ControlEvent::Changed && c.Name.rfind("E_Rent", 0) == 0 && !rentRebuildPending_) {
      // A set-up removes and adds them one by one: rebuild once, afterwards.
      rentRebuildPending_ = true;
      QMetaObject::invokeMethod(this, [this] { rebuildRentControls(); }, Qt::QueuedConnection);
    }
  });
  if (sim_.Running()) timer1_.start();
}

MainWindow::~MainWindow() { sim_.controls.Unsubscribe(listener_); }

bool MainWindow::act(const std::function<void()>& action) { return binder_->Guard(action); }

void MainWindow::showWindow(QWidget* window) {
  if (!window) return;
  window->show();
  window->raise();
}

void MainWindow::worldChanged() { panel_->requestRepaint(); }

void MainWindow::timer1Timer() {
  // A step that stops on bad input stops the run, so the message shows once.
  if (!act([this] { sim_.TimeStep(); })) sim_.SetRunning(false);
  panel_->requestRepaint();
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // Showing the main window shows the tolerance window (which fills the
  // percentages) while individual thresholds are active, then converts them.
  if (sim_.controls.Checked(simulation::MainControl::IndividualThresholds) && others_.Tolerance) {
    showWindow(others_.Tolerance);
    activateWindow();
  }
  sim_.ConvertTolerance();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  timer1_.stop();
  QWidget::closeEvent(event);
  emit closed();
}

QLineEdit* MainWindow::edit(QWidget* parent, const char* name, int x, int y, int width) {
  auto* e = new QLineEdit(parent);
  e->setGeometry(x, y, width, 20);
  const simulation::Control& c = sim_.controls.Get(name);
  if (c.DigitsOnly) e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
  binder_->Edit(e, name);
  return e;
}

void MainWindow::editWithUpDown(QWidget* parent, const char* editName, const char* upDownName, int x, int y, int width) {
  edit(parent, editName, x, y, width);
  auto* arrows = new UpDown(parent);
  arrows->setGeometry(x + width, y, 14, 20);
  binder_->Arrows(arrows, upDownName);
}

QLabel* MainWindow::label(QWidget* parent, const QString& text, int x, int y) {
  auto* l = new QLabel(text, parent);
  l->move(x, y + 3);
  return l;
}

QPushButton* MainWindow::button(QWidget* parent, const char* name, const QString& caption, int x, int y, int width,
                            int height) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setGeometry(x, y, width, height);
  return b;
}

void MainWindow::check(QWidget* parent, const char* name, int x, int y, int width) {
  auto* box = new QCheckBox(Q(sim_.controls.Get(name).Caption), parent);
  box->setGeometry(x, y, width, 18);
  binder_->Check(box, name);
}

void MainWindow::buildSetupTab(QWidget* tab) {
  auto* setup = new QGroupBox("setup settings", tab);
  setup->setGeometry(3, 3, 193, 238);
  struct Row {
    const char* Edit;
    const char* UpDown;
  } rows[] = {{"Edit_anzAg", nullptr},         {"Edit_agentSize", "UpD_agentSz"}, {"Edit_cellSiz", "UpD_sellSz"},
              {"Edit_anzGr", "UpD_nrGroups"}, {"Edit_nRad", "UpD_radNb"},        {"Edit_mDist", "UpD_moveDist"}};
  int y = 18;
  for (const Row& row : rows) {
    if (row.UpDown) {
      editWithUpDown(setup, row.Edit, row.UpDown, 6, y);
    } else {
      edit(setup, row.Edit, 6, y, 59);
    }
    label(setup, Q(sim_.controls.Get(row.Edit).Caption), 68, y);
    y += kRow;
  }
  check(setup, "CB_graphicUpd", 6, y);
  check(setup, "CB_strOcc", 6, y + 20);
  auto* adjust = button(setup, "B_adjGroupSz", "adjust group size", 6, y + 42, 105, 22);
  connect(adjust, &QPushButton::clicked, this, [this] { showWindow(others_.GroupSizes); });
  check(setup, "cb_indiGroups", 118, y + 44, 70);

  auto* growth = new QGroupBox("growth", tab);
  growth->setGeometry(3, 245, 193, 150);
  check(growth, "CB_actiGrow", 6, 18, 70);
  auto* count = new QLabel(growth);
  count->setGeometry(80, 18, 50, 18);
  binder_->Label(count, "Lbl_nrAgents");
  label(growth, "agents", 132, 15)->setObjectName("Label6");
  label(growth, "start with agents:", 6, 42);
  editWithUpDown(growth, "E_startGrowWith", "UpDown6", 6, 60, 59);
  label(growth, "add agents per timestep:", 6, 86);
  editWithUpDown(growth, "E_growRate", "UpDown7", 6, 104, 59);

  check(tab, "CB_showAgs", 8, 402);
  check(tab, "CB_showRentSc", 8, 422);
}

void MainWindow::buildParameterTab(QWidget* tab) {
  auto* tolerance = new QGroupBox("tolerance settings", tab);
  tolerance->setGeometry(3, 3, 193, 370);
  label(tolerance, "threshold :", 6, 16)->setObjectName("Label8");
  auto* value = new QLabel(tolerance);
  value->setGeometry(70, 19, 30, 14);
  binder_->Label(value, "Lbl_P");
  label(tolerance, "%", 100, 16)->setObjectName("Label9");
  auto* slider = new QSlider(Qt::Horizontal, tolerance);
  slider->setGeometry(6, 38, 160, 26);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(10);
  binder_->Slider(slider, "TrB_thresh");
  auto* arrows = new UpDown(tolerance);
  arrows->setGeometry(170, 38, 14, 22);
  binder_->Arrows(arrows, "UpD_thresh");
  check(tolerance, "cb_individTol", 6, 68);
  auto* show = button(tolerance, "Button3", "show indivdual thresholds", 6, 90, 160, 22);
  connect(show, &QPushButton::clicked, this, [this] {
    act([this] { sim_.Button3Click(); });
    showWindow(others_.Tolerance);
  });

  auto* group = new QGroupBox("group thresholds", tolerance);
  group->setGeometry(4, 118, 185, 130);
  const char* rows[][2] = {
      {"E_toItself", "UpD_toItself"}, {"E_toSuper", "UpD_toSuper"}, {"E_toInfer", "UpD_toInfer"}, {"E_toEmpty", "UpD_toEmpty"}};
  int y = 16;
  for (const auto& row : rows) {
    label(group, Q(sim_.controls.Get(row[0]).Caption), 4, y);
    editWithUpDown(group, row[0], row[1], 124, y, 40);
    y += kRow;
  }
  auto* set = button(group, "B_setTols", "set", 4, y + 2, 60, 22);
  connect(set, &QPushButton::clicked, this, [this] {
    act([this] { sim_.B_setTolsClick(); });
    if (auto* tolerance = qobject_cast<ToleranceWindow*>(others_.Tolerance)) tolerance->followTolerances();
  });

  auto* freeCells = new QGroupBox("handle free cells (deactivated individ.)", tolerance);
  freeCells->setObjectName("RadioGroup1");
  freeCells->setGeometry(4, 254, 185, 80);
  int ry = 18;
  for (const char* name : {"RB_count_no", "RB_count_diff", "RB_count_simi"}) {
    auto* radio = new QRadioButton(Q(sim_.controls.Get(name).Caption), freeCells);
    radio->setGeometry(6, ry, 175, 18);
    radio->setAutoExclusive(true);
    binder_->Check(radio, name);
    ry += 19;
  }
}

void MainWindow::buildAnalysisTab(QWidget* tab) {
  auto* charts = button(tab, "Button1", "show charts", 6, 6, 90, 22);
  connect(charts, &QPushButton::clicked, this, [this] { showWindow(others_.Analysis); });
  auto* cluster = button(tab, "B_cluster", "cluster analysis", 100, 6, 92, 22);
  connect(cluster, &QPushButton::clicked, this, [this] { act([this] { sim_.B_clusterClick(); }); });
  auto* dissimilar = button(tab, "Button2", "dissimilar", 6, 32, 90, 22);
  connect(dissimilar, &QPushButton::clicked, this, [this] { act([this] { sim_.Button2Click(); }); });
  editWithUpDown(tab, "E_clusterT", "UpD_clS", 6, 60);
  label(tab, ": cluster thr.", 68, 60);
  editWithUpDown(tab, "E_nbSize", "UpDown5", 6, 84);
  label(tab, ": grid size", 68, 84);

  struct Opener {
    const char* Name;
    const char* Caption;
    QWidget* OtherWindows::*Window;
    bool RedFont;
  } openers[] = {{"ana_ps", "analyse ps", &OtherWindows::ParameterSpace, false},
                 {"ana_growth", "analyse growth", &OtherWindows::Growth, false},
                 {"B_anaStr", "analyse streets", &OtherWindows::Streets, false},
                 {"B_stabili", "analyse stability", &OtherWindows::Stability, true}};
  int y = 112;
  for (const Opener& o : openers) {
    auto* b = button(tab, o.Name, o.Caption, 6, y, 120, 22);
    connect(b, &QPushButton::clicked, this, [this, o] {
      showWindow(others_.*(o.Window));
      sim_.SetRunning(false);
      if (o.RedFont) sim_.controls.SetFontColor(simulation::MainControl::StartStop, world::kRed);
    });
    y += 25;
  }

  auto* save = new QGroupBox("save windows ", tab);
  save->setGeometry(3, 215, 193, 240);
  int cy = 16;
  for (const char* name : {"cb_save_main", "cb_save_basic", "cb_save_paraSp", "cb_save_growth", "cb_save_streets",
                           "cb_save_stability", "cb_save_3DSurf"}) {
    check(save, name, 6, cy, 185);
    cy += 19;
  }
  label(save, "round:", 6, cy + 2);
  edit(save, "E_sRound", 90, cy + 2, 95);
  label(save, "examination name:", 6, cy + 26);
  edit(save, "E_sName", 90, cy + 26, 95);
  label(save, "if you don't change round or name", 6, cy + 50);
  label(save, "the old pictures will be deleted", 6, cy + 64);
}

void MainWindow::buildStreetsTab(QWidget* tab) {
  auto* draw = new QGroupBox("draw streets", tab);
  draw->setGeometry(3, 3, 193, 66);
  auto* types = new QComboBox(draw);
  types->setGeometry(6, 16, 150, 22);
  binder_->Combo(types, "CB_strType");
  check(draw, "CB_hideAgs", 6, 42);

  auto* weights = new QTableWidget(8, 2, tab);
  weights->setGeometry(6, 74, 110, 8 * 18 + 4);
  weights->horizontalHeader()->hide();
  weights->verticalHeader()->hide();
  weights->horizontalHeader()->setDefaultSectionSize(52);
  weights->verticalHeader()->setDefaultSectionSize(18);
  weights->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  weights->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  weights->setObjectName("SG_weight");
  auto fixed = [weights](int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(weights->palette().button());
    weights->setItem(row, column, item);
  };
  fixed(0, 0, "Type");
  fixed(0, 1, "Weight");
  for (int type = -3; type <= 3; ++type) {
    const int row = type + 4;
    fixed(row, 0, Q(sim_.controls.Get(simulation::WeightControlName(type)).Caption));
    binder_->GridCell(weights, row, 1, Q(simulation::WeightControlName(type)));
    auto* legend = new QLabel("       ", tab);
    legend->setObjectName(QString("colCode%1").arg(row));
    legend->setAutoFillBackground(true);
    const world::ColorRef color = world::StreetColor(type);
    QPalette palette = legend->palette();
    palette.setColor(QPalette::Window, QColor(world::Red(color), world::Green(color), world::Blue(color)));
    legend->setPalette(palette);
    legend->setGeometry(120, 76 + row * 18, 30, 16);
  }

  auto* layouts = new QGroupBox("predefined layouts", tab);
  layouts->setGeometry(3, 230, 193, 180);
  auto* grid = button(layouts, "B_drawGrid", "draw grid", 6, 16, 80, 22);
  editWithUpDown(layouts, "Ed_rows", "UpD_rows", 88, 16, 32);
  label(layouts, ": rows", 135, 16);
  editWithUpDown(layouts, "Ed_cols", "UpD_cols", 88, 40, 32);
  label(layouts, ": columns", 135, 40);
  auto* random = button(layouts, "B_randStr", "random", 6, 68, 80, 22);
  editWithUpDown(layouts, "Ed_nrStr", "UpD_nrStr", 88, 68, 32);
  label(layouts, ": streets", 135, 68);
  editWithUpDown(layouts, "Ed_strType", "UpD_strType", 88, 100, 32);
  label(layouts, ": street type", 135, 100);
  check(layouts, "CB_rndTyp", 6, 128);
  connect(grid, &QPushButton::clicked, this, [this] {
    act([this] {
      simulation::DrawStreetGrid(sim_.world, sim_.controls,
                                 sim_.controls.Position(simulation::MainControl::StreetRowsUpDown),
                                 sim_.controls.Position(simulation::MainControl::StreetColsUpDown),
                                 simulation::ReadTypeChoice(sim_.controls), &editor_);
    });
    worldChanged();
  });
  connect(random, &QPushButton::clicked, this, [this] {
    act([this] {
      simulation::DrawRandomStreets(sim_.world, sim_.controls,
                                    sim_.controls.Position(simulation::MainControl::StreetCountUpDown),
                                    simulation::ReadTypeChoice(sim_.controls), &editor_);
    });
    worldChanged();
  });
  auto* remove = button(tab, "b_delStr", "delete streets", 6, 418, 90, 25);
  connect(remove, &QPushButton::clicked, this, [this] {
    act([this] {
      editor_.Cancel();
      simulation::DeleteStreets(sim_.world, sim_.controls);
    });
    worldChanged();
  });
  auto* imprint = button(tab, "B_imprint", "imprint", 100, 418, 90, 25);
  connect(imprint, &QPushButton::clicked, this, [this] {
    act([this] { sim_.B_imprintClick(); });
    worldChanged();
  });
}

void MainWindow::buildRentTab(QWidget* tab) {
  auto* scroll = new QScrollArea(tab);
  scroll->setGeometry(0, 0, 201, 461);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget;
  content->setMinimumSize(180, 470);
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  check(content, "cb_actiRentLand", 6, 6);
  auto* basic = new QGroupBox("basic settings", content);
  basic->setGeometry(3, 28, 180, 96);
  label(basic, "min rent:", 6, 18);
  edit(basic, "E_rentMin", 80, 18, 50);
  label(basic, "max rent:", 6, 44);
  edit(basic, "E_rentMax", 80, 44, 50);
  label(basic, "budget range:", 6, 70);
  auto* budget = new QLabel(basic);
  budget->setGeometry(80, 73, 60, 14);
  binder_->Label(budget, "lbl_budgetR");
  rentBox_ = new QGroupBox("changes by moves", content);
  rentBox_->setObjectName("GroupBox8");
  rentBox_->move(3, 130);
  rebuildRentControls();
}

// The per-group rent controls: one label and edit per group, made anew at every set-up.
void MainWindow::rebuildRentControls() {
  rentRebuildPending_ = false;
  for (QObject* child : rentBox_->children()) {
    if (auto* w = qobject_cast<QWidget*>(child)) {
      binder_->Unbind(w->objectName());
      w->deleteLater();
      w->setParent(nullptr);
    }
  }
  int groups = 0;
  for (int n = 1; sim_.controls.Has(simulation::RentEditName(n)); ++n) {
    auto* l = new QLabel(Q(sim_.controls.Text(simulation::RentLabelName(n))), rentBox_);
    l->setObjectName(Q(simulation::RentLabelName(n)));
    l->move(12, 27 * n);
    auto* e = new QLineEdit(rentBox_);
    e->setGeometry(65, 27 * n - 4, 35, 20);
    binder_->Edit(e, Q(simulation::RentEditName(n)));
    l->show();
    e->show();
    groups = n;
  }
  rentBox_->resize(180, 27 * groups + 27);
  if (auto* content = rentBox_->parentWidget()) content->setMinimumHeight(rentBox_->y() + rentBox_->height() + 6);
}

void MainWindow::buildRunControls() {
  auto* steps = new QLabel(this);
  steps->setGeometry(712, 520, 60, 16);
  steps->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  binder_->Label(steps, "lbl_Steps");
  label(this, ": timesteps", 774, 517)->setObjectName("lbl_timesteps");

  auto* stop = button(this, "B_stop", "start / stop", 712, 542, 95, 25);
  binder_->FontColor(stop, "B_stop");
  connect(stop, &QPushButton::clicked, this, [this] {
    act([this] { sim_.B_stopClick(); });
    worldChanged();
  });
  auto* setup = button(this, "B_setup", "new Setup", 812, 542, 95, 25);
  connect(setup, &QPushButton::clicked, this, [this] {
    act([this] { sim_.B_setupClick(); });
    worldChanged();
  });
  auto* repaint = button(this, "B_repaint", "repaint all", 712, 572, 95, 25);
  connect(repaint, &QPushButton::clicked, this, [this] {
    sim_.world.RepaintWorld();
    worldChanged();
  });

  auto* cells = new QLabel(this);
  cells->setGeometry(712, 606, 110, 16);
  binder_->Label(cells, "Lbl_cellS");
  label(this, ": cell-space", 824, 603)->setObjectName("Label10");
  auto* streetCells = new QLabel(this);
  streetCells->setGeometry(712, 626, 110, 16);
  binder_->Label(streetCells, "Lbl_strCell");
  label(this, ": street cells", 824, 623)->setObjectName("Label19");
  edit(this, "E_stopT", 712, 650, 60);
  label(this, ": stop at timestep", 776, 650)->setObjectName("Label5");
}

}  // namespace ui
