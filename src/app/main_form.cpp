#include "app/main_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTime>

#include <algorithm>

#include "app/app_info.h"
#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app/loops_window.h"
#include "app/qt_dialogs.h"
#include "app/record_dialog.h"
#include "display/response_graph.h"
#include "experiments/experiment_file.h"
#include "experiments/experiment_labels.h"
#include "io/file_reader.h"
#include "records/record_file.h"
#include "graph/qt/qimage_canvas.h"
#include "report/report_writer.h"
#include "solve/labels.h"
#include "solve/reaction_guard.h"
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
  setWindowTitle(kMainWindowCaption);
  graph_.SetGraphDefaults();
  graphWindow_ = new GraphWindow(*dialogs_, graph_, bench_, playback_, this);
  loopsWindow_ = new LoopsWindow(bench_, this);

  setCentralWidget(BuildMainFormLayout(controls_));
  statusBar()->setSizeGripEnabled(true);
  WireCommands();
  WireInputs();
  WireLists();
  WirePlayback();

  WriteInputs();
  resize(OpeningSize());
}

MainForm::~MainForm() {
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
            [this, command = command] { RunCommand(command); });
  }
  connect(c.cmdAbout, &QPushButton::clicked, this, &MainForm::ShowAbout);
  connect(c.cmdLoops, &QPushButton::clicked, this, [this] {
    if (busy_) return;  // a running command may be rewriting the results
    loopsWindow_->Refresh();
    loopsWindow_->show();
    loopsWindow_->raise();
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

void MainForm::RunCommand(const std::function<void()>& command) {
  if (busy_) return;
  BusyScope busy(busy_);
  StopPlaybackIfRunning();
  command();
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
  playback_.Stop();
  RebuildGraph(pointCount, updateTitles);
  if (loopsWindow_->isVisible()) loopsWindow_->Refresh();
}

void MainForm::ShowStudyValue(int32_t index, int32_t count, double x) {
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
  if (!quarvel::UpdateGraph(graph_, bench_, pointCount, updateTitles)) return;
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
  // The graph's fonts are sized in points: 1440 twips per inch at the screen's resolution.
  canvas_->SetTwipsPerPixel(1440.0 / std::max(box->logicalDpiY(), 1));
  graph_.SetSurface(canvas_.get());
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
  RefillExperimentList(source);
  ShowExperimentDetails();
  Solve();
}

void MainForm::ResetDisplay() {
  for (QLabel* value : controls_.lblExpValue) value->clear();
  {
    SuppressedReactions guard(bench_.reactionGuard);
    controls_.cboExperiment->clear();
    controls_.cboExperiment->setCurrentIndex(-1);
    controls_.cboGraphX->setCurrentIndex(-1);
    controls_.cboGraphY->setCurrentIndex(-1);
    controls_.hScroll->setValue(0);
  }
  bench_.currentExperiment = 0;
  bench_.graphXQuantity = -1;
  bench_.graphYQuantity = -1;
  playback_.Stop();
  controls_.picBoucWen->Clear();
  graphWindow_->ClearGraph();
  controls_.lblProgressDataPoints->clear();
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
  RunCommand([this, index] {
    ShowExperimentDetails();
    bench_.currentExperiment = index + 1;
    Solve();
  });
}

void MainForm::OnGraphQuantitySelected(int32_t Workbench::*quantity, int index) {
  if (bench_.reactionGuard.IsSet()) return;
  // Only a redraw follows, which is safe at any time: the results are complete whenever the
  // window gets to run.
  bench_.*quantity = index;
  if (const Experiment* experiment = bench_.CurrentExperiment()) {
    RebuildGraph(experiment->counter, true);
  }
}

void MainForm::Solve() { SolveExperiments(bench_, *this, true, &solvePool_); }

// ---------------------------------------------------------------------------------------------
// Commands

void MainForm::LoadExperiments() {
  FileDialogRequest request;
  request.title = "Load file";
  request.filters = QStringList{"Quarvel files (*.quarvel)", kRecordFilesFilter,
                                "All files (*)"};
  request.directory = QCoreApplication::applicationDirPath();
  // Cancelled, the set stays as it was; what follows shows it afresh.
  if (const std::optional<ChosenFile> chosen = dialogs_->OpenFile(this, request)) {
    std::string head;
    const std::string file = chosen->path.toStdString();
    const FileResult read = ReadFileHead(file, head);
    // A file chosen as a record is read as one: a failure keeps the set there is.
    const bool asRecord = chosen->filter == kRecordFilesFilter;
    const RecordQuestions questions = QuestionsOf(head, file, asRecord);
    if (!read && asRecord) {
      ShowLoadFailure(read);
      return;
    }
    if (read && questions.format != RecordFormat::Quarvel) {
      if (!LoadRecord(chosen->path, questions)) return;
    } else {
      RecordOptions asQuarvel;
      asQuarvel.format = RecordFormat::Quarvel;
      RecordLoad load = LoadRecordFile(file, asQuarvel);
      if (!load.result) {
        bench_.experiments.Clear();
        ShowLoadFailure(load.result);
        // The set is empty now; the lists must not offer experiments that no longer exist.
        ResetDisplay();
        return;
      }
      bench_.experiments.Assign(std::move(load.records.experiments));
    }
  }
  if (bench_.experiments.Count() < 1) return;
  ShowNewExperiments(SetSource::Other);
}

bool MainForm::LoadRecord(const QString& path, const RecordQuestions& questions) {
  std::optional<RecordOptions> options = dialogs_->AskRecordOptions(this, path, questions);
  if (!options) return true;  // cancelled: the set there is is shown afresh
  options->format = questions.format;
  RecordLoad load = LoadRecordFile(path.toStdString(), *options);
  // A record that fails to read leaves the set and its display as they were.
  if (!load.result) {
    if (load.contradicted != RecordOption::None) {
      load.result.reason += ", which the record options contradict";
    }
    ShowLoadFailure(load.result);
    return false;
  }
  bench_.experiments.Assign(std::move(load.records.experiments));
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
  StudyScope study(*this);
  stop_.Clear();  // an Escape pressed before the study started ends nothing
  const StudyOutcome outcome = RunLoopCommand(bench_, *this, stop_, StudyFolder());
  WriteInputs();
  if (outcome.Failed()) {
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

  StudyScope study(*this);
  stop_.Clear();
  AdvancedLoopHooks hooks;
  hooks.onFileStarted = [this](int32_t k, const std::string&) {
    // Escape ends the study of the file it was pressed for, and the series goes on with the
    // next file; a close asks the whole series to end, and that request stays.
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
  const AdvancedStudyOutcome outcome =
      quarvel::RunAdvancedLoop(bench_, *this, stop_, StudyFolder(), *threshold, hooks);
  seriesFile_ = 0;
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
  if (bench_.reactionGuard.IsSet() || bench_.experiments.Count() < 1) return;
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
  // A study still running below this event ends after its current value, an advanced loop
  // with it.
  stop_.RequestRunStop();
  StopPlaybackIfRunning();
  graphWindow_->hide();
  event->accept();
}

}  // namespace quarvel::app
