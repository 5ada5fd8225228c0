#include "app/main_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

#include "app/app_info.h"
#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app/legend_sample.h"
#include "app/qt_dialogs.h"
#include "display/quantities.h"
#include "display/response_graph.h"
#include "graph/qt/qimage_canvas.h"
#include "experiments/experiment_file.h"
#include "experiments/experiment_labels.h"
#include "report/report_writer.h"
#include "solve/labels.h"
#include "solve/reaction_guard.h"
#include "solve/solve_experiments.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "text/number_text.h"

namespace quarvel::app {

namespace {

// Graph quantities selected after Create, and after every other command that replaces the set.
constexpr int32_t kCreateX = 0, kCreateY = 1;  // T, U
constexpr int32_t kOtherX = 1, kOtherY = 4;    // U, F

constexpr const char* kMassToolTip =
    "Oscilating mass. Set to a negative value to use the mass of the input file.";

QGroupBox* Frame(const char* objectName, const char* title) {
  auto* frame = new QGroupBox(title);
  frame->setObjectName(objectName);
  return frame;
}

QLabel* Label(const char* text, const QString& objectName = {}) {
  auto* label = new QLabel(text);
  if (!objectName.isEmpty()) label->setObjectName(objectName);
  return label;
}

QPushButton* Button(const char* objectName, const char* caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  return button;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Seconds since midnight from the system clock, in single precision widened to double (steps
// of up to 8 ms late in the day); back to 0 at midnight.
class SystemPlaybackClock : public PlaybackClock {
 public:
  double SecondsSinceMidnight() override {
    const int milliseconds = QTime::currentTime().msecsSinceStartOfDay();
    const float seconds = static_cast<float>(milliseconds) / 1000.0f;
    return seconds;
  }
};

}  // namespace

// Marks a command as running so that a second one, clicked during its event processing, is
// ignored instead of changing the set under it.
class MainForm::BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

// While a study runs: the commands that would change the set or start another run are
// disabled (the text boxes stay open, as the study reads them at every value), and the status
// bar says how far it got.
class MainForm::StudyScope {
 public:
  explicit StudyScope(MainForm& form) : form_(form) {
    for (const char* name : kBlockedDuringStudy) {
      if (auto* widget = form_.findChild<QWidget*>(name)) {
        widget->setEnabled(false);
        disabled_.push_back(widget);
      }
    }
  }
  ~StudyScope() {
    for (QWidget* widget : disabled_) widget->setEnabled(true);
    form_.statusBar()->clearMessage();
  }
  StudyScope(const StudyScope&) = delete;
  StudyScope& operator=(const StudyScope&) = delete;

 private:
  static constexpr const char* kBlockedDuringStudy[] = {
      "frameExcitation", "frameDisplay", "cmdSolve", "cmdExportResults", "cmdLoop", "cmdExLoop"};
  MainForm& form_;
  std::vector<QWidget*> disabled_;
};

MainForm::MainForm(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>();
  clock_ = std::make_unique<SystemPlaybackClock>();
  setObjectName("MainForm");
  graphWindow_ = new GraphWindow(*dialogs_, this);
  setWindowTitle(kMainWindowCaption);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildSystemParameters());
  left->addWidget(BuildSolutionMethod());
  left->addWidget(BuildParametric());
  left->addStretch();

  picBoucWen_ = new GraphBox;
  picBoucWen_->setObjectName("picBoucWen");
  connect(picBoucWen_, &GraphBox::Resized, this, [this] {
    if (const Experiment* e = bench_.CurrentExperiment()) UpdateGraph(e->counter, false);
  });
  connect(picBoucWen_, &GraphBox::DoubleClicked, this, &MainForm::ShowGraphWindow);
  auto* middle = new QVBoxLayout;
  middle->addWidget(picBoucWen_, 1);
  middle->addWidget(BuildLegend());
  middle->addWidget(BuildSimulation());

  auto* cmdSolve = Button("cmdSolve", "Solve Now");
  auto* cmdExport = Button("cmdExportResults", "Export Results");
  auto* cmdAbout = Button("cmdAbout", "About Quarvel");
  connect(cmdSolve, &QPushButton::clicked, this, &MainForm::SolveNow);
  connect(cmdExport, &QPushButton::clicked, this, &MainForm::ExportResults);
  connect(cmdAbout, &QPushButton::clicked, this, &MainForm::ShowAbout);
  auto* commands = new QGridLayout;
  commands->addWidget(cmdSolve, 0, 0);
  commands->addWidget(cmdExport, 0, 1);
  commands->addWidget(cmdAbout, 1, 0, 1, 2);

  auto* right = new QVBoxLayout;
  right->addWidget(BuildExcitation());
  right->addWidget(BuildDisplay());
  right->addWidget(BuildMaximumError());
  right->addWidget(BuildPeriods());
  right->addLayout(commands);
  right->addStretch();

  left->setContentsMargins(0, 0, 0, 0);
  right->setContentsMargins(0, 0, 0, 0);
  auto* leftPanel = new QWidget;
  leftPanel->setLayout(left);
  leftPanel->setFixedWidth(leftPanel->minimumSizeHint().width());
  auto* rightPanel = new QWidget;
  rightPanel->setLayout(right);
  rightPanel->setFixedWidth(rightPanel->minimumSizeHint().width());

  auto* central = new QWidget;
  auto* columns = new QHBoxLayout(central);
  columns->addWidget(leftPanel);
  columns->addLayout(middle, 1);
  columns->addWidget(rightPanel);
  setCentralWidget(central);
  statusBar()->setSizeGripEnabled(true);

  WriteInputs();
  resize(1280, 800);
}

MainForm::~MainForm() {
  // The graph window refers to the dialogs, which go before the window's children.
  delete graphWindow_;
}

void MainForm::SetPlaybackClock(std::unique_ptr<PlaybackClock> clock) {
  if (clock) clock_ = std::move(clock);
}

// ---------------------------------------------------------------------------------------------
// Layout

QLineEdit* MainForm::AddTextBox(const char* objectName,
                                std::string MainWindowInputs::*field) {
  auto* box = new QLineEdit;
  box->setObjectName(objectName);
  box->setMinimumWidth(50);
  box->setMaximumWidth(90);
  texts_.push_back({box, field});
  return box;
}

QAbstractButton* MainForm::AddOption(const char* objectName, const char* caption,
                                     bool MainWindowInputs::*field) {
  QAbstractButton* button = nullptr;
  if (QString(objectName).startsWith("chk")) {
    button = new QCheckBox(caption);
  } else {
    button = new QRadioButton(caption);
  }
  button->setObjectName(objectName);
  options_.push_back({button, field});
  return button;
}

QWidget* MainForm::BuildSystemParameters() {
  auto* frame = Frame("frameSystemParameters", "System Parameters");
  auto* grid = new QGridLayout(frame);
  struct Row {
    const char* label;
    const char* name;
    std::string MainWindowInputs::*field;
  };
  const Row rows[] = {
      {"A :", "txtAlphaCap", &MainWindowInputs::txtAlphaCap},
      {"beta :", "txtBetaSmall", &MainWindowInputs::txtBetaSmall},
      {"gamma :", "txtGammaSmall", &MainWindowInputs::txtGammaSmall},
      {"n :", "txtNee", &MainWindowInputs::txtNee},
      {"a :", "txtAlphaSmall", &MainWindowInputs::txtAlphaSmall},
      {"c :", "txtCharlieSmall", &MainWindowInputs::txtCharlieSmall},
      {"Fy :", "txtFy", &MainWindowInputs::txtFy},
      {"Uy :", "txtUy", &MainWindowInputs::txtUy},
      {"P :", "txtP", &MainWindowInputs::txtP},
      {"Threshold Z:", "txtThresholdZ", &MainWindowInputs::txtThresholdZ},
      {"Mass :", "txtMass", &MainWindowInputs::txtMass},
  };
  int index = 0;
  for (const Row& row : rows) {
    QLineEdit* box = AddTextBox(row.name, row.field);
    auto* label = Label(row.label);
    label->setBuddy(box);
    const int r = index / 2;
    const int c = (index % 2) * 2;
    grid->addWidget(label, r, c);
    grid->addWidget(box, r, c + 1);
    if (row.field == &MainWindowInputs::txtMass) {
      box->setToolTip(kMassToolTip);
      label->setToolTip(kMassToolTip);
    }
    ++index;
  }

  auto* reversal = new QButtonGroup(frame);
  auto* all = AddOption("optALLREV", "All Reversal Points", &MainWindowInputs::optALLREV);
  auto* last = AddOption("optReversalLast", "Last Reversal point",
                         &MainWindowInputs::optReversalLast);
  auto* max = AddOption("optReversalMax", "Max U Reversal point",
                        &MainWindowInputs::optReversalMax);
  auto* lastAndMax = AddOption("optReversalLastAndMax", "Last + Max U Reversal point",
                               &MainWindowInputs::optReversalLastAndMax);
  for (QAbstractButton* option : {all, last, max, lastAndMax}) reversal->addButton(option);
  auto* rules = new QGridLayout;
  rules->addWidget(all, 0, 0);
  rules->addWidget(last, 0, 1);
  rules->addWidget(max, 1, 0);
  rules->addWidget(lastAndMax, 1, 1);
  const int next = (index + 1) / 2;
  grid->addLayout(rules, next, 0, 1, 4);
  grid->addWidget(AddOption("chkWithinUnloadingBranch",
                            "Do not update reversal point if within dominance zone",
                            &MainWindowInputs::chkWithinUnloadingBranch),
                  next + 1, 0, 1, 4);
  return frame;
}

QWidget* MainForm::BuildSolutionMethod() {
  auto* frame = Frame("frameSolutionMethod", "Solution Method");
  auto* grid = new QGridLayout(frame);
  auto* group = new QButtonGroup(frame);
  auto* euler = AddOption("optSolutionEuler", "Euler", &MainWindowInputs::optSolutionEuler);
  auto* eulerDoubling = AddOption("optSolutionEulerStepDoubling", "Euler (step doubling)",
                                  &MainWindowInputs::optSolutionEulerStepDoubling);
  auto* rk = AddOption("optSolutionRK45", "Runge-Kutta", &MainWindowInputs::optSolutionRK45);
  auto* rkDoubling = AddOption("optSolutionRKStepDoubling", "RK Step Doubling",
                               &MainWindowInputs::optSolutionRKStepDoubling);
  for (QAbstractButton* option : {euler, eulerDoubling, rk, rkDoubling}) group->addButton(option);

  QLineEdit* steps =
      AddTextBox("txtSolutionEulerSteps", &MainWindowInputs::txtSolutionEulerSteps);
  steps->setMaximumWidth(60);
  grid->addWidget(euler, 0, 0);
  grid->addWidget(steps, 0, 1);
  grid->addWidget(Label("step(s)"), 0, 2);
  grid->addWidget(eulerDoubling, 1, 0);
  grid->addWidget(rk, 2, 0);
  grid->addWidget(rkDoubling, 3, 0);
  auto* epsLabel = Label("Eps :");
  QLineEdit* eps = AddTextBox("txtEps1", &MainWindowInputs::txtEps1);
  epsLabel->setBuddy(eps);
  auto* epsRow = new QHBoxLayout;
  epsRow->addWidget(epsLabel);
  epsRow->addWidget(eps);
  grid->addLayout(epsRow, 1, 1, 1, 2);
  grid->setColumnStretch(0, 1);
  return frame;
}

QWidget* MainForm::BuildParametric() {
  auto* frame = Frame("frameParametric", "Parametric");
  auto* layout = new QVBoxLayout(frame);

  auto* range = new QHBoxLayout;
  const std::pair<const char*, std::pair<const char*, std::string MainWindowInputs::*>> boxes[] =
      {{"From :", {"txtFrom", &MainWindowInputs::txtFrom}},
       {"To :", {"txtTo", &MainWindowInputs::txtTo}},
       {"Step :", {"txtStep", &MainWindowInputs::txtStep}}};
  for (const auto& [label, box] : boxes) {
    QLineEdit* edit = AddTextBox(box.first, box.second);
    edit->setMinimumWidth(45);
    auto* caption = Label(label);
    caption->setBuddy(edit);
    range->addWidget(caption);
    range->addWidget(edit, 1);
  }
  layout->addLayout(range);

  auto* vary = new QButtonGroup(frame);
  auto* varyMass = AddOption("optVaryMass", "Mass", &MainWindowInputs::optVaryMass);
  auto* varyElastic = AddOption("optVaryElasticPeriod", "Elastic Period",
                                &MainWindowInputs::optVaryElasticPeriod);
  auto* varyPlastic = AddOption("optVaryPlasticPeriod", "Plastic Period",
                                &MainWindowInputs::optVaryPlasticPeriod);
  auto* change = new QButtonGroup(frame);
  auto* changeMass = AddOption("optChangeMass", "Mass", &MainWindowInputs::optChangeMass);
  auto* changeFy = AddOption("optChangeFy", "Fy", &MainWindowInputs::optChangeFy);
  auto* changeUy = AddOption("optChangeUy", "Uy", &MainWindowInputs::optChangeUy);

  auto* options = new QGridLayout;
  options->addWidget(Label("Vary :", "lblVary"), 0, 0);
  options->addWidget(Label("By changing :", "lblByChanging"), 0, 1);
  int row = 1;
  for (QAbstractButton* option : {varyMass, varyElastic, varyPlastic}) {
    vary->addButton(option);
    options->addWidget(option, row++, 0);
  }
  row = 1;
  for (QAbstractButton* option : {changeMass, changeFy, changeUy}) {
    change->addButton(option);
    options->addWidget(option, row++, 1);
  }
  layout->addLayout(options);
  const std::pair<QAbstractButton*, StudyOption> studyOptions[] = {
      {varyMass, StudyOption::VaryMass},     {varyElastic, StudyOption::VaryElasticPeriod},
      {varyPlastic, StudyOption::VaryPlasticPeriod}, {changeMass, StudyOption::ChangeMass},
      {changeFy, StudyOption::ChangeFy},     {changeUy, StudyOption::ChangeUy}};
  for (const auto& [button, option] : studyOptions) {
    connect(button, &QAbstractButton::clicked, this,
            [this, option = option] { OnStudyOptionClicked(option); });
  }

  auto* loops = new QHBoxLayout;
  auto* cmdLoop = Button("cmdLoop", "Loop");
  auto* cmdExLoop = Button("cmdExLoop", "Advanced Loop");
  connect(cmdLoop, &QPushButton::clicked, this, &MainForm::RunLoop);
  connect(cmdExLoop, &QPushButton::clicked, this, &MainForm::RunAdvancedLoop);
  loops->addWidget(cmdLoop);
  loops->addWidget(cmdExLoop);
  layout->addLayout(loops);
  return frame;
}

QWidget* MainForm::BuildExcitation() {
  auto* frame = Frame("frameExcitation", "Excitation");
  auto* grid = new QGridLayout(frame);
  auto* load = Button("cmdLoadExperiments", "Load");
  auto* create = Button("cmdCreateExperiment", "Create");
  auto* clear = Button("cmdClearExperiments", "Clear");
  auto* sinusoid = Button("cmdDCSinusoidal", "Create Sinusoidal Displ.-Controlled");
  auto* dc1 = Button("Command1", "DC 1");
  auto* dc2 = Button("Command2", "DC 2");
  connect(load, &QPushButton::clicked, this, &MainForm::LoadExperiments);
  connect(create, &QPushButton::clicked, this, &MainForm::CreateExperiments);
  connect(clear, &QPushButton::clicked, this, &MainForm::ClearExperiments);
  connect(sinusoid, &QPushButton::clicked, this, &MainForm::CreateSinusoidalDisplacement);
  connect(dc1, &QPushButton::clicked, this,
          [this] { CreateProtocolExperiment(DisplacementProtocol::Dc1); });
  connect(dc2, &QPushButton::clicked, this,
          [this] { CreateProtocolExperiment(DisplacementProtocol::Dc2); });
  grid->addWidget(load, 0, 0);
  grid->addWidget(create, 0, 1);
  grid->addWidget(clear, 0, 2);
  grid->addWidget(sinusoid, 1, 0, 1, 3);
  auto* protocols = new QHBoxLayout;
  protocols->addWidget(dc1);
  protocols->addWidget(dc2);
  grid->addLayout(protocols, 2, 0, 1, 3);
  return frame;
}

QWidget* MainForm::BuildDisplay() {
  auto* frame = Frame("frameDisplay", "Display");
  auto* grid = new QGridLayout(frame);

  auto makeList = [](const char* name) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
    return list;
  };
  cboExperiment_ = makeList("cboExperiment");
  cboGraphX_ = makeList("cboGraphX");
  cboGraphY_ = makeList("cboGraphY");
  for (QComboBox* list : {cboGraphX_, cboGraphY_}) {
    for (const Quantity& quantity : kQuantities) {
      list->addItem(QString::fromLatin1(quantity.listEntry.data(),
                                        static_cast<qsizetype>(quantity.listEntry.size())));
    }
    list->setCurrentIndex(-1);
  }
  const std::pair<const char*, QComboBox*> lists[] = {{"Experiment :", cboExperiment_},
                                                      {"Graph X Axis :", cboGraphX_},
                                                      {"Graph Y Axis :", cboGraphY_}};
  int row = 0;
  for (const auto& [caption, list] : lists) {
    auto* label = Label(caption);
    label->setBuddy(list);
    grid->addWidget(label, row, 0);
    grid->addWidget(list, row, 1);
    ++row;
  }
  connect(cboExperiment_, &QComboBox::currentIndexChanged, this, &MainForm::OnExperimentSelected);
  connect(cboGraphX_, &QComboBox::currentIndexChanged, this, [this](int index) {
    OnGraphQuantitySelected(&Workbench::graphXQuantity, index);
  });
  connect(cboGraphY_, &QComboBox::currentIndexChanged, this, [this](int index) {
    OnGraphQuantitySelected(&Workbench::graphYQuantity, index);
  });

  // The details panel: captions are fixed, values follow the selected experiment.
  const std::array<ExperimentLabel, 9> captions = UpdateLabels(Experiment{});
  auto* details = new QGridLayout;
  details->setVerticalSpacing(2);
  for (int i = 0; i < 9; ++i) {
    lblExp_[i] = Label(captions[i].caption.c_str(), QString("lblExp_%1").arg(i + 1));
    lblExpValue_[i] = Label("", QString("lblExpValue_%1").arg(i + 1));
    lblExpValue_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (i < kExperimentLabelToolTipCount) {
      const QString tip = QString::fromUtf8(kExperimentLabelToolTip.data(),
                                            static_cast<qsizetype>(kExperimentLabelToolTip.size()));
      lblExp_[i]->setToolTip(tip);
      lblExpValue_[i]->setToolTip(tip);
    }
    details->addWidget(lblExp_[i], i, 0);
    details->addWidget(lblExpValue_[i], i, 1);
  }
  details->setColumnStretch(1, 1);
  grid->addLayout(details, row, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return frame;
}

// A frame of caption / value label pairs, one pair per row: labels[2k] shows captions[k] and
// labels[2k + 1] the value, named "<prefix>_<index>".
template <std::size_t N>
QWidget* MainForm::CaptionValueFrame(const char* objectName, const char* title,
                                     std::initializer_list<const char*> captions,
                                     std::array<QLabel*, N>& labels, const char* prefix) {
  auto* frame = Frame(objectName, title);
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(2);
  const std::vector<const char*> texts(captions);
  for (int i = 0; i < static_cast<int>(N); ++i) {
    labels[i] = Label(i % 2 == 0 ? texts[i / 2] : "", QString("%1_%2").arg(prefix).arg(i));
    grid->addWidget(labels[i], i / 2, i % 2);
  }
  grid->setColumnStretch(1, 1);
  return frame;
}

QWidget* MainForm::BuildMaximumError() {
  return CaptionValueFrame("frameMaximumError", "Maximum Error",
                           {"Absolute U :", "Relative U :", "Absolute Eh :", "Relative Eh :"},
                           lblError_, "lblError");
}

QWidget* MainForm::BuildPeriods() {
  return CaptionValueFrame("framePeriods", "Periods (s)", {"T elastic :", "T plastic :"}, lblT_,
                           "lblT");
}

QWidget* MainForm::BuildSimulation() {
  auto* frame = Frame("frameSimulationControl", "Simulation");
  auto* grid = new QGridLayout(frame);

  cmdPlay_ = Button("cmdPlay", "Play");
  cmdPause_ = Button("cmdPause", "Pause");
  cmdStop_ = Button("cmdStop", "Stop");
  cmdPause_->setEnabled(false);
  cmdStop_->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdPlay_);
  buttons->addWidget(cmdPause_);
  buttons->addWidget(cmdStop_);
  grid->addLayout(buttons, 0, 0);
  connect(cmdPlay_, &QPushButton::clicked, this, &MainForm::Play);
  connect(cmdPause_, &QPushButton::clicked, this, &MainForm::Pause);
  connect(cmdStop_, &QPushButton::clicked, this, &MainForm::Stop);

  slider_ = new QSlider(Qt::Horizontal);
  slider_->setObjectName("Slider");
  slider_->setRange(-9, 9);
  slider_->setValue(0);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setTickInterval(1);
  slider_->setPageStep(1);
  slider_->setMinimumWidth(140);
  connect(slider_, &QSlider::valueChanged, this, &MainForm::OnSpeedChanged);
  auto* speed = new QGridLayout;
  speed->setVerticalSpacing(0);
  speed->addWidget(Label("Simulation speed:", "lblSimulationSpeed"), 0, 0, 2, 1);
  speed->addWidget(slider_, 0, 1, 1, 3);
  auto* normal = Label("1/1", "lbl1over1");
  auto* fastest = Label("10/1", "lbl10over1");
  normal->setAlignment(Qt::AlignHCenter);
  fastest->setAlignment(Qt::AlignRight);
  speed->addWidget(Label("1/10", "lbl1over10"), 1, 1);
  speed->addWidget(normal, 1, 2);
  speed->addWidget(fastest, 1, 3);
  speed->setColumnStretch(1, 1);
  speed->setColumnStretch(2, 1);
  speed->setColumnStretch(3, 1);
  grid->addLayout(speed, 0, 1);

  hScroll_ = new QScrollBar(Qt::Horizontal);
  hScroll_->setObjectName("HScroll");
  hScroll_->setRange(0, 1000);
  hScroll_->setMinimumWidth(160);
  connect(hScroll_, &QScrollBar::valueChanged, this, &MainForm::OnScrolled);
  lblProgressDataPoints_ = Label("", "lblProgressDataPoints");
  lblProgressDataPoints_->setMinimumWidth(90);
  auto* progress = new QHBoxLayout;
  progress->addWidget(Label("Displaying:", "lblSimulationProgress"));
  progress->addWidget(Label("0%", "lblZero"));
  progress->addWidget(hScroll_, 1);
  progress->addWidget(Label("100%", "lblHudred"));
  progress->addWidget(lblProgressDataPoints_);
  grid->addLayout(progress, 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return frame;
}

QWidget* MainForm::BuildLegend() {
  auto* frame = Frame("frameLegend", "Legend");
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(2);
  struct Entry {
    const char* lineName;
    const char* labelName;
    const char* caption;
    LegendSample::Shape shape;
    uint32_t colour;
    int width;
  };
  const Entry entries[] = {
      {"lineOriginalModel", "lblOriginalModel", "Original Model", LegendSample::Shape::Line,
       kOriginalColour, 3},
      {"lineModifiedModel", "lblModifiedModel", "Modified Model", LegendSample::Shape::Line,
       kModifiedColour, 2},
      {"lineReversalPlus", "lblReversalPlus", "Reversal point +", LegendSample::Shape::Plus,
       kPlusMarkColour, 2},
      {"lineReversalMinus", "lblReversalMinus", "Reversal point -", LegendSample::Shape::Plus,
       kMinusMarkColour, 2},
  };
  int index = 0;
  for (const Entry& entry : entries) {
    auto* sample = new LegendSample(entry.shape, entry.colour, entry.width);
    sample->setObjectName(entry.lineName);
    const int row = index % 2;
    const int column = (index / 2) * 2;
    grid->addWidget(sample, row, column);
    grid->addWidget(Label(entry.caption, entry.labelName), row, column + 1);
    ++index;
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return frame;
}

// ---------------------------------------------------------------------------------------------
// Inputs

void MainForm::ReadInputs() {
  for (const TextBinding& binding : texts_) {
    bench_.inputs.*binding.field = binding.box->text().toStdString();
  }
  for (const OptionBinding& binding : options_) {
    bench_.inputs.*binding.field = binding.button->isChecked();
  }
}

void MainForm::WriteInputs() {
  for (const TextBinding& binding : texts_) {
    const QString text = Q(bench_.inputs.*binding.field);
    if (binding.box->text() != text) binding.box->setText(text);
  }
  for (const OptionBinding& binding : options_) {
    const bool checked = bench_.inputs.*binding.field;
    if (binding.button->isChecked() != checked) binding.button->setChecked(checked);
  }
}

// ---------------------------------------------------------------------------------------------
// UserInterface

void MainForm::ShowMessage(const std::string& text, MessageIcon icon) {
  dialogs_->Message(this, Q(text), icon, {});
}

void MainForm::ProcessEvents() {
  // Show what a study wrote into the inputs, let the window run, and take back whatever the
  // user typed meanwhile: the inputs in the window are the ones the next solve reads.
  WriteInputs();
  QCoreApplication::processEvents();
  ReadInputs();
}

void MainForm::UpdateErrorLabels() {
  const Experiment* experiment = bench_.CurrentExperiment();
  if (experiment == nullptr) return;
  const ErrorLabelTexts texts = ErrorLabels(experiment->absErrorU, experiment->relErrorU,
                                            experiment->absErrorEh, experiment->relErrorEh);
  lblError_[1]->setText(Q(texts.absoluteU));
  lblError_[3]->setText(Q(texts.relativeU));
  lblError_[5]->setText(Q(texts.absoluteEh));
  lblError_[7]->setText(Q(texts.relativeEh));
}

void MainForm::UpdatePeriodLabels() {
  const Experiment* experiment = bench_.CurrentExperiment();
  std::optional<double> experimentMass;
  if (experiment != nullptr) experimentMass = experiment->mass;
  const PeriodLabelTexts texts = PeriodLabels(bench_.inputs, experimentMass);
  lblT_[1]->setText(Q(texts.elastic));
  lblT_[3]->setText(Q(texts.plastic));
}

void MainForm::UpdateGraph(int32_t pointCount, bool updateTitles) {
  ++graphUpdateCount_;
  // While hidden, the graph window keeps the box's size, so that it opens at it.
  if (!graphWindow_->isVisible()) graphWindow_->SetSurfaceSize(picBoucWen_->size());
  PrepareBoxSurface();
  // Nothing is drawn without a selected experiment and quantities: the box keeps its picture.
  if (!quarvel::UpdateGraph(graphWindow_->GraphModel(), bench_, pointCount, updateTitles)) return;
  ShowDrawnGraph();
}

void MainForm::PrepareBoxSurface() {
  const int width = std::max(picBoucWen_->width(), 1);
  const int height = std::max(picBoucWen_->height(), 1);
  if (!canvas_) {
    canvas_ = std::make_unique<QImageCanvas>(width, height);
  } else if (canvas_->Width() != width || canvas_->Height() != height) {
    canvas_->Resize(width, height);
  }
  // The graph's fonts are sized in points: 1440 twips per inch at the screen's resolution.
  canvas_->SetTwipsPerPixel(1440.0 / std::max(picBoucWen_->logicalDpiY(), 1));
  graphWindow_->GraphModel().SetSurface(canvas_.get());
}

void MainForm::ShowDrawnGraph() {
  picBoucWen_->SetImage(canvas_->Image());
  graphWindow_->RedrawIfShown();
}

void MainForm::DrawPlaybackFrame(int32_t k) {
  PrepareBoxSurface();
  if (!UpdatePlaybackFrame(graphWindow_->GraphModel(), bench_, k)) return;
  ShowDrawnGraph();
}

void MainForm::ShowProgress(int32_t k, int32_t sampleCount) {
  lblProgressDataPoints_->setText(Q(ProgressText(k, sampleCount)));
}

void MainForm::ShowGraphWindow() { graphWindow_->ShowWithSurfaceSize(picBoucWen_->size()); }

// ---------------------------------------------------------------------------------------------
// Experiment list and display

void MainForm::RefillExperimentList(int32_t xQuantity, int32_t yQuantity) {
  SuppressedReactions guard(bench_.reactionGuard);
  FillExperimentList(xQuantity, yQuantity);
}

void MainForm::FillExperimentList(int32_t xQuantity, int32_t yQuantity) {
  cboExperiment_->clear();
  for (const Experiment& experiment : bench_.experiments.Records()) {
    cboExperiment_->addItem(Q(experiment.name));
  }
  cboExperiment_->setCurrentIndex(0);
  cboGraphX_->setCurrentIndex(xQuantity);
  cboGraphY_->setCurrentIndex(yQuantity);
  bench_.SelectFirst(xQuantity, yQuantity);
}

void MainForm::ShowExperimentDetails() {
  const int k = cboExperiment_->currentIndex() + 1;
  if (k < 1 || k > bench_.experiments.Count()) return;
  const std::array<ExperimentLabel, 9> labels = UpdateLabels(bench_.experiments.At(k));
  for (int i = 0; i < 9; ++i) lblExpValue_[i]->setText(Q(labels[i].value));
}

void MainForm::ShowNewExperiments(int32_t xQuantity, int32_t yQuantity) {
  RefillExperimentList(xQuantity, yQuantity);
  ShowExperimentDetails();
  Solve();
}

void MainForm::ResetDisplay() {
  for (QLabel* value : lblExpValue_) value->clear();
  {
    SuppressedReactions guard(bench_.reactionGuard);
    cboExperiment_->clear();
    cboExperiment_->setCurrentIndex(-1);
    cboGraphX_->setCurrentIndex(-1);
    cboGraphY_->setCurrentIndex(-1);
    hScroll_->setValue(0);
  }
  bench_.currentExperiment = 0;
  bench_.graphXQuantity = -1;
  bench_.graphYQuantity = -1;
  picBoucWen_->Clear();
  graphWindow_->ClearGraph();
  lblProgressDataPoints_->clear();
}

void MainForm::OnExperimentSelected(int index) {
  if (bench_.reactionGuard.IsSet()) return;
  if (busy_) {
    // A selection made while a command runs would change the experiment under it.
    SuppressedReactions guard(bench_.reactionGuard);
    cboExperiment_->setCurrentIndex(bench_.currentExperiment - 1);
    return;
  }
  if (index < 0) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  ShowExperimentDetails();
  bench_.currentExperiment = index + 1;
  Solve();
}

void MainForm::OnGraphQuantitySelected(int32_t Workbench::*quantity, int index) {
  if (bench_.reactionGuard.IsSet()) return;
  // Only a redraw follows, which is safe at any time: the results are complete whenever the
  // window gets to run.
  bench_.*quantity = index;
  if (const Experiment* experiment = bench_.CurrentExperiment()) {
    UpdateGraph(experiment->counter, true);
  }
}

void MainForm::StopPlaybackIfRunning() {
  if (playback_.playing) Stop();
}

void MainForm::Solve() {
  StopPlaybackIfRunning();
  ReadInputs();
  ++solveCount_;
  SolveExperiments(bench_, *this, true, &solvePool_);
  WriteInputs();
}

// ---------------------------------------------------------------------------------------------
// Commands

void MainForm::LoadExperiments() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();

  FileDialogRequest request;
  request.title = "Load file";
  request.filters = QStringList{"Quarvel files (*.quarvel)"};
  request.directory = QCoreApplication::applicationDirPath();
  const std::optional<QString> path = dialogs_->OpenFile(this, request);
  if (!path) return;  // cancelled: the set and the selection stay as they are

  const LoadResult result = LoadExperimentFile(path->toStdString(), bench_.experiments);
  if (!result) {
    dialogs_->Message(this, QString::fromUtf8(kLoadErrorMessage.data(),
                                              static_cast<qsizetype>(kLoadErrorMessage.size())),
                      MessageIcon::Critical, Q(result.Describe()));
    // The set is empty now; the lists must not offer experiments that no longer exist.
    ResetDisplay();
    return;
  }
  if (bench_.experiments.Count() < 1) return;
  ShowNewExperiments(kOtherX, kOtherY);
}

void MainForm::CreateExperiments() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  CreateSineForceExperiments(bench_.experiments);
  ShowNewExperiments(kCreateX, kCreateY);
}

void MainForm::ClearExperiments() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  bench_.experiments.Clear();
  ResetDisplay();
}

void MainForm::CreateSinusoidalDisplacement() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  const std::optional<SinusoidDialogTexts> texts = dialogs_->AskSinusoid(this);
  if (!texts) return;
  const GeneratorResult result = CreateSinusoidalDisplacementExperiment(*texts, bench_.experiments);
  if (!result) {
    dialogs_->Message(this, "The experiment could not be created: " + Q(result.reason) + ".",
                      MessageIcon::Exclamation, {});
    return;
  }
  ShowNewExperiments(kOtherX, kOtherY);
}

void MainForm::CreateProtocolExperiment(DisplacementProtocol protocol) {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  ReadInputs();
  SetDisplacementProtocolExperiment(protocol, Val(bench_.inputs.txtUy), bench_.experiments);
  ShowNewExperiments(kOtherX, kOtherY);
}

void MainForm::SolveNow() {
  if (busy_) return;
  BusyScope busy(busy_);
  Solve();
}

void MainForm::ExportResults() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  if (bench_.experiments.Count() < 1) return;

  FileDialogRequest request;
  request.title = "Export results";
  request.filters = QStringList{"Fixed column text file (*.txt)", "All Files (*.*)"};
  request.directory = QCoreApplication::applicationDirPath();
  request.defaultSuffix = "txt";
  const std::optional<QString> path = dialogs_->SaveFile(this, request);
  if (!path) return;

  ReadInputs();
  const ReportOutcome outcome =
      WriteReport(path->toStdString(), bench_.experiments, bench_.parameters, bench_.inputs.txtMass);
  if (!outcome.ok) {
    dialogs_->Message(this, "The results could not be exported.\n\n" + Q(outcome.error),
                      MessageIcon::Critical, {});
    return;
  }
  const QString editorError = dialogs_->OpenInTextEditor(*path);
  if (!editorError.isEmpty()) {
    dialogs_->Message(this,
                      "The results were written to " + *path + ", but they could not be "
                      "opened in a text editor.\n\n" + editorError,
                      MessageIcon::Exclamation, {});
  }
}

void MainForm::RunLoop() {
  if (busy_) return;
  BusyScope busy(busy_);
  // The study redraws the graph at every value; an animation would only resume on its
  // remains once the study has finished.
  StopPlaybackIfRunning();
  StudyScope study(*this);
  ReadInputs();
  const StudyOutcome outcome = RunLoopCommand(bench_, *this, StudyFolder(), StudyProgressShown());
  WriteInputs();
  if (outcome.Failed()) {
    dialogs_->Message(this, "The parametric study stopped.\n\n" + Q(outcome.message),
                      MessageIcon::Exclamation, {});
  }
}

void MainForm::RunAdvancedLoop() {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  const std::optional<QString> answer =
      dialogs_->InputText(this, kThresholdBoxTitle, kThresholdBoxPrompt, kThresholdBoxDefault);
  const std::optional<double> threshold =
      ReadThresholdAnswer(answer.value_or(QString()).toStdString());
  if (!threshold) return;

  StudyScope study(*this);
  ReadInputs();
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [this](int32_t, const std::string& fileName) {
    statusBar()->showMessage("Advanced loop: " + Q(fileName));
  };
  hooks.onSetLoaded = [this] {
    // The study has set the reaction guard and selected the first experiment.
    FillExperimentList(bench_.graphXQuantity, bench_.graphYQuantity);
    ShowExperimentDetails();
  };
  hooks.progress = StudyProgressShown();
  // Escape ends the series before its next file. Each file's study clears the core's request
  // when it starts, so an Escape pressed while a file is being loaded and solved is kept here.
  escapePressed_ = false;
  hooks.stopRequested = [this] { return escapePressed_ || bench_.loopAbortRequested; };
  const AdvancedStudyOutcome outcome =
      quarvel::RunAdvancedLoop(bench_, *this, StudyFolder(), *threshold, hooks);
  WriteInputs();
  // A file of the series that failed to load leaves an empty set behind.
  if (bench_.experiments.Count() < 1) ResetDisplay();
  if (outcome.Failed()) {
    QString problems;
    for (const std::string& problem : outcome.problems) problems += Q(problem) + "\n";
    dialogs_->Message(this,
                      QString("The advanced loop met %1 problem(s); the other files were "
                              "studied.\n\n%2")
                          .arg(outcome.problems.size())
                          .arg(Q(outcome.problems.front())),
                      MessageIcon::Exclamation, problems.trimmed());
  }
}

std::string MainForm::StudyFolder() const {
  if (!studyFolder_.isEmpty()) return studyFolder_.toStdString();
  return QCoreApplication::applicationDirPath().toStdString();
}

StudyProgressObserver MainForm::StudyProgressShown() {
  return [this](const StudyProgress& progress) {
    statusBar()->showMessage(QString("Study: value %1 of %2 (x = %3). Press Esc to stop.")
                                 .arg(progress.index + 1)
                                 .arg(progress.count)
                                 .arg(Q(FormatDefault(progress.x))));
  };
}

void MainForm::ShowAbout() { dialogs_->ShowAbout(this); }

void MainForm::OnStudyOptionClicked(StudyOption option) {
  ReadInputs();
  ClickStudyOption(bench_.inputs, option);
  WriteInputs();
}

// ---------------------------------------------------------------------------------------------
// Playback

void MainForm::Play() {
  // The loop delivers the window's events, a second Play among them: that one is ignored, as is
  // a Play while another command runs below the event loop.
  if (playback_.playing || busy_) return;
  if (bench_.experiments.Count() < 1 || bench_.CurrentExperiment() == nullptr) return;

  bench_.reactionGuard.MessUp();
  playback_.stopRequested = false;
  playback_.pauseRequested = false;
  playback_.playing = true;
  cmdPause_->setEnabled(true);
  cmdStop_->setEnabled(true);
  playback_.playSpeedSetting = slider_->value();
  // From the end of the record, play starts again from the beginning (the scroll reaction
  // shows sample 0).
  if (hScroll_->value() >= kRestartScrollPosition) hScroll_->setValue(0);

  const Experiment* experiment = bench_.CurrentExperiment();
  playback_.playStart =
      PlayStartForScroll(clock_->SecondsSinceMidnight(), hScroll_->value(), experiment->counter,
                         experiment->timeStep, slider_->value());
  // No sleeping: every turn shows the sample the clock has reached, so slow drawing skips
  // samples instead of slowing the record down.
  do {
    // A command run from the events below may have replaced or emptied the set.
    experiment = bench_.CurrentExperiment();
    if (experiment == nullptr) break;
    const int32_t n = experiment->counter;
    const double dt = experiment->timeStep;
    const int32_t k =
        AdvancePlayback(playback_, clock_->SecondsSinceMidnight(), slider_->value(), dt);
    // The end of the record (a record without a positive time step has none to play): the
    // last frame stays.
    if (k > n || !(dt > 0.0)) break;
    if (k >= 1) {
      {
        SuppressedReactions guard(bench_.reactionGuard);
        hScroll_->setValue(ScrollPositionOfSample(k, n));
      }
      DrawPlaybackFrame(k);
      ShowProgress(k, n);
    }
    QCoreApplication::processEvents();
    if (playback_.stopRequested) break;
  } while (!playback_.pauseRequested);

  playback_.playing = false;
  cmdPause_->setEnabled(false);
  cmdStop_->setEnabled(false);
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void MainForm::Pause() {
  playback_.pauseRequested = true;
  cmdPlay_->setFocus();
}

void MainForm::Stop() {
  playback_.stopRequested = true;
  if (bench_.experiments.Count() < 1) return;
  {
    SuppressedReactions guard(bench_.reactionGuard);
    hScroll_->setValue(0);
  }
  if (const Experiment* experiment = bench_.CurrentExperiment()) {
    UpdateGraph(experiment->counter, true);
  }
}

void MainForm::OnScrolled(int position) {
  if (bench_.reactionGuard.IsSet() || bench_.experiments.Count() < 1) return;
  const Experiment* experiment = bench_.CurrentExperiment();
  if (experiment == nullptr) return;
  const int32_t k = SampleOfScrollPosition(position, experiment->counter);
  DrawPlaybackFrame(k);
  ShowProgress(k, experiment->counter);
  // A running loop continues from the new position.
  if (playback_.playing) {
    playback_.playStart = PlayStartForSample(clock_->SecondsSinceMidnight(), k,
                                             experiment->timeStep, slider_->value());
  }
}

void MainForm::OnSpeedChanged(int sliderValue) {
  // Keeps the record time reached and changes only the pace.
  if (bench_.reactionGuard.IsSet() || !playback_.playing) return;
  ChangePlaybackSpeed(playback_, sliderValue);
}

// ---------------------------------------------------------------------------------------------
// Window events

void MainForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    bench_.loopAbortRequested = true;
    escapePressed_ = true;
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainForm::closeEvent(QCloseEvent* event) {
  // A study still running below this event ends after its current value, an advanced loop
  // before its next file.
  bench_.loopAbortRequested = true;
  escapePressed_ = true;
  if (playback_.playing) {
    // The play loop runs below this event: it is stopped, and the window closes once the loop
    // has returned rather than under it.
    StopPlaybackIfRunning();
    closePending_ = true;
    event->ignore();
    return;
  }
  graphWindow_->hide();
  event->accept();
}

}  // namespace quarvel::app
