#include "app/main_form_layout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <initializer_list>

#include "app/graph_box.h"
#include "app/legend_sample.h"
#include "display/quantities.h"
#include "display/response_graph.h"
#include "experiments/experiment_labels.h"

namespace quarvel::app {

namespace {

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

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Builds the frames one by one, recording the controls to wire.
class Builder {
 public:
  explicit Builder(MainFormControls& controls) : c_(controls) {}

  QWidget* SystemParameters();
  QWidget* SolutionMethod();
  QWidget* Parametric();
  QWidget* Excitation();
  QWidget* Display();
  QWidget* MaximumError();
  QWidget* Periods();
  QLayout* Commands();
  // The Periods frame with the buttons of the windows beyond the first form beside it, where
  // the frame's two lines leave room: no control moves and the window grows no taller.
  QWidget* PeriodsAndMoreWindows();
  QWidget* Legend();
  QWidget* Simulation();

 private:
  QLineEdit* TextBox(const char* objectName, std::string MainWindowInputs::*field);
  QAbstractButton* Option(const char* objectName, const char* caption,
                          bool MainWindowInputs::*field);
  template <std::size_t N>
  QWidget* CaptionValueFrame(const char* objectName, const char* title,
                             std::initializer_list<const char*> captions,
                             std::array<QLabel*, N>& labels, const char* prefix);

  MainFormControls& c_;
};

QLineEdit* Builder::TextBox(const char* objectName, std::string MainWindowInputs::*field) {
  auto* box = new QLineEdit;
  box->setObjectName(objectName);
  box->setMinimumWidth(50);
  box->setMaximumWidth(90);
  c_.texts.push_back({box, field});
  return box;
}

QAbstractButton* Builder::Option(const char* objectName, const char* caption,
                                 bool MainWindowInputs::*field) {
  QAbstractButton* button = nullptr;
  if (QString(objectName).startsWith("chk")) {
    button = new QCheckBox(caption);
  } else {
    button = new QRadioButton(caption);
  }
  button->setObjectName(objectName);
  c_.options.push_back({button, field});
  return button;
}

QWidget* Builder::SystemParameters() {
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
    QLineEdit* box = TextBox(row.name, row.field);
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
  auto* all = Option("optALLREV", "All Reversal Points", &MainWindowInputs::optALLREV);
  auto* last =
      Option("optReversalLast", "Last Reversal point", &MainWindowInputs::optReversalLast);
  auto* max = Option("optReversalMax", "Max U Reversal point", &MainWindowInputs::optReversalMax);
  auto* lastAndMax = Option("optReversalLastAndMax", "Last + Max U Reversal point",
                            &MainWindowInputs::optReversalLastAndMax);
  for (QAbstractButton* option : {all, last, max, lastAndMax}) reversal->addButton(option);
  auto* rules = new QGridLayout;
  rules->addWidget(all, 0, 0);
  rules->addWidget(last, 0, 1);
  rules->addWidget(max, 1, 0);
  rules->addWidget(lastAndMax, 1, 1);
  const int next = (index + 1) / 2;
  grid->addLayout(rules, next, 0, 1, 4);
  grid->addWidget(Option("chkWithinUnloadingBranch",
                         "Do not update reversal point if within dominance zone",
                         &MainWindowInputs::chkWithinUnloadingBranch),
                  next + 1, 0, 1, 4);
  return frame;
}

QWidget* Builder::SolutionMethod() {
  auto* frame = Frame("frameSolutionMethod", "Solution Method");
  auto* grid = new QGridLayout(frame);
  auto* group = new QButtonGroup(frame);
  auto* euler = Option("optSolutionEuler", "Euler", &MainWindowInputs::optSolutionEuler);
  auto* eulerDoubling = Option("optSolutionEulerStepDoubling", "Euler (step doubling)",
                               &MainWindowInputs::optSolutionEulerStepDoubling);
  auto* rk = Option("optSolutionRK45", "Runge-Kutta", &MainWindowInputs::optSolutionRK45);
  auto* rkDoubling = Option("optSolutionRKStepDoubling", "RK Step Doubling",
                            &MainWindowInputs::optSolutionRKStepDoubling);
  for (QAbstractButton* option : {euler, eulerDoubling, rk, rkDoubling}) group->addButton(option);

  QLineEdit* steps = TextBox("txtSolutionEulerSteps", &MainWindowInputs::txtSolutionEulerSteps);
  steps->setMaximumWidth(60);
  grid->addWidget(euler, 0, 0);
  grid->addWidget(steps, 0, 1);
  grid->addWidget(Label("step(s)"), 0, 2);
  grid->addWidget(eulerDoubling, 1, 0);
  grid->addWidget(rk, 2, 0);
  grid->addWidget(rkDoubling, 3, 0);
  auto* epsLabel = Label("Eps :");
  QLineEdit* eps = TextBox("txtEps1", &MainWindowInputs::txtEps1);
  epsLabel->setBuddy(eps);
  auto* epsRow = new QHBoxLayout;
  epsRow->addWidget(epsLabel);
  epsRow->addWidget(eps);
  grid->addLayout(epsRow, 1, 1, 1, 2);
  grid->setColumnStretch(0, 1);
  return frame;
}

QWidget* Builder::Parametric() {
  auto* frame = Frame("frameParametric", "Parametric");
  auto* layout = new QVBoxLayout(frame);

  auto* range = new QHBoxLayout;
  const std::pair<const char*, std::pair<const char*, std::string MainWindowInputs::*>> boxes[] =
      {{"From :", {"txtFrom", &MainWindowInputs::txtFrom}},
       {"To :", {"txtTo", &MainWindowInputs::txtTo}},
       {"Step :", {"txtStep", &MainWindowInputs::txtStep}}};
  for (const auto& [label, box] : boxes) {
    QLineEdit* edit = TextBox(box.first, box.second);
    edit->setMinimumWidth(45);
    auto* caption = Label(label);
    caption->setBuddy(edit);
    range->addWidget(caption);
    range->addWidget(edit, 1);
  }
  layout->addLayout(range);

  auto* vary = new QButtonGroup(frame);
  auto* varyMass = Option("optVaryMass", "Mass", &MainWindowInputs::optVaryMass);
  auto* varyElastic = Option("optVaryElasticPeriod", "Elastic Period",
                             &MainWindowInputs::optVaryElasticPeriod);
  auto* varyPlastic = Option("optVaryPlasticPeriod", "Plastic Period",
                             &MainWindowInputs::optVaryPlasticPeriod);
  auto* change = new QButtonGroup(frame);
  auto* changeMass = Option("optChangeMass", "Mass", &MainWindowInputs::optChangeMass);
  auto* changeFy = Option("optChangeFy", "Fy", &MainWindowInputs::optChangeFy);
  auto* changeUy = Option("optChangeUy", "Uy", &MainWindowInputs::optChangeUy);

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
  c_.studyOptions = {{varyMass, StudyOption::VaryMass},
                     {varyElastic, StudyOption::VaryElasticPeriod},
                     {varyPlastic, StudyOption::VaryPlasticPeriod},
                     {changeMass, StudyOption::ChangeMass},
                     {changeFy, StudyOption::ChangeFy},
                     {changeUy, StudyOption::ChangeUy}};

  auto* loops = new QHBoxLayout;
  c_.cmdLoop = Button("cmdLoop", "Loop");
  c_.cmdExLoop = Button("cmdExLoop", "Advanced Loop");
  loops->addWidget(c_.cmdLoop);
  loops->addWidget(c_.cmdExLoop);
  layout->addLayout(loops);

  // The folder the studies write into and take the advanced loop's series from.
  auto* folder = new QHBoxLayout;
  c_.txtResultsFolder = new QLineEdit;
  c_.txtResultsFolder->setObjectName("txtResultsFolder");
  c_.txtResultsFolder->setReadOnly(true);
  c_.txtResultsFolder->setMinimumWidth(60);
  c_.cmdBrowseResultsFolder = Button("cmdBrowseResultsFolder", "Browse...");
  auto* caption = Label("Results :", "lblResultsFolder");
  caption->setBuddy(c_.txtResultsFolder);
  folder->addWidget(caption);
  folder->addWidget(c_.txtResultsFolder, 1);
  folder->addWidget(c_.cmdBrowseResultsFolder);
  layout->addLayout(folder);
  return frame;
}

QWidget* Builder::Excitation() {
  auto* frame = Frame("frameExcitation", "Excitation");
  auto* grid = new QGridLayout(frame);
  c_.cmdLoadExperiments = Button("cmdLoadExperiments", "Load");
  c_.cmdCreateExperiment = Button("cmdCreateExperiment", "Create");
  c_.cmdClearExperiments = Button("cmdClearExperiments", "Clear");
  c_.cmdDCSinusoidal = Button("cmdDCSinusoidal", "Create Sinusoidal Displ.-Controlled");
  c_.command1 = Button("Command1", "DC 1");
  c_.command2 = Button("Command2", "DC 2");
  grid->addWidget(c_.cmdLoadExperiments, 0, 0);
  grid->addWidget(c_.cmdCreateExperiment, 0, 1);
  grid->addWidget(c_.cmdClearExperiments, 0, 2);
  grid->addWidget(c_.cmdDCSinusoidal, 1, 0, 1, 3);
  auto* protocols = new QHBoxLayout;
  protocols->addWidget(c_.command1);
  protocols->addWidget(c_.command2);
  grid->addLayout(protocols, 2, 0, 1, 3);
  return frame;
}

QWidget* Builder::Display() {
  auto* frame = Frame("frameDisplay", "Display");
  auto* grid = new QGridLayout(frame);

  auto makeList = [](const char* name) {
    auto* list = new QComboBox;
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
    return list;
  };
  c_.cboExperiment = makeList("cboExperiment");
  c_.cboGraphX = makeList("cboGraphX");
  c_.cboGraphY = makeList("cboGraphY");
  for (QComboBox* list : {c_.cboGraphX, c_.cboGraphY}) {
    for (const Quantity& quantity : kQuantities) list->addItem(Latin1(quantity.listEntry));
    list->setCurrentIndex(-1);
  }
  // Generated experiments have long names: the experiment list takes the frame's whole width
  // under its caption.
  auto* experimentLabel = Label("Experiment :");
  experimentLabel->setBuddy(c_.cboExperiment);
  grid->addWidget(experimentLabel, 0, 0, 1, 2);
  grid->addWidget(c_.cboExperiment, 1, 0, 1, 2);
  const std::pair<const char*, QComboBox*> lists[] = {{"Graph X Axis :", c_.cboGraphX},
                                                      {"Graph Y Axis :", c_.cboGraphY}};
  int row = 2;
  for (const auto& [caption, list] : lists) {
    auto* label = Label(caption);
    label->setBuddy(list);
    grid->addWidget(label, row, 0);
    grid->addWidget(list, row, 1);
    ++row;
  }

  // The details panel: captions are fixed, values follow the selected experiment.
  const std::array<ExperimentLabel, 9> captions = UpdateLabels(Experiment{});
  auto* details = new QGridLayout;
  details->setVerticalSpacing(2);
  for (int i = 0; i < 9; ++i) {
    c_.lblExp[i] = Label(captions[i].caption.c_str(), QString("lblExp_%1").arg(i + 1));
    c_.lblExpValue[i] = Label("", QString("lblExpValue_%1").arg(i + 1));
    c_.lblExpValue[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (i < kExperimentLabelToolTipCount) {
      const QString tip = QString::fromUtf8(kExperimentLabelToolTip.data(),
                                            static_cast<qsizetype>(kExperimentLabelToolTip.size()));
      c_.lblExp[i]->setToolTip(tip);
      c_.lblExpValue[i]->setToolTip(tip);
    }
    details->addWidget(c_.lblExp[i], i, 0);
    details->addWidget(c_.lblExpValue[i], i, 1);
  }
  details->setColumnStretch(1, 1);
  grid->addLayout(details, row, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return frame;
}

// A frame of caption / value label pairs, one pair per row: labels[2k] shows captions[k] and
// labels[2k + 1] the value, named "<prefix>_<index>".
template <std::size_t N>
QWidget* Builder::CaptionValueFrame(const char* objectName, const char* title,
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

QWidget* Builder::MaximumError() {
  return CaptionValueFrame("frameMaximumError", "Maximum Error",
                           {"Absolute U :", "Relative U :", "Absolute Eh :", "Relative Eh :"},
                           c_.lblError, "lblError");
}

QWidget* Builder::Periods() {
  return CaptionValueFrame("framePeriods", "Periods (s)", {"T elastic :", "T plastic :"}, c_.lblT,
                           "lblT");
}

QLayout* Builder::Commands() {
  c_.cmdSolve = Button("cmdSolve", "Solve Now");
  c_.cmdExportResults = Button("cmdExportResults", "Export Results");
  c_.cmdAbout = Button("cmdAbout", "About Quarvel");
  auto* commands = new QGridLayout;
  commands->addWidget(c_.cmdSolve, 0, 0);
  commands->addWidget(c_.cmdExportResults, 0, 1);
  c_.cmdLoops = Button("cmdLoops", "Loops");
  commands->addWidget(c_.cmdLoops, 1, 0);
  commands->addWidget(c_.cmdAbout, 1, 1);
  return commands;
}

QWidget* Builder::PeriodsAndMoreWindows() {
  c_.cmdByPeriod = Button("cmdByPeriod", "By Period...");
  c_.cmdByPeriod->setToolTip("Fills Mass, c, Fy and Uy from a period, a damping ratio and a "
                             "strength ratio");
  c_.cmdSpectra = Button("cmdSpectra", "Spectra...");
  c_.cmdSpectra->setToolTip("Response spectra of both models over the loaded records");
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(c_.cmdByPeriod);
  buttons->addWidget(c_.cmdSpectra);
  buttons->addStretch();
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(Periods(), 1);
  row->addLayout(buttons);
  auto* both = new QWidget;
  both->setLayout(row);
  return both;
}

QWidget* Builder::Simulation() {
  auto* frame = Frame("frameSimulationControl", "Simulation");
  auto* grid = new QGridLayout(frame);

  c_.cmdPlay = Button("cmdPlay", "Play");
  c_.cmdPause = Button("cmdPause", "Pause");
  c_.cmdStop = Button("cmdStop", "Stop");
  c_.cmdPause->setEnabled(false);
  c_.cmdStop->setEnabled(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(c_.cmdPlay);
  buttons->addWidget(c_.cmdPause);
  buttons->addWidget(c_.cmdStop);
  grid->addLayout(buttons, 0, 0);

  c_.slider = new QSlider(Qt::Horizontal);
  c_.slider->setObjectName("Slider");
  c_.slider->setRange(-9, 9);
  c_.slider->setValue(0);
  c_.slider->setTickPosition(QSlider::TicksBelow);
  c_.slider->setTickInterval(1);
  c_.slider->setPageStep(1);
  c_.slider->setMinimumWidth(140);
  auto* speed = new QGridLayout;
  speed->setVerticalSpacing(0);
  speed->addWidget(Label("Simulation speed:", "lblSimulationSpeed"), 0, 0, 2, 1);
  speed->addWidget(c_.slider, 0, 1, 1, 3);
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

  c_.hScroll = new QScrollBar(Qt::Horizontal);
  c_.hScroll->setObjectName("HScroll");
  c_.hScroll->setRange(0, 1000);
  c_.hScroll->setMinimumWidth(160);
  c_.lblProgressDataPoints = Label("", "lblProgressDataPoints");
  c_.lblProgressDataPoints->setMinimumWidth(90);
  auto* progress = new QHBoxLayout;
  progress->addWidget(Label("Displaying:", "lblSimulationProgress"));
  progress->addWidget(Label("0%", "lblZero"));
  progress->addWidget(c_.hScroll, 1);
  progress->addWidget(Label("100%", "lblHudred"));
  progress->addWidget(c_.lblProgressDataPoints);
  grid->addLayout(progress, 1, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return frame;
}

QWidget* Builder::Legend() {
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

// A column of fixed width: the width its contents need.
QWidget* Column(std::initializer_list<QWidget*> frames, QLayout* last = nullptr) {
  auto* layout = new QVBoxLayout;
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* frame : frames) layout->addWidget(frame);
  if (last != nullptr) layout->addLayout(last);
  layout->addStretch();
  auto* column = new QWidget;
  column->setLayout(layout);
  column->setFixedWidth(column->minimumSizeHint().width());
  return column;
}

}  // namespace

QWidget* BuildMainFormLayout(MainFormControls& controls) {
  Builder build(controls);
  QWidget* left = Column({build.SystemParameters(), build.SolutionMethod(), build.Parametric()});

  controls.picBoucWen = new GraphBox;
  controls.picBoucWen->setObjectName("picBoucWen");
  auto* middle = new QVBoxLayout;
  middle->addWidget(controls.picBoucWen, 1);
  middle->addWidget(build.Legend());
  middle->addWidget(build.Simulation());

  QWidget* right = Column(
      {build.Excitation(), build.Display(), build.MaximumError(), build.PeriodsAndMoreWindows()},
      build.Commands());

  auto* central = new QWidget;
  auto* columns = new QHBoxLayout(central);
  columns->addWidget(left);
  columns->addLayout(middle, 1);
  columns->addWidget(right);
  return central;
}

}  // namespace quarvel::app
