#pragma once
// The main window's widgets and their layout: three columns (model inputs and studies; the
// graph box with its legend and the playback controls; the experiment commands, lists, details
// and results), every control named by its objectName. Building connects nothing: the window
// wires the controls to its commands and inputs.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "solve/main_window_inputs.h"
#include "studies/parametric_loop.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QWidget;

namespace quarvel::app {

class GraphBox;

// A text box and the input it edits.
struct TextBinding {
  QLineEdit* box = nullptr;
  std::string MainWindowInputs::*field = nullptr;
};

// An option button or the check box and the input it sets.
struct OptionBinding {
  QAbstractButton* button = nullptr;
  bool MainWindowInputs::*field = nullptr;
};

// The controls the window wires, as built.
struct MainFormControls {
  std::vector<TextBinding> texts;
  std::vector<OptionBinding> options;
  // The "Vary :" and "By changing :" options, whose clicks follow a rule of their own.
  std::vector<std::pair<QAbstractButton*, StudyOption>> studyOptions;

  QPushButton* cmdLoadExperiments = nullptr;
  QPushButton* cmdCreateExperiment = nullptr;
  QPushButton* cmdClearExperiments = nullptr;
  QPushButton* cmdDCSinusoidal = nullptr;
  QPushButton* command1 = nullptr;  // DC 1
  QPushButton* command2 = nullptr;  // DC 2
  QPushButton* cmdSolve = nullptr;
  QPushButton* cmdExportResults = nullptr;
  QPushButton* cmdLoop = nullptr;
  QPushButton* cmdExLoop = nullptr;
  QLineEdit* txtResultsFolder = nullptr;  // read-only: the folder the studies use
  QPushButton* cmdBrowseResultsFolder = nullptr;
  QPushButton* cmdAbout = nullptr;
  QPushButton* cmdLoops = nullptr;  // the Loops window
  QPushButton* cmdByPeriod = nullptr;  // the By period window
  QPushButton* cmdSpectra = nullptr;   // the Spectra window

  QComboBox* cboExperiment = nullptr;
  QComboBox* cboGraphX = nullptr;
  QComboBox* cboGraphY = nullptr;
  std::array<QLabel*, 9> lblExp{};       // captions of the details panel
  std::array<QLabel*, 9> lblExpValue{};  // its values
  std::array<QLabel*, 8> lblError{};     // caption, value, ... of the four errors
  std::array<QLabel*, 4> lblT{};         // caption, value of the two periods

  GraphBox* picBoucWen = nullptr;
  QPushButton* cmdPlay = nullptr;
  QPushButton* cmdPause = nullptr;
  QPushButton* cmdStop = nullptr;
  QScrollBar* hScroll = nullptr;
  QSlider* slider = nullptr;
  QLabel* lblProgressDataPoints = nullptr;
};

// Builds every control of the main window into a new widget (the window's central widget) and
// records in `controls` those the window wires. The boxes and options show no input yet.
QWidget* BuildMainFormLayout(MainFormControls& controls);

}  // namespace quarvel::app
