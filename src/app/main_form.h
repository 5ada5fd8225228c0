#pragma once
// The main window: every input of the model and of the studies, the experiment commands, the
// experiment list and details, the error and period labels, the graph box with its legend and
// the playback controls. It owns the workbench and is the core's user interface.

#include <QMainWindow>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "display/playback.h"
#include "experiments/generated_experiments.h"
#include "solve/solve_experiments.h"
#include "solve/user_interface.h"
#include "solve/workbench.h"
#include "studies/parametric_loop.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;

namespace quarvel {
class QImageCanvas;
}

namespace quarvel::app {

class GraphBox;
class GraphWindow;

class MainForm : public QMainWindow, public UserInterface {
  Q_OBJECT

 public:
  // Dialogs default to the Qt ones; tests pass a fake.
  explicit MainForm(std::unique_ptr<Dialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~MainForm() override;

  Workbench& Bench() { return bench_; }
  const Workbench& Bench() const { return bench_; }

  // The playback clock; the system clock unless set (tests drive a fake one).
  void SetPlaybackClock(std::unique_ptr<PlaybackClock> clock);

  // The separate graph window (hidden until the user double-clicks the graph).
  GraphWindow& GraphForm() { return *graphWindow_; }

  // Folder of the study and envelope files; the program's folder unless set.
  void SetStudyFolder(const QString& folder) { studyFolder_ = folder; }

  // Solves run since the window was made (every path that reaches the solve driver).
  int SolveCount() const { return solveCount_; }
  // Calls of UpdateGraph since the window was made.
  int GraphUpdateCount() const { return graphUpdateCount_; }

  // UserInterface
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ProcessEvents() override;
  void UpdateErrorLabels() override;
  void UpdatePeriodLabels() override;
  void UpdateGraph(int32_t pointCount, bool updateTitles) override;

  // Commands, as the buttons run them. A command clicked while another one is still running
  // (from inside its event processing) is ignored.
  void LoadExperiments();
  void CreateExperiments();
  void ClearExperiments();
  void CreateSinusoidalDisplacement();
  void CreateProtocolExperiment(DisplacementProtocol protocol);
  void SolveNow();
  void ExportResults();
  void RunLoop();
  void RunAdvancedLoop();
  void ShowAbout();

  // Playback of the selected experiment's response. Play runs the animation loop, which lets
  // the window's events run at every turn and returns at the end of the record, after Pause or
  // after Stop. Pause keeps the frame and the scroll position; Stop shows the whole response
  // again with the scroll bar at 0.
  void Play();
  void Pause();
  void Stop();
  bool IsPlaying() const { return playback_.playing; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  struct TextBinding {
    QLineEdit* box;
    std::string MainWindowInputs::*field;
  };
  struct OptionBinding {
    QAbstractButton* button;
    bool MainWindowInputs::*field;
  };
  class BusyScope;
  class StudyScope;

  // Layout
  QWidget* BuildSystemParameters();
  QWidget* BuildSolutionMethod();
  QWidget* BuildParametric();
  QWidget* BuildExcitation();
  QWidget* BuildDisplay();
  QWidget* BuildMaximumError();
  QWidget* BuildPeriods();
  template <std::size_t N>
  QWidget* CaptionValueFrame(const char* objectName, const char* title,
                             std::initializer_list<const char*> captions,
                             std::array<QLabel*, N>& labels, const char* prefix);
  QWidget* BuildSimulation();
  QWidget* BuildLegend();
  QLineEdit* AddTextBox(const char* objectName, std::string MainWindowInputs::*field);
  QAbstractButton* AddOption(const char* objectName, const char* caption,
                             bool MainWindowInputs::*field);

  // The widgets and bench_.inputs: read before every core call, written back after the core
  // rewrote texts (a study's swept value).
  void ReadInputs();
  void WriteInputs();

  // Refills the experiment list from the set with the reactions suppressed and selects
  // experiment 1 with the given graph quantities.
  void RefillExperimentList(int32_t xQuantity, int32_t yQuantity);
  // The same for a caller that has already set the reaction guard.
  void FillExperimentList(int32_t xQuantity, int32_t yQuantity);
  // What follows every command that replaced the set: list refill, details, solve.
  void ShowNewExperiments(int32_t xQuantity, int32_t yQuantity);
  // The details panel for the experiment at the list's selection.
  void ShowExperimentDetails();
  // Empties the lists, the details panel, the graph and the progress caption.
  void ResetDisplay();
  // Stops the playback first, then solves the set and refreshes the display.
  void Solve();
  // Stops a running playback as Stop does; nothing when none runs.
  void StopPlaybackIfRunning();
  // Sizes the graph box's picture to the box and makes it the graph's surface.
  void PrepareBoxSurface();
  // Shows the picture just drawn on the box's surface, and in the graph window when it is on
  // screen.
  void ShowDrawnGraph();
  // One playback frame: the curves up to sample k, the reversal marks after it.
  void DrawPlaybackFrame(int32_t k);
  // Shows k/N under the scroll bar.
  void ShowProgress(int32_t k, int32_t sampleCount);
  // The scroll bar and the speed slider moved.
  void OnScrolled(int position);
  void OnSpeedChanged(int sliderValue);
  // A double click on the graph box brings the graph window on screen.
  void ShowGraphWindow();
  // A click on a "Vary :" or "By changing :" option, with the rule that ties the groups.
  void OnStudyOptionClicked(StudyOption option);
  // Study files are written beside the program.
  std::string StudyFolder() const;
  // Shows a study's progress in the status bar.
  StudyProgressObserver StudyProgressShown();

  // List reactions
  void OnExperimentSelected(int index);
  void OnGraphQuantitySelected(int32_t Workbench::*quantity, int index);

  std::unique_ptr<Dialogs> dialogs_;
  QString studyFolder_;
  Workbench bench_;
  SolvePool solvePool_;  // Solve Now's experiments side by side, one per hardware thread
  bool busy_ = false;
  bool escapePressed_ = false;  // since the advanced loop started
  int solveCount_ = 0;
  int graphUpdateCount_ = 0;

  std::vector<TextBinding> texts_;
  std::vector<OptionBinding> options_;
  QComboBox* cboExperiment_ = nullptr;
  QComboBox* cboGraphX_ = nullptr;
  QComboBox* cboGraphY_ = nullptr;
  std::array<QLabel*, 9> lblExp_{};
  std::array<QLabel*, 9> lblExpValue_{};
  std::array<QLabel*, 8> lblError_{};
  std::array<QLabel*, 4> lblT_{};
  // The graph lives in the graph window; the box shows it drawn on a picture of its own size.
  GraphWindow* graphWindow_ = nullptr;
  std::unique_ptr<QImageCanvas> canvas_;
  // Playback
  std::unique_ptr<PlaybackClock> clock_;
  PlaybackState playback_;
  bool closePending_ = false;  // closed during playback: close once the loop has returned
  GraphBox* picBoucWen_ = nullptr;
  QLabel* lblProgressDataPoints_ = nullptr;
  QScrollBar* hScroll_ = nullptr;
  QSlider* slider_ = nullptr;
  QPushButton* cmdPlay_ = nullptr;
  QPushButton* cmdPause_ = nullptr;
  QPushButton* cmdStop_ = nullptr;
};

}  // namespace quarvel::app
