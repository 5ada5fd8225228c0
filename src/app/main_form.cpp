#include "app/main_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTime>

#include <algorithm>
#include <exception>
#include <new>

#include "app/app_info.h"
#include "app/by_period_window.h"
#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app/loops_window.h"
#include "app/qt_dialogs.h"
#include "app/record_dialog.h"
#include "app/study_summary.h"
#include "display/response_graph.h"
#include "experiments/experiment_file.h"
#include "experiments/experiment_labels.h"
#include "io/file_reader.h"
#include "records/record_file.h"
#include "graph/qt/qimage_canvas.h"
#include "report/report_writer.h"
#include "solve/labels.h"
#include "solve/reaction_guard.h"
#include "solve/time_left.h"
#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"
#include "text/number_text.h"

namespace quarvel::app {

namespace {

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

PlaybackRecord RecordOf(const Experiment& experiment) {
  return PlaybackRecord{experiment.counter, experiment.timeStep};
}

// Work that ends sooner shows no progress, so that quick solves do not make the window flicker.
constexpr int kProgressDelayMs = 300;
constexpr int kProgressIntervalMs = 100;
// The time left follows the pace of the work's last seconds: a long solve can slow down as it
// goes (the modified pass of a displacement-controlled record is many times slower than the
// original), and a study's values differ.
constexpr double kPaceSeconds = 10.0;

}  // namespace

// Marks a command as running for its lifetime.
class MainForm::BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

// While long work runs (a solve, a study): the commands that would change the set, its results
// or what the display shows of them are disabled (the text boxes stay open: a study reads them
// at every value), and after a moment the status bar shows the progress with Cancel and the
// pointer says the window is busy. Scopes nest; the outermost one does this.
class MainForm::WorkScope {
 public:
  explicit WorkScope(MainForm& form) : form_(form) {
    if (form_.workDepth_++ > 0) return;
    for (const char* name : kBlockedWhileWorking) {
      auto* widget = form_.findChild<QWidget*>(name);
      if (widget != nullptr && widget->isEnabled()) {
        widget->setEnabled(false);
        disabled_.push_back(widget);
      }
    }
    form_.studyIndex_ = -1;
    form_.studyCount_ = 0;
    form_.workClock_.start();
    form_.progressTimer_.start();
  }
  ~WorkScope() {
    if (--form_.workDepth_ > 0) return;
    for (QWidget* widget : disabled_) widget->setEnabled(true);
    form_.progressTimer_.stop();
    if (form_.workProgress_->isVisible()) QGuiApplication::restoreOverrideCursor();
    form_.workProgress_->hide();
    form_.cmdCancelWork_->hide();
    form_.statusBar()->clearMessage();
  }
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;

 private:
  static constexpr const char* kBlockedWhileWorking[] = {
      "frameExcitation", "frameDisplay", "frameSimulationControl", "cmdSolve",
      "cmdExportResults", "cmdLoop", "cmdExLoop", "cmdBrowseResultsFolder", "cmdLoops",
      "cmdApplyByPeriod"};
  MainForm& form_;
  std::vector<QWidget*> disabled_;
};

MainForm::MainForm(std::unique_ptr<Dialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
  if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>();
  clock_ = std::make_unique<SystemPlaybackClock>();
  setObjectName("MainForm");
  setWindowTitle(kMainWindowCaption);
  graph_.SetGraphDefaults();
  graphWindow_ = new GraphWindow(*dialogs_, graph_, bench_, playback_, this);
  loopsWindow_ = new LoopsWindow(bench_, this);
  byPeriodWindow_ = new ByPeriodWindow(bench_, [this] { WriteInputs(); }, this);
  spectraWindow_ = new SpectraWindow(bench_, *this, *dialogs_, this);

  setCentralWidget(BuildMainFormLayout(controls_));
  statusBar()->setSizeGripEnabled(true);
  workProgress_ = new QProgressBar;
  workProgress_->setObjectName("progressWork");
  workProgress_->setRange(0, 1000);  // thousandths of the work
  workProgress_->setMinimumWidth(320);
  cmdCancelWork_ = new QPushButton("Cancel");
  cmdCancelWork_->setObjectName("cmdCancelWork");
  cmdCancelWork_->setAutoDefault(false);
  statusBar()->addPermanentWidget(workProgress_);
  statusBar()->addPermanentWidget(cmdCancelWork_);
  workProgress_->hide();
  cmdCancelWork_->hide();
  progressTimer_.setInterval(kProgressIntervalMs);
  connect(&progressTimer_, &QTimer::timeout, this, &MainForm::ShowWorkProgress);
  connect(cmdCancelWork_, &QPushButton::clicked, this, &MainForm::CancelWork);
  SetResultsFolderPlaces(ResultsFolderPlaces::Default());
  WireCommands();
  WireInputs();
  WireLists();
  WirePlayback();

  WriteInputs();
  resize(OpeningSize());
}

MainForm::~MainForm() {
  monitor_.Cancel();  // a solve still running ends soon; the pool waits for it as it goes
  // The graph window refers to the dialogs, the graph and the playback, which go before the
  // window's children.
  delete graphWindow_;
}

QSize MainForm::OpeningSize() const {
  QSize size = kPreferredSize;
  if (const QScreen* shown = screen()) {
    size = size.boundedTo(shown->availableGeometry().size() - kFrameAllowance);
  }
  return size.expandedTo(minimumSizeHint());
}

void MainForm::SetPlaybackClock(std::unique_ptr<PlaybackClock> clock) {
  if (clock) clock_ = std::move(clock);
}

// ---------------------------------------------------------------------------------------------
// Wiring

void MainForm::WireCommands() {
  const MainFormControls& c = controls_;
  const std::pair<QPushButton*, std::function<void()>> commands[] = {
      {c.cmdLoadExperiments, [this] { LoadExperiments(); }},
      {c.cmdCreateExperiment, [this] { CreateExperiments(); }},
      {c.cmdClearExperiments, [this] { ClearExperiments(); }},
      {c.cmdDCSinusoidal, [this] { CreateSinusoidalDisplacement(); }},
      {c.command1, [this] { CreateProtocolExperiment(DisplacementProtocol::Dc1); }},
      {c.command2, [this] { CreateProtocolExperiment(DisplacementProtocol::Dc2); }},
      {c.cmdSolve, [this] { SolveNow(); }},
      {c.cmdExportResults, [this] { ExportResults(); }},
      {c.cmdLoop, [this] { RunLoop(); }},
      {c.cmdExLoop, [this] { RunAdvancedLoop(); }},
  };
  for (const auto& [button, command] : commands) {
    connect(button, &QPushButton::clicked, this,
            [this, button = button, command = command] {
              RunCommand(button->text().remove('&'), command);
            });
  }
  connect(c.cmdAbout, &QPushButton::clicked, this, &MainForm::ShowAbout);
  connect(c.cmdBrowseResultsFolder, &QPushButton::clicked, this, &MainForm::BrowseResultsFolder);
  connect(c.cmdLoops, &QPushButton::clicked, this, [this] {
    if (busy_) return;  // a running command may be rewriting the results
    RunGuarded(controls_.cmdLoops->text().remove('&'), [this] {
      loopsWindow_->Refresh();
      loopsWindow_->show();
      loopsWindow_->raise();
    });
  });
  connect(c.cmdByPeriod, &QPushButton::clicked, this, [this] {
    byPeriodWindow_->show();
    byPeriodWindow_->raise();
  });
  connect(c.cmdSpectra, &QPushButton::clicked, this, [this] {
    if (!spectraWindow_->isVisible() && !busy_) spectraWindow_->Refresh();
    spectraWindow_->show();
    spectraWindow_->raise();
  });
}

void MainForm::WireInputs() {
  for (const TextBinding& binding : controls_.texts) {
    connect(binding.box, &QLineEdit::textChanged, this,
            [this, field = binding.field](const QString& text) {
              bench_.inputs.*field = text.toStdString();
            });
  }
  for (const OptionBinding& binding : controls_.options) {
    connect(binding.button, &QAbstractButton::toggled, this,
            [this, field = binding.field](bool checked) { bench_.inputs.*field = checked; });
  }
  for (const auto& [button, option] : controls_.studyOptions) {
    connect(button, &QAbstractButton::clicked, this,
            [this, option = option] { OnStudyOptionClicked(option); });
  }
}

void MainForm::WireLists() {
  QComboBox* experiments = controls_.cboExperiment;
  connect(experiments, &QComboBox::currentIndexChanged, this, &MainForm::OnExperimentSelected);
  // The whole name of the selected experiment, also where the list is too narrow for it.
  connect(experiments, &QComboBox::currentTextChanged, experiments, &QWidget::setToolTip);
  connect(controls_.cboGraphX, &QComboBox::currentIndexChanged, this, [this](int index) {
    OnGraphQuantitySelected(&Workbench::graphXQuantity, index);
  });
  connect(controls_.cboGraphY, &QComboBox::currentIndexChanged, this, [this](int index) {
    OnGraphQuantitySelected(&Workbench::graphYQuantity, index);
  });
  connect(controls_.picBoucWen, &GraphBox::Resized, this, &MainForm::RedrawGraph);
  connect(controls_.picBoucWen, &GraphBox::DoubleClicked, this, &MainForm::ShowGraphWindow);
}

void MainForm::WirePlayback() {
  connect(controls_.cmdPlay, &QPushButton::clicked, this, &MainForm::Play);
  connect(controls_.cmdPause, &QPushButton::clicked, this, &MainForm::Pause);
  connect(controls_.cmdStop, &QPushButton::clicked, this, &MainForm::Stop);
  connect(controls_.hScroll, &QScrollBar::valueChanged, this, &MainForm::OnScrolled);
  connect(controls_.slider, &QSlider::valueChanged, this, &MainForm::OnSpeedChanged);
  // No waiting between turns: a turn comes whenever the window has nothing else to do, and
  // each shows the sample the clock has reached, so slow drawing skips samples instead of
  // slowing the record down.
  playTimer_.setInterval(0);
  connect(&playTimer_, &QTimer::timeout, this, &MainForm::OnPlaybackTurn);
}

void MainForm::RunCommand(const QString& name, const std::function<void()>& command) {
  RunBusy([&] { RunGuarded(name, command); });
}

void MainForm::RunBusy(const std::function<void()>& command) {
  if (busy_) return;
  BusyScope busy(busy_);
  closing_ = false;
  monitor_.Reset();
  StopPlaybackIfRunning();
  command();
}

void MainForm::RunGuarded(const QString& name, const std::function<void()>& command) {
  QString what;
  try {
    command();
    return;
  } catch (const std::bad_alloc&) {
    what = "out of memory";
  } catch (const std::exception& e) {
    what = QString::fromLocal8Bit(e.what());
  } catch (...) {
    what = "an exception of unknown type";
  }
  // Whatever the command had replaced was replaced whole, so the set stays as it was or as the
  // command left it; the results may be those of a solve cut short, and are dropped.
  bench_.results.Clear();
  ShowNoResults();
  statusBar()->showMessage(name + " stopped: " + what +
                           ". The experiments are kept; solve them again for results.");
  dialogs_->Message(this, name + " stopped by an unexpected error: " + what + ".",
                    MessageIcon::Critical,
                    "The experiments are kept; their results were dropped.");
}

void MainForm::CancelWork() {
  monitor_.Cancel();
  stop_.RequestRunStop();
}

void MainForm::ShowWorkProgress() {
  if (!workProgress_->isVisible()) {
    if (workClock_.elapsed() < kProgressDelayMs) return;
    workProgress_->show();
    cmdCancelWork_->show();
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  }
  if (away_ == AwayWork::Draw) {
    workProgress_->setValue(1000);
    workProgress_->setFormat("solved; drawing the graph");
    return;
  }
  double fraction = 0.0;
  QString done;
  if (away_ == AwayWork::Other) {
    fraction = std::clamp(otherFraction_(), 0.0, 1.0);
    done = otherText_();
  } else {
    const int64_t samples = away_ == AwayWork::Solve ? monitor_.SamplesDone() - solveBase_ : 0;
    const double solved =
        solveSamples_ > 0 ? std::clamp(static_cast<double>(samples) /
                                           static_cast<double>(solveSamples_), 0.0, 1.0)
                          : 0.0;
    const bool study = studyIndex_ >= 0 && studyCount_ > 0;
    fraction = study ? (studyIndex_ + solved) / studyCount_ : solved;
    done = study ? QString("value %1 of %2").arg(studyIndex_ + 1).arg(studyCount_)
                 : QString("%1 of %2 samples").arg(samples).arg(solveSamples_);
  }
  const double now = static_cast<double>(paceClock_.elapsed()) / 1000.0;
  pace_.emplace_back(now, fraction);
  while (pace_.size() > 2 && now - pace_[1].first >= kPaceSeconds) pace_.pop_front();
  const auto& [then, before] = pace_.front();
  workProgress_->setValue(static_cast<int>(fraction * 1000.0));
  const QString left =
      fraction > before
          ? Q(TimeLeftText(SecondsLeft(now - then, fraction - before, 1.0 - fraction)))
          : QString("time left not known yet");
  workProgress_->setFormat(done + ", " + left);
}

void MainForm::RestartPace() {
  paceClock_.start();
  pace_.assign(1, {0.0, 0.0});
}

// ---------------------------------------------------------------------------------------------
// Inputs

void MainForm::WriteInputs() {
  for (const TextBinding& binding : controls_.texts) {
    const QString text = Q(bench_.inputs.*binding.field);
    if (binding.box->text() != text) binding.box->setText(text);
  }
  for (const OptionBinding& binding : controls_.options) {
    const bool checked = bench_.inputs.*binding.field;
    if (binding.button->isChecked() != checked) binding.button->setChecked(checked);
  }
}

void MainForm::OnStudyOptionClicked(StudyOption option) {
  ClickStudyOption(bench_.inputs, option);
  WriteInputs();
}

// ---------------------------------------------------------------------------------------------
// UserInterface

void MainForm::ShowMessage(const std::string& text, MessageIcon icon) {
  if (closing_) return;  // the user has left: nobody to tell
  dialogs_->Message(this, Q(text), icon, {});
}

void MainForm::ProcessEvents() {
  // Shows what a study wrote into the inputs and lets the window run; what the user types
  // meanwhile reaches the inputs through the boxes' change signals.
  WriteInputs();
  QCoreApplication::processEvents();
}

void MainForm::UpdateErrorLabels() {
  const ExperimentResults* results = bench_.CurrentResults();
  if (results == nullptr) return;
  const ErrorLabelTexts texts = ErrorLabels(results->absErrorU, results->relErrorU,
                                            results->absErrorEh, results->relErrorEh);
  controls_.lblError[1]->setText(Q(texts.absoluteU));
  controls_.lblError[3]->setText(Q(texts.relativeU));
  controls_.lblError[5]->setText(Q(texts.absoluteEh));
  controls_.lblError[7]->setText(Q(texts.relativeEh));
}

void MainForm::UpdatePeriodLabels() {
  const Experiment* experiment = bench_.CurrentExperiment();
  std::optional<double> experimentMass;
  if (experiment != nullptr) experimentMass = experiment->mass;
  const PeriodLabelTexts texts = PeriodLabels(bench_.inputs, experimentMass);
  controls_.lblT[1]->setText(Q(texts.elastic));
  controls_.lblT[3]->setText(Q(texts.plastic));
}

void MainForm::UpdateGraph(int32_t pointCount, bool updateTitles) {
  ResetPlayback();
  PrepareBoxSurface();
  // A response of millions of samples takes seconds to draw: it is drawn away from the window's
  // thread, on a graph and a picture of its own that then take the place of those shown (the
  // window keeps drawing those meanwhile).
  Graph drawn;
  drawn.SetGraphSettings(graph_.GetGraphSettings());
  auto picture = std::make_unique<QImageCanvas>(canvas_->Width(), canvas_->Height());
  picture->SetTwipsPerPixel(BoxTwipsPerPixel());
  drawn.SetSurface(picture.get());
  bool built = false;
  {
    WorkScope work(*this);
    RunAway(
        [&] {
          built = quarvel::UpdateGraph(drawn, bench_, pointCount, updateTitles, true);
          picture->Image();  // ends its painting on this thread
        },
        AwayWork::Draw);
  }
  if (loopsWindow_->isVisible()) loopsWindow_->Refresh();
  // Nothing is drawn without a selected experiment and quantities: the box keeps its picture.
  if (!built) return;
  graph_ = std::move(drawn);
  canvas_ = std::move(picture);
  graph_.SetSurface(canvas_.get());
  const QSize box = controls_.picBoucWen->size().expandedTo(QSize(1, 1));
  if (box != QSize(canvas_->Width(), canvas_->Height())) {
    RedrawGraph();  // the box was resized meanwhile
  } else {
    ShowDrawnGraph();
  }
}

void MainForm::RunSolve(const std::function<void(RunMonitor*)>& solve) {
  // The response is about to change: no frame of the old one is drawn from here on.
  ResetPlayback();
  WorkScope work(*this);
  solveSamples_ = 0;
  for (const Experiment& e : bench_.experiments.Records()) {
    solveSamples_ += 2 * static_cast<int64_t>(std::max(e.counter, 0));
  }
  solveBase_ = monitor_.SamplesDone();
  if (studyIndex_ < 0) RestartPace();  // a study keeps the pace of its values
  RunAway([this, &solve] { solve(&monitor_); }, AwayWork::Solve);
}

bool MainForm::RunLongWork(const std::function<void(SolvePool&, const StopToken&)>& job,
                           const std::function<double()>& fraction,
                           const std::function<QString()>& text) {
  if (busy_) return false;
  // What the job throws goes to the caller, which keeps its own state.
  RunBusy([&] {
    stop_.Clear();
    otherFraction_ = fraction;
    otherText_ = text;
    WorkScope work(*this);
    RestartPace();
    RunAway([this, &job] { job(solvePool_, stop_); }, AwayWork::Other);
  });
  return true;
}

void MainForm::RunAway(const std::function<void()>& job, AwayWork kind) {
  away_ = kind;
  solvePool_.Launch(job, [] { QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection); });
  // The window answers the user until the job's end wakes it.
  while (solvePool_.JobRunning()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  away_ = AwayWork::None;
  solvePool_.WaitForJob();
}

void MainForm::ShowStudyValue(int32_t index, int32_t count, double x) {
  if (index == 0) RestartPace();
  studyIndex_ = index;
  studyCount_ = count;
  WriteInputs();  // the box of the swept input shows the value while it is solved
  const QString value =
      QString("value %1 of %2 (x = %3)").arg(index + 1).arg(count).arg(Q(FormatDefault(x)));
  statusBar()->showMessage(
      seriesFile_ > 0 ? QString("File %1 of the series, %2: press Esc to end this file's study")
                            .arg(seriesFile_)
                            .arg(value)
                      : "Study: " + value + ". Press Esc to stop.");
}

// ---------------------------------------------------------------------------------------------
// Graph

void MainForm::RebuildGraph(int32_t pointCount, bool updateTitles) {
  PrepareBoxSurface();
  // Nothing is drawn without a selected experiment and quantities: the box keeps its picture.
  if (!quarvel::UpdateGraph(graph_, bench_, pointCount, updateTitles, true)) return;
  if (const std::optional<int32_t> frame = playback_.Frame()) {
    UpdatePlaybackFrame(graph_, bench_, *frame);
  }
  ShowDrawnGraph();
}

void MainForm::RedrawGraph() {
  PrepareBoxSurface();
  if (!DrawResponseFrame(graph_, bench_, playback_.Frame())) return;
  ShowDrawnGraph();
}

void MainForm::PrepareBoxSurface() {
  GraphBox* box = controls_.picBoucWen;
  // While hidden, the graph window keeps the box's size, so that it opens at it.
  if (!graphWindow_->isVisible()) graphWindow_->SetSurfaceSize(box->size());
  const int width = std::max(box->width(), 1);
  const int height = std::max(box->height(), 1);
  if (!canvas_) {
    canvas_ = std::make_unique<QImageCanvas>(width, height);
  } else if (canvas_->Width() != width || canvas_->Height() != height) {
    canvas_->Resize(width, height);
  }
  canvas_->SetTwipsPerPixel(BoxTwipsPerPixel());
  graph_.SetSurface(canvas_.get());
}

double MainForm::BoxTwipsPerPixel() const {
  // 1440 twips per inch at the screen's resolution.
  return 1440.0 / std::max(controls_.picBoucWen->logicalDpiY(), 1);
}

void MainForm::ShowDrawnGraph() {
  controls_.picBoucWen->SetImage(canvas_->Image());
  graphWindow_->RedrawIfShown();
}

void MainForm::ShowGraphWindow() {
  graphWindow_->ShowWithSurfaceSize(controls_.picBoucWen->size());
}

// ---------------------------------------------------------------------------------------------
// Experiment list and display

void MainForm::RefillExperimentList(SetSource source) {
  SuppressedReactions guard(bench_.reactionGuard);
  bench_.SelectFirst(source);
  FillExperimentList();
}

void MainForm::FillExperimentList() {
  QComboBox* list = controls_.cboExperiment;
  list->clear();
  for (const Experiment& experiment : bench_.experiments.Records()) {
    list->addItem(Q(experiment.name));
    list->setItemData(list->count() - 1, Q(experiment.name), Qt::ToolTipRole);
  }
  // The open list is as wide as the longest name, so that generated names show whole.
  QAbstractItemView* view = list->view();
  view->setMinimumWidth(view->sizeHintForColumn(0) + 2 * view->frameWidth() +
                        view->verticalScrollBar()->sizeHint().width());
  list->setCurrentIndex(bench_.currentExperiment - 1);
  controls_.cboGraphX->setCurrentIndex(bench_.graphXQuantity);
  controls_.cboGraphY->setCurrentIndex(bench_.graphYQuantity);
}

void MainForm::ShowExperimentDetails() {
  const int k = controls_.cboExperiment->currentIndex() + 1;
  if (k < 1 || k > bench_.experiments.Count()) return;
  const std::array<ExperimentLabel, 9> labels = UpdateLabels(bench_.experiments.At(k));
  for (int i = 0; i < 9; ++i) controls_.lblExpValue[i]->setText(Q(labels[i].value));
}

void MainForm::ShowNewExperiments(SetSource source) {
  if (spectraWindow_->isVisible()) spectraWindow_->Refresh();
  RefillExperimentList(source);
  ShowExperimentDetails();
  ResetPlayback();
  Solve();
}

void MainForm::ResetDisplay() {
  if (spectraWindow_->isVisible()) spectraWindow_->Refresh();
  for (QLabel* value : controls_.lblExpValue) value->clear();
  {
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.cboExperiment->clear();
    controls_.cboExperiment->setCurrentIndex(-1);
    controls_.cboGraphX->setCurrentIndex(-1);
    controls_.cboGraphY->setCurrentIndex(-1);
  }
  bench_.currentExperiment = 0;
  bench_.graphXQuantity = -1;
  bench_.graphYQuantity = -1;
  ResetPlayback();
  controls_.picBoucWen->Clear();
  graphWindow_->ClearGraph();
  if (loopsWindow_->isVisible()) loopsWindow_->Refresh();
}

void MainForm::ShowNoResults() {
  for (const int value : {1, 3, 5, 7}) controls_.lblError[value]->clear();
  for (const int value : {1, 3}) controls_.lblT[value]->clear();
  controls_.picBoucWen->Clear();
  graphWindow_->ClearGraph();
  if (loopsWindow_->isVisible()) loopsWindow_->Refresh();
}

void MainForm::OnExperimentSelected(int index) {
  if (bench_.reactionGuard.IsSet()) return;
  if (busy_) {
    // A selection made while a command runs would change the experiment under it.
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.cboExperiment->setCurrentIndex(bench_.currentExperiment - 1);
    return;
  }
  if (index < 0) return;
  RunCommand("The experiment's selection", [this, index] {
    ShowExperimentDetails();
    bench_.currentExperiment = index + 1;
    Solve();
  });
}

void MainForm::OnGraphQuantitySelected(int32_t Workbench::*quantity, int index) {
  if (bench_.reactionGuard.IsSet()) return;
  if (away_ != AwayWork::None) {
    // The results are in use: the graph keeps its quantities until the work is done.
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.cboGraphX->setCurrentIndex(bench_.graphXQuantity);
    controls_.cboGraphY->setCurrentIndex(bench_.graphYQuantity);
    return;
  }
  // Only a redraw follows, which is safe whenever no solve runs.
  bench_.*quantity = index;
  if (const Experiment* experiment = bench_.CurrentExperiment()) {
    RebuildGraph(experiment->counter, true);
  }
}

void MainForm::Solve() {
  if (SolveExperiments(bench_, *this, true, &solvePool_).cancelled) {
    ShowNoResults();
    statusBar()->showMessage(
        "Solve cancelled: the experiments have no results until they are solved again.");
    return;
  }
  // A fault of the shown experiment's solve is said here; the labels show what the solve gave.
  const ExperimentResults* results = bench_.CurrentResults();
  const std::string notice = results != nullptr ? SolveFaultNotice(*results) : std::string();
  if (!notice.empty()) {
    statusBar()->showMessage(Q(notice));
  } else if (statusBar()->currentMessage().startsWith("The solve ")) {
    statusBar()->clearMessage();  // an earlier solve's notice
  }
}

// ---------------------------------------------------------------------------------------------
// Commands

void MainForm::LoadExperiments() {
  FileDialogRequest request;
  request.title = "Load file";
  request.filters = QStringList{"Quarvel files (*.quarvel)", kRecordFilesFilter,
                                "All files (*)"};
  request.directory = QCoreApplication::applicationDirPath();
  request.several = true;
  // Cancelled, the set stays as it was; what follows shows it afresh.
  if (const std::optional<ChosenFile> chosen = dialogs_->OpenFile(this, request)) {
    // The files chosen together make one set, in the order chosen.
    RecordSet set;
    for (const QString& path : QStringList{chosen->path} + chosen->more) {
      const std::optional<bool> read = LoadFile(path, chosen->filter, set);
      if (!read) return;
      if (!*read) {
        set = {};  // a record dialog cancelled: the set there is is shown afresh
        break;
      }
    }
    if (!set.experiments.empty()) bench_.experiments.Assign(std::move(set.experiments));
  }
  if (bench_.experiments.Count() < 1) return;
  ShowNewExperiments(SetSource::Other);
}

std::optional<bool> MainForm::LoadFile(const QString& path, const QString& filter,
                                       RecordSet& set) {
  std::string head;
  const std::string file = path.toStdString();
  const FileResult read = ReadFileHead(file, head);
  // A file chosen as a record is read as one: a failure keeps the set there is.
  const bool asRecord = filter == kRecordFilesFilter;
  const RecordQuestions questions = QuestionsOf(head, file, asRecord);
  if (!read && asRecord) {
    ShowLoadFailure(read);
    return std::nullopt;
  }
  if (read && questions.format != RecordFormat::Quarvel) {
    std::optional<RecordOptions> options = dialogs_->AskRecordOptions(this, path, questions);
    if (!options) return false;
    options->format = questions.format;
    RecordLoad load = LoadRecordFile(file, *options);
    // A record that fails to read leaves the set and its display as they were.
    if (!load.result) {
      if (load.contradicted != RecordOption::None) {
        load.result.reason += ", which the record options contradict";
      }
      ShowLoadFailure(load.result);
      return std::nullopt;
    }
    set.Append(std::move(load.records));
    return true;
  }
  RecordOptions asQuarvel;
  asQuarvel.format = RecordFormat::Quarvel;
  RecordLoad load = LoadRecordFile(file, asQuarvel);
  if (!load.result) {
    bench_.experiments.Clear();
    ShowLoadFailure(load.result);
    // The set is empty now; the lists must not offer experiments that no longer exist.
    ResetDisplay();
    return std::nullopt;
  }
  set.Append(std::move(load.records));
  return true;
}

void MainForm::ShowLoadFailure(const FileResult& result) {
  dialogs_->Message(this, QString::fromUtf8(kLoadErrorMessage.data(),
                                            static_cast<qsizetype>(kLoadErrorMessage.size())),
                    MessageIcon::Critical, Q(result.Describe()));
}

void MainForm::CreateExperiments() {
  CreateSineForceExperiments(bench_.experiments);
  ShowNewExperiments(SetSource::BuiltIn);
}

void MainForm::ClearExperiments() {
  bench_.experiments.Clear();
  ResetDisplay();
}

void MainForm::CreateSinusoidalDisplacement() {
  const std::optional<SinusoidDialogTexts> texts = dialogs_->AskSinusoid(this);
  if (!texts) return;
  const FileResult result = CreateSinusoidalDisplacementExperiment(*texts, bench_.experiments);
  if (!result) {
    dialogs_->Message(this, "The experiment could not be created: " + Q(result.reason) + ".",
                      MessageIcon::Exclamation, {});
    return;
  }
  ShowNewExperiments(SetSource::Other);
}

void MainForm::CreateProtocolExperiment(DisplacementProtocol protocol) {
  SetDisplacementProtocolExperiment(protocol, Val(bench_.inputs.txtUy), bench_.experiments);
  ShowNewExperiments(SetSource::Other);
}

void MainForm::SolveNow() { Solve(); }

void MainForm::ExportResults() {
  if (bench_.experiments.Count() < 1) return;

  FileDialogRequest request;
  request.title = "Export results";
  request.filters = QStringList{"Fixed column text file (*.txt)", "All Files (*.*)"};
  request.directory = QCoreApplication::applicationDirPath();
  request.defaultSuffix = "txt";
  const std::optional<QString> path = dialogs_->SaveFile(this, request);
  if (!path) return;

  const FileResult written =
      WriteReport(path->toStdString(), bench_.experiments, bench_.results, bench_.parameters,
                  bench_.inputs.txtMass);
  if (!written) {
    dialogs_->Message(this, "The results could not be exported.\n\n" + Q(written.Describe()),
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
  // Without experiments the Loop only says so; the folder is made for a study alone.
  std::string folder;
  if (bench_.CurrentExperiment() != nullptr) {
    const std::optional<std::string> made = PrepareResultsFolder();
    if (!made) return;
    folder = *made;
  }
  StudyOutcome outcome;
  {
    WorkScope work(*this);
    stop_.Clear();  // an Escape pressed before the study started ends nothing
    outcome = RunLoopCommand(bench_, *this, stop_, folder);
  }
  WriteInputs();
  if (outcome.status == StudyStatus::NoExperiments) return;
  if (bench_.results.Records().empty()) ShowNoResults();  // a value's solve was cancelled
  statusBar()->showMessage(LoopSummary(outcome, studyCount_, monitor_.Cancelled()));
  if (outcome.Failed() && !closing_) {
    dialogs_->Message(this, "The parametric study stopped.\n\n" + Q(outcome.Describe()),
                      MessageIcon::Exclamation, {});
  }
}

void MainForm::RunAdvancedLoop() {
  const std::optional<QString> answer =
      dialogs_->InputText(this, kThresholdBoxTitle, kThresholdBoxPrompt, kThresholdBoxDefault);
  const std::optional<double> threshold =
      ReadThresholdAnswer(answer.value_or(QString()).toStdString());
  if (!threshold) return;
  const std::optional<std::string> folder = PrepareResultsFolder();
  if (!folder) return;

  AdvancedStudyOutcome outcome;
  {
    WorkScope work(*this);
    stop_.Clear();
    AdvancedLoopHooks hooks;
    hooks.onFileStarted = [this](int32_t k, const std::string&) {
      // Escape ends the study of the file it was pressed for, and the series goes on with the
      // next file; Cancel and a close ask the whole series to end, and that request stays.
      stop_.ClearStudyStop();
      seriesFile_ = k;
      statusBar()->showMessage(
          QString("File %1 of the series: press Esc to end this file's study").arg(k));
    };
    hooks.onSetLoaded = [this] {
      // The study has set the reaction guard and selected the first experiment.
      FillExperimentList();
      ShowExperimentDetails();
    };
    outcome = quarvel::RunAdvancedLoop(bench_, *this, stop_, *folder, *threshold, hooks);
    seriesFile_ = 0;
  }
  WriteInputs();
  // A file of the series that failed to load leaves an empty set behind.
  if (bench_.experiments.Count() < 1) {
    ResetDisplay();
  } else if (bench_.results.Records().empty()) {
    ShowNoResults();  // a solve was cancelled
  }
  statusBar()->showMessage(AdvancedLoopSummary(outcome, Q(*folder), monitor_.Cancelled()));
  if (outcome.Failed() && !closing_) {
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

void MainForm::SetResultsFolderPlaces(const ResultsFolderPlaces& places) {
  folderPlaces_ = places;
  ShowResultsFolder(InitialResultsFolder(places));
}

void MainForm::SetStudyFolder(const QString& folder) { ShowResultsFolder(folder); }

void MainForm::ShowResultsFolder(const QString& folder) {
  resultsFolder_ = folder;
  controls_.txtResultsFolder->setText(QDir::toNativeSeparators(folder));
  controls_.txtResultsFolder->setCursorPosition(0);
  controls_.txtResultsFolder->setToolTip(QDir::toNativeSeparators(folder));
}

void MainForm::BrowseResultsFolder() {
  const std::optional<QString> chosen =
      dialogs_->ChooseFolder(this, "Results folder", resultsFolder_);
  if (!chosen || chosen->isEmpty()) return;
  if (!FolderWritable(*chosen)) {
    dialogs_->Message(this,
                      "Studies cannot write their files into " +
                          QDir::toNativeSeparators(*chosen) +
                          ": choose a folder you may write to.",
                      MessageIcon::Exclamation, {});
    return;
  }
  RememberResultsFolder(folderPlaces_, *chosen);
  ShowResultsFolder(*chosen);
}

std::optional<std::string> MainForm::PrepareResultsFolder() {
  const QString problem = MakeFolder(resultsFolder_);
  if (problem.isEmpty()) return resultsFolder_.toStdString();
  dialogs_->Message(this, "The results folder could not be made.\n\n" + problem,
                    MessageIcon::Critical, {});
  return std::nullopt;
}

void MainForm::ShowAbout() { dialogs_->ShowAbout(this); }

// ---------------------------------------------------------------------------------------------
// Playback

void MainForm::Play() {
  // Ignored while playing, and while a command runs below the event loop.
  if (playback_.Playing() || busy_) return;
  const Experiment* experiment = bench_.CurrentExperiment();
  if (bench_.experiments.Count() < 1 || experiment == nullptr) return;

  bench_.reactionGuard.MessUp();
  // From the end of the record, play starts again from the beginning (the scroll reaction
  // shows sample 0).
  if (controls_.hScroll->value() >= kRestartScrollPosition) controls_.hScroll->setValue(0);
  playback_.Start(*clock_, controls_.hScroll->value(),
                  RecordOf(*experiment), controls_.slider->value());
  ShowPlaying(true);
}

void MainForm::OnPlaybackTurn() {
  const Experiment* experiment = bench_.CurrentExperiment();
  if (experiment == nullptr) playback_.Pause();  // the set went from under it
  const PlaybackTurn turn =
      experiment == nullptr
          ? PlaybackTurn{true, 0}
          : playback_.Advance(*clock_, controls_.slider->value(), RecordOf(*experiment));
  // At the end of the record the last frame stays.
  if (turn.ended) {
    ShowPlaying(false);
    return;
  }
  if (turn.k < 1) return;
  const int32_t n = experiment->counter;
  {
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.hScroll->setValue(ScrollPositionOfSample(turn.k, n));
  }
  RedrawGraph();
  ShowProgress(turn.k, n);
}

void MainForm::Pause() {
  playback_.Pause();
  ShowPlaying(false);
  controls_.cmdPlay->setFocus();
}

void MainForm::Stop() {
  playback_.Stop();
  ShowPlaying(false);
  if (bench_.experiments.Count() < 1) return;
  {
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.hScroll->setValue(0);
  }
  if (const Experiment* experiment = bench_.CurrentExperiment()) {
    RebuildGraph(experiment->counter, true);
  }
}

void MainForm::StopPlaybackIfRunning() {
  if (playback_.Playing()) Stop();
}

void MainForm::ResetPlayback() {
  playback_.Stop();
  ShowPlaying(false);
  // Quietly: the scroll reaction would draw a frame. A guard the caller holds stays set.
  const bool guarded = bench_.reactionGuard.IsSet();
  bench_.reactionGuard.DontMessUp();
  controls_.hScroll->setValue(0);
  if (!guarded) bench_.reactionGuard.MessUp();
  controls_.lblProgressDataPoints->clear();
}

void MainForm::ShowPlaying(bool playing) {
  if (playing) {
    playTimer_.start();
  } else {
    playTimer_.stop();
  }
  controls_.cmdPause->setEnabled(playing);
  controls_.cmdStop->setEnabled(playing);
}

void MainForm::ShowProgress(int32_t k, int32_t sampleCount) {
  controls_.lblProgressDataPoints->setText(Q(ProgressText(k, sampleCount)));
}

void MainForm::OnScrolled(int position) {
  if (bench_.reactionGuard.IsSet() || away_ != AwayWork::None) return;
  if (bench_.experiments.Count() < 1) return;
  const Experiment* experiment = bench_.CurrentExperiment();
  if (experiment == nullptr) return;
  const int32_t k = SampleOfScrollPosition(position, experiment->counter);
  playback_.ScrollTo(k, *clock_, experiment->timeStep, controls_.slider->value());
  RedrawGraph();
  ShowProgress(k, experiment->counter);
}

void MainForm::OnSpeedChanged(int sliderValue) {
  if (bench_.reactionGuard.IsSet()) return;
  playback_.ChangeSpeed(sliderValue);
}

// ---------------------------------------------------------------------------------------------
// Window events

void MainForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    stop_.RequestStudyStop();  // the running study ends after its current value
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void MainForm::closeEvent(QCloseEvent* event) {
  // Work still running below this event ends at once: the solve in progress is cancelled, a
  // study ends there with the lines of its finished values, an advanced loop with it. The
  // command then returns to the event loop, which ends.
  closing_ = true;
  CancelWork();
  StopPlaybackIfRunning();
  graphWindow_->hide();
  event->accept();
}

}  // namespace quarvel::app
