#pragma once
// The main window: every input of the model and of the studies, the experiment commands, the
// experiment list and details, the error and period labels, the graph box with its legend and
// the playback controls. It owns the workbench, the graph it lends to the graph window and the
// playback, and is the core's user interface. The controls are built by BuildMainFormLayout;
// this class wires them to the commands and keeps the inputs in step with them.

#include <QElapsedTimer>
#include <QMainWindow>
#include <QSize>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/app_info.h"
#include "app/dialogs.h"
#include "app/main_form_layout.h"
#include "app/results_folder.h"
#include "app/spectra_window.h"
#include "display/playback.h"
#include "experiments/generated_experiments.h"
#include "graph/graph.h"
#include "model/run_monitor.h"
#include "solve/solve_experiments.h"
#include "solve/stop_token.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"

namespace quarvel {
class QImageCanvas;
}

class QProgressBar;
class QPushButton;

namespace quarvel::app {

class ByPeriodWindow;
class GraphWindow;
class LoopsWindow;

class MainForm : public QMainWindow, public UserInterface, public LongWorkRunner {
  Q_OBJECT

 public:
  // The size the window opens at where the screen has room for it.
  static constexpr QSize kPreferredSize{1280, 800};
  // Room the opening size leaves within the screen's available area for the window manager's
  // title bar and borders.
  static constexpr QSize kFrameAllowance = kWindowFrameAllowance;

  // Dialogs default to the Qt ones; tests pass a fake.
  explicit MainForm(std::unique_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~MainForm() override;

  Workbench& Bench() { return bench_; }
  const Workbench& Bench() const { return bench_; }

  // The playback clock; the system clock unless set (tests drive a fake one).
  void SetPlaybackClock(std::unique_ptr<PlaybackClock> clock);

  // The separate graph window (hidden until the user double-clicks the graph).
  GraphWindow& GraphForm() { return *graphWindow_; }

  // The results folder: where the studies write their files and the advanced loop finds its
  // series, shown in the Parametric frame. Chosen at start from ResultsFolderPlaces::Default();
  // setting other places (tests) chooses afresh from them.
  void SetResultsFolderPlaces(const ResultsFolderPlaces& places);
  // Uses `folder` as the results folder for this run without remembering it.
  void SetStudyFolder(const QString& folder);
  const QString& ResultsFolder() const { return resultsFolder_; }

  // True while long work (a solve, a study) runs.
  bool Working() const { return workDepth_ > 0; }

  // UserInterface
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ProcessEvents() override;
  void UpdateErrorLabels() override;
  void UpdatePeriodLabels() override;
  // After a solve: the new response, whole.
  void UpdateGraph(int32_t pointCount, bool updateTitles) override;
  void ShowStudyValue(int32_t index, int32_t count, double x) override;
  // Runs the solve on the solve pool's own thread and answers the window's events until it
  // has ended; the status bar shows its progress with Cancel.
  void RunSolve(const std::function<void(RunMonitor*)>& solve) override;

  // LongWorkRunner: a spectrum of the Spectra window, run as a command of this window.
  bool RunLongWork(const std::function<void(SolvePool&, const StopToken&)>& job,
                   const std::function<double()>& fraction,
                   const std::function<QString()>& text) override;
  void CancelLongWork() override { CancelWork(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class BusyScope;
  class WorkScope;
  // What runs on the pool's own thread: meanwhile the experiments, their results and the graph
  // quantities are not to be touched by the window.
  enum class AwayWork { None, Solve, Draw, Other };

  // Wiring of the built controls.
  void WireCommands();
  void WireInputs();
  void WireLists();
  void WirePlayback();

  // Runs a command unless another one is still running below the event loop (a solve or a
  // study lets events run): the window is busy meanwhile, and a running playback stops first.
  // `name` (the button's text) names it if it fails (RunGuarded).
  void RunCommand(const QString& name, const std::function<void()>& command);
  // The same without the guard: what `command` throws leaves the window not busy and goes on.
  void RunBusy(const std::function<void()>& command);
  // Runs `command`; an exception that escapes it (std::bad_alloc on a record too big for the
  // memory, above all) is shown in a critical message box and the status bar, naming the
  // command. The experiment set stays (each command replaces it whole or not at all); the
  // results, which a solve cut short may have left half made, are dropped.
  void RunGuarded(const QString& name, const std::function<void()>& command);
  // Cancel, and closing the window: the solve in progress ends at once (its results are
  // forgotten), and so does the study or the series of studies that runs.
  void CancelWork();
  // The progress of the work in the status bar, from the monitor and the study's value, with the
  // time left at the pace of the last seconds.
  void ShowWorkProgress();
  // A solve or a study begins: the pace is measured from here.
  void RestartPace();
  // Runs `job` on the solve pool's own thread and answers the window's events until it ends;
  // what it threw goes on from here.
  void RunAway(const std::function<void()>& job, AwayWork kind);

  // The commands.
  // Load: the files chosen together make the new set. A .quarvel file that fails to load
  // empties the set; a ground-motion record asks what the file leaves open, and one that fails
  // to read, or a cancelled dialog, keeps the set there is.
  void LoadExperiments();
  // Reads the file at `path` chosen under `filter` onto the end of `set`: true when read, false
  // when its record dialog was cancelled, nullopt when it failed (the failure is shown) and
  // nothing more is to be done.
  std::optional<bool> LoadFile(const QString& path, const QString& filter, RecordSet& set);
  void ShowLoadFailure(const FileResult& result);
  void CreateExperiments();
  void ClearExperiments();
  void CreateSinusoidalDisplacement();
  void CreateProtocolExperiment(DisplacementProtocol protocol);
  void SolveNow();
  void ExportResults();
  void RunLoop();
  void RunAdvancedLoop();
  void ShowAbout();

  // The widgets show bench_.inputs (after the core rewrote texts: a study's swept value); the
  // widgets' change signals keep bench_.inputs current the other way.
  void WriteInputs();

  // Refills the experiment list from the set with the reactions suppressed and selects
  // experiment 1 with the quantities a set from `source` starts with.
  void RefillExperimentList(SetSource source);
  // The same for a caller that has already set the reaction guard and the selection.
  void FillExperimentList();
  // What follows every command that replaced the set: list refill, details, solve.
  void ShowNewExperiments(SetSource source);
  // The details panel for the experiment at the list's selection.
  void ShowExperimentDetails();
  // Empties the lists, the details panel, the graph and the progress caption.
  void ResetDisplay();
  // Solves the set and refreshes the display.
  void Solve();
  // After a solve was cancelled: the experiments have no results, so no errors, periods or
  // graph are shown.
  void ShowNoResults();

  // Builds the graph anew from the current experiment (a new response or new quantities) and
  // shows it as the playback shows it.
  void RebuildGraph(int32_t pointCount, bool updateTitles);
  // Draws the graph again at the box's size as the playback shows it.
  void RedrawGraph();
  // Sizes the graph box's picture to the box and makes it the graph's surface.
  void PrepareBoxSurface();
  // Twips per pixel of the graph box: the graph's fonts are sized in points.
  double BoxTwipsPerPixel() const;
  // Shows the picture just drawn on the box's surface, and in the graph window when it is on
  // screen.
  void ShowDrawnGraph();
  // A double click on the graph box brings the graph window on screen.
  void ShowGraphWindow();

  // Playback: Play starts the turns of the timer, which end at the end of the record, at Pause
  // and at Stop. Pause keeps the frame and the scroll position; Stop shows the whole response
  // again with the scroll bar at 0.
  void Play();
  void Pause();
  void Stop();
  void StopPlaybackIfRunning();
  // A new set or a new response: playback stopped, from the start, the progress caption empty.
  void ResetPlayback();
  void OnPlaybackTurn();
  // The timer runs, and Pause and Stop are enabled, while playing.
  void ShowPlaying(bool playing);
  // Shows k/N under the scroll bar.
  void ShowProgress(int32_t k, int32_t sampleCount);
  // The scroll bar and the speed slider moved.
  void OnScrolled(int position);
  void OnSpeedChanged(int sliderValue);

  // List reactions
  void OnExperimentSelected(int index);
  void OnGraphQuantitySelected(int32_t Workbench::*quantity, int index);
  // A click on a "Vary :" or "By changing :" option, with the rule that ties the groups.
  void OnStudyOptionClicked(StudyOption option);

  // The results folder, made when it does not exist yet; nullopt when it cannot be made (said
  // in a message).
  std::optional<std::string> PrepareResultsFolder();
  void BrowseResultsFolder();
  void ShowResultsFolder(const QString& folder);
  // The opening size: kPreferredSize within the screen's available area less kFrameAllowance,
  // and never below what the controls need.
  QSize OpeningSize() const;

  std::unique_ptr<Dialogs> dialogs_;
  ResultsFolderPlaces folderPlaces_;
  QString resultsFolder_;
  Workbench bench_;
  bool busy_ = false;
  bool closing_ = false;  // the window was closed: the command still running ends quietly
  // Long work: its progress and its cancellation.
  RunMonitor monitor_;
  AwayWork away_ = AwayWork::None;
  int workDepth_ = 0;     // WorkScopes open
  QProgressBar* workProgress_ = nullptr;
  QPushButton* cmdCancelWork_ = nullptr;
  QTimer progressTimer_;
  QElapsedTimer workClock_;  // since the outermost WorkScope began
  QElapsedTimer paceClock_;  // since the solve, or the study's first value, began
  // (seconds on paceClock_, fraction of the work done) over the last seconds of work.
  std::deque<std::pair<double, double>> pace_;
  int64_t solveSamples_ = 0;  // samples the solve in progress computes in all
  int64_t solveBase_ = 0;     // the monitor's count when it began
  int32_t studyIndex_ = -1;   // the study's value being solved (0-based); -1 outside a study
  int32_t studyCount_ = 0;
  // Escape asks the running study to end, closing the window the whole run; cleared as a
  // command starts, and of Escape's request as each file of an advanced loop starts.
  StopToken stop_;
  int32_t seriesFile_ = 0;  // the file of an advanced loop being studied; 0 outside one

  MainFormControls controls_;
  // The graph, drawn on the box's picture and lent to the graph window.
  Graph graph_;
  std::unique_ptr<QImageCanvas> canvas_;
  GraphWindow* graphWindow_ = nullptr;
  LoopsWindow* loopsWindow_ = nullptr;  // hidden until the Loops button asks for it
  ByPeriodWindow* byPeriodWindow_ = nullptr;  // hidden until its button asks for it
  SpectraWindow* spectraWindow_ = nullptr;    // hidden until its button asks for it
  // The progress of AwayWork::Other: the fraction done and what it says.
  std::function<double()> otherFraction_;
  std::function<QString()> otherText_;
  // Playback
  std::unique_ptr<PlaybackClock> clock_;
  Playback playback_;
  QTimer playTimer_;
  // Every solve and the drawing of its graph, away from the window's thread; the experiments of
  // a set side by side. Last, so that it goes first: work still running uses the members above.
  SolvePool solvePool_;
};

}  // namespace quarvel::app
