#pragma once
// The Spectra window: inelastic response spectra of both models over the ground-acceleration
// (and force) records of the loaded set, on the engine and with the tables of the command
// line's spectrum. Its inputs: the records (all or some), the periods (from, to, step, or a
// list), the kind (strength ratio, reduction R, ductility) with its value and the damping ratio;
// the main window's model boxes apply as on the command line (the Mass box is the records'
// mass when above 0). The run goes on the solve pool with its progress and Cancel, which keeps
// the points finished. The picture shows a quantity of both models over the period, the mean
// thick and each record thin with its name, drawn as the command line draws it; Save Tables
// writes the rows and the statistics tables, Save Picture a PNG, JPEG, SVG or PDF file.

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/dialogs.h"
#include "solve/solve_pool.h"
#include "solve/stop_token.h"
#include "solve/workbench.h"
#include "spectra/spectrum_point.h"
#include "spectra/spectrum_run.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace quarvel::app {

// How a window runs long work: on the solve pool, with the main window's progress and Cancel.
class LongWorkRunner {
 public:
  virtual ~LongWorkRunner() = default;
  // Runs job(pool, stop) away from the window's thread and answers events until it ends;
  // `fraction` (0..1) and `text` describe its progress meanwhile (they run on the window's
  // thread). False, without running it, while other work runs.
  virtual bool RunLongWork(const std::function<void(SolvePool&, const StopToken&)>& job,
                           const std::function<double()>& fraction,
                           const std::function<QString()>& text) = 0;
  // Asks the work that runs to stop.
  virtual void CancelLongWork() = 0;
};

class SpectraWindow : public QWidget {
  Q_OBJECT

 public:
  // A hidden top-level window (over `parent`) reading `bench`; all three must outlive it.
  SpectraWindow(const Workbench& bench, LongWorkRunner& runner, Dialogs& dialogs,
                QWidget* parent = nullptr);

  // Lists the records of the bench's set afresh (every one that a spectrum takes is chosen).
  void Refresh();
  // The picture as shown (null before a run).
  const QImage& Picture() const { return picture_; }

 private:
  // Reads the inputs, runs the spectrum and shows it; a refused input is said in the status.
  void Run();
  // The plan from the inputs; false with `error` saying why not.
  bool MakePlan(SpectrumPlan& plan, QString& error);
  // Draws the quantity chosen from the points kept.
  void Draw();
  void SaveTables();
  void SavePicture();
  void ShowWorking(bool working);

  const Workbench& bench_;
  LongWorkRunner& runner_;
  Dialogs& dialogs_;

  QListWidget* records_ = nullptr;      // lstSpectrumRecords
  QLineEdit* from_ = nullptr;           // txtSpectrumFrom
  QLineEdit* to_ = nullptr;             // txtSpectrumTo
  QLineEdit* step_ = nullptr;           // txtSpectrumStep
  QLineEdit* list_ = nullptr;           // txtSpectrumList
  QComboBox* kind_ = nullptr;           // cboSpectrumKind
  QLineEdit* target_ = nullptr;         // txtSpectrumTarget
  QLineEdit* damping_ = nullptr;        // txtSpectrumDamping
  QComboBox* quantity_ = nullptr;       // cboSpectrumQuantity
  QCheckBox* labelRecords_ = nullptr;   // chkSpectrumLabelRecords
  QPushButton* run_ = nullptr;          // cmdRunSpectrum
  QPushButton* cancel_ = nullptr;       // cmdCancelSpectrum
  QPushButton* saveTables_ = nullptr;   // cmdSaveSpectrumTables
  QPushButton* savePicture_ = nullptr;  // cmdSaveSpectrumPicture
  QProgressBar* progress_ = nullptr;    // progressSpectrum
  QLabel* status_ = nullptr;            // lblSpectrumStatus
  QLabel* view_ = nullptr;              // picSpectrum

  std::vector<int32_t> recordNumbers_;     // the set's experiment of each list row (1-based)
  std::vector<Experiment> runRecords_;     // the records of the last run, in plan order
  std::unique_ptr<QTemporaryDir> tables_;  // the tables of the last run
  std::vector<SpectrumPoint> points_;      // the points of the last run, in order
  QImage picture_;
  std::atomic<int64_t> done_{0};
  std::atomic<int64_t> count_{0};
};

}  // namespace quarvel::app
