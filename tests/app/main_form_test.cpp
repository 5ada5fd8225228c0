// The main window driven through its widgets, with dialogs answered by a fake.

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/graph_box.h"
#include "app/legend_sample.h"
#include "app/main_form.h"
#include "experiments/experiment_file.h"
#include "experiments/generated_experiments.h"
#include "fake_dialogs.h"
#include "solve/labels.h"
#include "solve/solve_experiments.h"

namespace quarvel::app {
namespace {

using testing::DialogLog;
using testing::FakeDialogs;

// Two force experiments, the second in units of g.
constexpr const char* kTwoExperiments =
    "2\n"
    "Pulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n"
    "Ground\n1\n3.5\n0.01\n0\n0\nAcceleration\nUnits of g\n0.01\n4\n0\n0.1\n-0.1\n0\n";

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    form = std::make_unique<MainForm>(std::make_unique<FakeDialogs>(log));
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
  QComboBox* List(const char* name) { return Find<QComboBox>(name); }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }

  QString WriteFile(const char* name, const char* contents) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
  }

  QStringList ExperimentNames() {
    QStringList names;
    QComboBox* list = List("cboExperiment");
    for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
    return names;
  }

  QTemporaryDir folder;
  DialogLog log;
  std::unique_ptr<MainForm> form;
};

TEST_F(MainFormTest, StartsWithTheDefaultInputs) {
  EXPECT_EQ(form->windowTitle(), "Quarvel : Bouc-Wen model modification");
  const std::pair<const char*, const char*> texts[] = {
      {"txtAlphaCap", "1.0"},  {"txtBetaSmall", "0.1"}, {"txtGammaSmall", "0.9"},
      {"txtNee", "2.0"},       {"txtAlphaSmall", "0.10"}, {"txtCharlieSmall", "0"},
      {"txtFy", "2.86"},       {"txtUy", "0.111"},      {"txtP", "2.0"},
      {"txtMass", "-1"},       {"txtEps1", "1E-09"},    {"txtSolutionEulerSteps", "1"},
      {"txtThresholdZ", "-1"}, {"txtFrom", "0.1"},      {"txtTo", "10"},
      {"txtStep", "0.01"}};
  for (const auto& [name, text] : texts) EXPECT_EQ(Box(name)->text(), text) << name;

  const std::pair<const char*, bool> options[] = {
      {"optSolutionEuler", false},     {"optSolutionEulerStepDoubling", false},
      {"optSolutionRK45", false},      {"optSolutionRKStepDoubling", true},
      {"optALLREV", true},             {"optReversalLast", false},
      {"optReversalMax", false},       {"optReversalLastAndMax", false},
      {"chkWithinUnloadingBranch", true}, {"optVaryMass", false},
      {"optVaryElasticPeriod", false}, {"optVaryPlasticPeriod", true},
      {"optChangeMass", true},         {"optChangeFy", false},
      {"optChangeUy", false}};
  for (const auto& [name, checked] : options) {
    EXPECT_EQ(Find<QAbstractButton>(name)->isChecked(), checked) << name;
  }
  EXPECT_EQ(Box("txtMass")->toolTip(),
            "Oscilating mass. Set to a negative value to use the mass of the input file.");

  const QStringList quantities = {"T ", "U ", "U_DOT", "U_DOT_DOT", "F ",
                                  "Z ", "Fext", "Fh", "Et", "Eh"};
  for (const char* name : {"cboGraphX", "cboGraphY"}) {
    QComboBox* list = List(name);
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
    EXPECT_EQ(entries, quantities) << name;
    EXPECT_EQ(list->currentIndex(), -1) << name;
  }
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(Text("lblError_1"), "");
  EXPECT_EQ(Text("lblT_1"), "");

  EXPECT_FALSE(Find<QPushButton>("cmdPause")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("cmdStop")->isEnabled());
  EXPECT_EQ(Find<QScrollBar>("HScroll")->minimum(), 0);
  EXPECT_EQ(Find<QScrollBar>("HScroll")->maximum(), 1000);
  EXPECT_EQ(Find<QSlider>("Slider")->minimum(), -9);
  EXPECT_EQ(Find<QSlider>("Slider")->maximum(), 9);
  EXPECT_EQ(Find<QSlider>("Slider")->value(), 0);
}

TEST_F(MainFormTest, FramesCommandsAndLegendCarryTheirCaptions) {
  const std::pair<const char*, const char*> frames[] = {
      {"frameSystemParameters", "System Parameters"}, {"frameParametric", "Parametric"},
      {"frameExcitation", "Excitation"},             {"frameDisplay", "Display"},
      {"frameMaximumError", "Maximum Error"},        {"framePeriods", "Periods (s)"},
      {"frameSimulationControl", "Simulation"},      {"frameLegend", "Legend"},
      {"frameSolutionMethod", "Solution Method"}};
  for (const auto& [name, title] : frames) EXPECT_EQ(Find<QGroupBox>(name)->title(), title);

  const std::pair<const char*, const char*> buttons[] = {
      {"cmdLoadExperiments", "Load"},   {"cmdCreateExperiment", "Create"},
      {"cmdClearExperiments", "Clear"}, {"cmdDCSinusoidal", "Create Sinusoidal Displ.-Controlled"},
      {"Command1", "DC 1"},             {"Command2", "DC 2"},
      {"cmdSolve", "Solve Now"},        {"cmdExportResults", "Export Results"},
      {"cmdLoop", "Loop"},              {"cmdExLoop", "Advanced Loop"},
      {"cmdPlay", "Play"},              {"cmdPause", "Pause"},
      {"cmdStop", "Stop"},              {"cmdAbout", "About Quarvel"}};
  for (const auto& [name, caption] : buttons) {
    EXPECT_EQ(Find<QPushButton>(name)->text(), caption);
  }

  // Colours as 0x00BBGGRR, as the graph draws the series.
  struct Sample {
    const char* name;
    uint32_t colour;
    int width;
    LegendSample::Shape shape;
  };
  const Sample samples[] = {{"lineOriginalModel", 0x0000FF, 3, LegendSample::Shape::Line},
                            {"lineModifiedModel", 0xFF0000, 2, LegendSample::Shape::Line},
                            {"lineReversalPlus", 0x00FF00, 2, LegendSample::Shape::Plus},
                            {"lineReversalMinus", 0xFF00FF, 2, LegendSample::Shape::Plus}};
  for (const Sample& sample : samples) {
    const auto* line = form->findChild<LegendSample*>(sample.name);
    ASSERT_NE(line, nullptr) << sample.name;
    EXPECT_EQ(line->Colour(), sample.colour) << sample.name;
    EXPECT_EQ(line->PenWidth(), sample.width) << sample.name;
    EXPECT_EQ(line->SampleShape(), sample.shape) << sample.name;
  }
  EXPECT_EQ(Text("lblOriginalModel"), "Original Model");
  EXPECT_EQ(Text("lblReversalMinus"), "Reversal point -");
}

// A swapped binding between a text box and its input would solve with the wrong parameter.
TEST_F(MainFormTest, EveryTextBoxReachesItsOwnInput) {
  const std::pair<const char*, std::string MainWindowInputs::*> boxes[] = {
      {"txtAlphaCap", &MainWindowInputs::txtAlphaCap},
      {"txtBetaSmall", &MainWindowInputs::txtBetaSmall},
      {"txtGammaSmall", &MainWindowInputs::txtGammaSmall},
      {"txtNee", &MainWindowInputs::txtNee},
      {"txtAlphaSmall", &MainWindowInputs::txtAlphaSmall},
      {"txtCharlieSmall", &MainWindowInputs::txtCharlieSmall},
      {"txtFy", &MainWindowInputs::txtFy},
      {"txtUy", &MainWindowInputs::txtUy},
      {"txtP", &MainWindowInputs::txtP},
      {"txtThresholdZ", &MainWindowInputs::txtThresholdZ},
      {"txtMass", &MainWindowInputs::txtMass},
      {"txtEps1", &MainWindowInputs::txtEps1},
      {"txtSolutionEulerSteps", &MainWindowInputs::txtSolutionEulerSteps},
      {"txtFrom", &MainWindowInputs::txtFrom},
      {"txtTo", &MainWindowInputs::txtTo},
      {"txtStep", &MainWindowInputs::txtStep}};
  for (const auto& [name, field] : boxes) Box(name)->setText(QString("%1 typed").arg(name));
  Click("optSolutionEuler");
  Click("optReversalMax");
  Click("chkWithinUnloadingBranch");
  Click("optVaryElasticPeriod");
  Click("optChangeUy");

  Click("cmdSolve");  // reads the window, then finds no experiments

  const MainWindowInputs& inputs = form->Bench().inputs;
  for (const auto& [name, field] : boxes) {
    EXPECT_EQ(inputs.*field, std::string(name) + " typed") << name;
  }
  EXPECT_TRUE(inputs.optSolutionEuler);
  EXPECT_FALSE(inputs.optSolutionRKStepDoubling);
  EXPECT_TRUE(inputs.optReversalMax);
  EXPECT_FALSE(inputs.optALLREV);
  EXPECT_FALSE(inputs.chkWithinUnloadingBranch);
  EXPECT_TRUE(inputs.optVaryElasticPeriod);
  EXPECT_FALSE(inputs.optVaryPlasticPeriod);
  EXPECT_TRUE(inputs.optChangeUy);
  EXPECT_FALSE(inputs.optChangeMass);
}

TEST_F(MainFormTest, ProcessingEventsShowsTheTextsAStudyRewrote) {
  form->Bench().inputs.txtMass = "12.345678";
  form->Bench().inputs.txtUy = "0.2";
  form->ProcessEvents();
  EXPECT_EQ(Box("txtMass")->text(), "12.345678");
  EXPECT_EQ(Box("txtUy")->text(), "0.2");

  // What the user types while the window runs is what the study reads next.
  QTimer::singleShot(0, form.get(), [this] { Box("txtFy")->setText("3.5"); });
  form->ProcessEvents();
  EXPECT_EQ(form->Bench().inputs.txtFy, "3.5");
}

TEST_F(MainFormTest, SolveWithoutExperimentsAsksForThem) {
  Click("cmdSolve");
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Please load a set of experiments!");
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(form->GraphUpdateCount(), 0);
}

TEST_F(MainFormTest, CreateFillsTheListSelectsTimeAndDisplacementAndSolvesOnce) {
  Click("cmdCreateExperiment");

  EXPECT_EQ(ExperimentNames(),
            (QStringList{"T=1, Amp=5", "T=2, Amp=5", "T=3, Amp=5", "T=1, Amp=20", "T=2, Amp=20",
                         "T=3, Amp=20"}));
  EXPECT_EQ(List("cboExperiment")->currentIndex(), 0);
  EXPECT_EQ(List("cboGraphX")->currentText(), "T ");
  EXPECT_EQ(List("cboGraphY")->currentText(), "U ");
  const Workbench& bench = form->Bench();
  EXPECT_EQ(bench.currentExperiment, 1);
  EXPECT_EQ(bench.graphXQuantity, 0);
  EXPECT_EQ(bench.graphYQuantity, 1);

  EXPECT_EQ(Text("lblExpValue_1"), "Force");
  EXPECT_EQ(Text("lblExpValue_2"), "No unit system specified");
  EXPECT_EQ(Text("lblExpValue_5"), "501");
  EXPECT_EQ(Text("lblExpValue_6"), "2.86");
  EXPECT_EQ(Text("lblExp_1"), "Data type :");
  EXPECT_FALSE(Find<QLabel>("lblExpValue_3")->toolTip().isEmpty());
  EXPECT_TRUE(Find<QLabel>("lblExpValue_4")->toolTip().isEmpty());

  // The refill selects entries of three lists; only the command's own solve may run.
  EXPECT_EQ(form->SolveCount(), 1);
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(MainFormTest, LabelsShowTheSolveOfTheSelectedExperiment) {
  Click("cmdCreateExperiment");
  const Experiment& first = form->Bench().experiments.At(1);
  ASSERT_GT(first.originalPeakU, 0.0) << "the solve stored no results";
  const ErrorLabelTexts expected =
      ErrorLabels(first.absErrorU, first.relErrorU, first.absErrorEh, first.relErrorEh);
  EXPECT_EQ(Text("lblError_1").toStdString(), expected.absoluteU);
  EXPECT_EQ(Text("lblError_3").toStdString(), expected.relativeU);
  EXPECT_EQ(Text("lblError_5").toStdString(), expected.absoluteEh);
  EXPECT_EQ(Text("lblError_7").toStdString(), expected.relativeEh);
  // 2 pi sqrt(m Uy / Fy) and the same over a = 0.1, with the experiments' mass 2.86.
  EXPECT_EQ(Text("lblT_1"), "2.093");
  EXPECT_EQ(Text("lblT_3"), "6.62");

  // Choosing experiment 5 solves again and shows its own errors and details.
  List("cboExperiment")->setCurrentIndex(4);
  EXPECT_EQ(form->SolveCount(), 2);
  EXPECT_EQ(form->Bench().currentExperiment, 5);
  EXPECT_EQ(Text("lblExpValue_5"), "1001");
  const Experiment& fifth = form->Bench().experiments.At(5);
  EXPECT_EQ(Text("lblError_1").toStdString(),
            ErrorLabels(fifth.absErrorU, fifth.relErrorU, fifth.absErrorEh, fifth.relErrorEh)
                .absoluteU);
}

// Solve Now shares the experiments among threads; the results must be those of the solve in
// index order on one thread, to the last bit.
TEST_F(MainFormTest, SolveNowGivesTheResultsOfTheSequentialSolve) {
  Click("cmdCreateExperiment");
  Workbench sequential;
  sequential.inputs = form->Bench().inputs;
  CreateSineForceExperiments(sequential.experiments);
  sequential.SelectFirst(0, 1);
  SilentUserInterface silent;
  ASSERT_TRUE(SolveExperiments(sequential, silent, false).solved);

  const auto sameBits = [](const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
  };
  ASSERT_EQ(form->Bench().experiments.Count(), sequential.experiments.Count());
  for (int32_t k = 1; k <= sequential.experiments.Count(); ++k) {
    SCOPED_TRACE(k);
    const Experiment& shown = form->Bench().experiments.At(k);
    const Experiment& expected = sequential.experiments.At(k);
    for (const auto pass : {&Experiment::original, &Experiment::modified}) {
      const ResponseHistory& a = shown.*pass;
      const ResponseHistory& b = expected.*pass;
      EXPECT_TRUE(sameBits(a.U, b.U) && sameBits(a.Z, b.Z) && sameBits(a.Eh, b.Eh));
    }
    EXPECT_EQ(shown.relErrorU, expected.relErrorU);
    EXPECT_EQ(shown.relErrorEh, expected.relErrorEh);
  }
}

int CountPixels(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  }
  return count;
}

TEST_F(MainFormTest, GraphIsDrawnAtTheSizeOfItsBoxAndFollowsIt) {
  form->resize(1280, 800);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  auto* box = Find<GraphBox>("picBoucWen");
  Click("cmdCreateExperiment");
  ASSERT_FALSE(box->Image().isNull());
  EXPECT_EQ(box->Image().size(), box->size());
  EXPECT_GT(CountPixels(box->Image(), qRgb(255, 0, 0)), 100);  // original model
  EXPECT_GT(CountPixels(box->Image(), qRgb(0, 0, 255)), 100);  // modified model

  form->resize(1280, 700);
  QTRY_COMPARE(box->Image().size(), box->size());

  Click("cmdClearExperiments");
  EXPECT_TRUE(box->Image().isNull());
}

TEST_F(MainFormTest, QuantityListsRedrawWithoutSolving) {
  Click("cmdCreateExperiment");
  const int solves = form->SolveCount();
  const int draws = form->GraphUpdateCount();

  List("cboGraphY")->setCurrentIndex(7);
  EXPECT_EQ(form->Bench().graphYQuantity, 7);
  EXPECT_EQ(form->GraphUpdateCount(), draws + 1);
  List("cboGraphX")->setCurrentIndex(2);
  EXPECT_EQ(form->Bench().graphXQuantity, 2);
  EXPECT_EQ(form->GraphUpdateCount(), draws + 2);
  EXPECT_EQ(form->SolveCount(), solves);
}

TEST_F(MainFormTest, ListReactionsDoNothingWhileTheGuardIsSet) {
  Click("cmdCreateExperiment");
  const int solves = form->SolveCount();
  const int draws = form->GraphUpdateCount();
  {
    SuppressedReactions guard(form->Bench().reactionGuard);
    List("cboExperiment")->setCurrentIndex(2);
    List("cboGraphX")->setCurrentIndex(5);
  }
  EXPECT_EQ(form->SolveCount(), solves);
  EXPECT_EQ(form->GraphUpdateCount(), draws);
  EXPECT_EQ(form->Bench().currentExperiment, 1);
  EXPECT_EQ(form->Bench().graphXQuantity, 0);
}

TEST_F(MainFormTest, LoadReadsTheChosenFileAndSelectsDisplacementAndForce) {
  log.openAnswers.push_back(WriteFile("two.quarvel", kTwoExperiments));
  Click("cmdLoadExperiments");

  ASSERT_EQ(log.openRequests.size(), 1u);
  EXPECT_EQ(log.openRequests[0].title, "Load file");
  EXPECT_EQ(log.openRequests[0].filters, QStringList{"Quarvel files (*.quarvel)"});
  EXPECT_EQ(log.openRequests[0].directory, QCoreApplication::applicationDirPath());

  EXPECT_EQ(ExperimentNames(), (QStringList{"Pulse", "Ground"}));
  EXPECT_EQ(List("cboGraphX")->currentText(), "U ");
  EXPECT_EQ(List("cboGraphY")->currentText(), "F ");
  EXPECT_EQ(form->Bench().graphXQuantity, 1);
  EXPECT_EQ(form->Bench().graphYQuantity, 4);
  EXPECT_EQ(Text("lblExpValue_1"), "Force");
  EXPECT_EQ(Text("lblExpValue_4"), "0.02");
  EXPECT_EQ(Text("lblExpValue_5"), "3");
  EXPECT_EQ(form->SolveCount(), 1);

  List("cboExperiment")->setCurrentIndex(1);
  EXPECT_EQ(Text("lblExpValue_1"), "Acceleration");
  EXPECT_EQ(Text("lblExpValue_2"), "Units of g");
  EXPECT_EQ(Text("lblExpValue_7"), "0.01");
}

TEST_F(MainFormTest, FailedLoadReportsTheReasonAndEmptiesTheLists) {
  Click("cmdCreateExperiment");
  const int solves = form->SolveCount();
  log.openAnswers.push_back(WriteFile("bad.quarvel", "0\n"));
  Click("cmdLoadExperiments");

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Error while loading the file!");
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(log.messages[0].detail.contains("bad.quarvel")) << log.messages[0].detail.toStdString();
  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_EQ(form->SolveCount(), solves);
  // The set is empty: the list offers nothing that could be selected.
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(Text("lblExpValue_1"), "");
}

TEST_F(MainFormTest, CancelledLoadKeepsTheSetAndTheSelection) {
  log.openAnswers.push_back(WriteFile("two.quarvel", kTwoExperiments));
  Click("cmdLoadExperiments");
  List("cboExperiment")->setCurrentIndex(1);
  List("cboGraphY")->setCurrentIndex(9);
  const int solves = form->SolveCount();

  Click("cmdLoadExperiments");  // no answer queued: cancel

  EXPECT_EQ(log.openRequests.size(), 2u);
  EXPECT_EQ(ExperimentNames(), (QStringList{"Pulse", "Ground"}));
  EXPECT_EQ(form->Bench().experiments.Count(), 2);
  EXPECT_EQ(form->Bench().currentExperiment, 2);
  EXPECT_EQ(List("cboExperiment")->currentIndex(), 1);
  EXPECT_EQ(form->Bench().graphYQuantity, 9);
  EXPECT_EQ(form->SolveCount(), solves);
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(MainFormTest, ClearEmptiesTheSetListsAndDetails) {
  Click("cmdCreateExperiment");
  const int solves = form->SolveCount();
  Click("cmdClearExperiments");

  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(List("cboExperiment")->currentIndex(), -1);
  EXPECT_EQ(List("cboGraphX")->currentIndex(), -1);
  EXPECT_EQ(List("cboGraphY")->currentIndex(), -1);
  EXPECT_EQ(List("cboGraphX")->count(), 10);
  for (int i = 1; i <= 9; ++i) {
    EXPECT_EQ(Text(QString("lblExpValue_%1").arg(i).toLatin1().constData()), "") << i;
  }
  EXPECT_EQ(Text("lblProgressDataPoints"), "");
  EXPECT_EQ(form->SolveCount(), solves);

  Click("cmdSolve");
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Please load a set of experiments!");
}

TEST_F(MainFormTest, SinusoidDialogOkReplacesTheSetWithOneDisplacementExperiment) {
  Click("cmdCreateExperiment");
  log.sinusoidAnswers.push_back(SinusoidDialogTexts{});
  Click("cmdDCSinusoidal");

  EXPECT_EQ(ExperimentNames(), QStringList{"m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02"});
  EXPECT_EQ(Text("lblExpValue_1"), "Displacement");
  EXPECT_EQ(Text("lblExpValue_5"), "601");
  EXPECT_EQ(List("cboGraphX")->currentText(), "U ");
  EXPECT_EQ(List("cboGraphY")->currentText(), "F ");
  EXPECT_EQ(form->SolveCount(), 2);
}

TEST_F(MainFormTest, SinusoidDialogCancelKeepsTheSet) {
  Click("cmdCreateExperiment");
  List("cboExperiment")->setCurrentIndex(2);
  const int solves = form->SolveCount();
  log.sinusoidAnswers.push_back(std::nullopt);
  Click("cmdDCSinusoidal");

  EXPECT_EQ(log.sinusoidAsked, 1);
  EXPECT_EQ(ExperimentNames().size(), 6);
  EXPECT_EQ(form->Bench().currentExperiment, 3);
  EXPECT_EQ(form->SolveCount(), solves);
}

TEST_F(MainFormTest, SinusoidWithoutAPeriodIsRefusedWithAReason) {
  Click("cmdCreateExperiment");
  SinusoidDialogTexts texts;
  texts.period = "0";
  log.sinusoidAnswers.push_back(texts);
  Click("cmdDCSinusoidal");

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(ExperimentNames().size(), 6);
  EXPECT_EQ(form->Bench().experiments.Count(), 6);
}

TEST_F(MainFormTest, DcProtocolsScaleWithTheYieldDisplacementInTheWindow) {
  Box("txtUy")->setText("0.2");
  Click("Command1");
  ASSERT_EQ(form->Bench().experiments.Count(), 1);
  const Experiment& dc1 = form->Bench().experiments.At(1);
  EXPECT_EQ(ExperimentNames(), QStringList{"Temp DC 1"});
  EXPECT_EQ(dc1.counter, 1647);
  EXPECT_NEAR(dc1.displacement[301], 1.5 * 0.2, 1e-12);
  EXPECT_EQ(Text("lblExpValue_1"), "Displacement");
  EXPECT_EQ(List("cboGraphX")->currentText(), "U ");
  EXPECT_EQ(List("cboGraphY")->currentText(), "F ");

  Click("Command2");
  EXPECT_EQ(ExperimentNames(), QStringList{"Temp DC 2"});
  EXPECT_EQ(Text("lblExpValue_5"), "2399");
  EXPECT_EQ(form->SolveCount(), 2);
}

TEST_F(MainFormTest, ExportWritesTheReportAndOpensIt) {
  Click("cmdCreateExperiment");
  const QString path = folder.filePath("report.txt");
  log.saveAnswers.push_back(path);
  Click("cmdExportResults");

  ASSERT_EQ(log.saveRequests.size(), 1u);
  EXPECT_EQ(log.saveRequests[0].title, "Export results");
  EXPECT_EQ(log.saveRequests[0].filters,
            (QStringList{"Fixed column text file (*.txt)", "All Files (*.*)"}));
  EXPECT_EQ(log.saveRequests[0].defaultSuffix, "txt");

  QFile report(path);
  ASSERT_TRUE(report.open(QIODevice::ReadOnly));
  const QByteArray contents = report.readAll();
  EXPECT_TRUE(contents.startsWith("Bouc-Wen model modification\r\nParameters:\r\n"));
  EXPECT_TRUE(contents.contains("Mass =-1\r\n"));
  EXPECT_TRUE(contents.contains("T=3, Amp=20\r\n"));
  EXPECT_EQ(log.editorPaths, QStringList{path});
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(MainFormTest, ExportWithoutExperimentsOrCancelledWritesNothing) {
  Click("cmdExportResults");
  EXPECT_TRUE(log.saveRequests.empty());

  Click("cmdCreateExperiment");
  Click("cmdExportResults");  // no answer queued: cancel
  EXPECT_EQ(log.saveRequests.size(), 1u);
  EXPECT_TRUE(log.editorPaths.empty());
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(MainFormTest, ExportThatCannotWriteNamesTheFileAndOpensNothing) {
  Click("cmdCreateExperiment");
  const QString path = folder.filePath("missing folder/report.txt");
  log.saveAnswers.push_back(path);
  Click("cmdExportResults");

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(log.messages[0].text.contains(path)) << log.messages[0].text.toStdString();
  EXPECT_TRUE(log.editorPaths.empty());
}

TEST_F(MainFormTest, EditorThatDoesNotStartIsReportedAndTheFileStays) {
  Click("cmdCreateExperiment");
  const QString path = folder.filePath("report.txt");
  log.saveAnswers.push_back(path);
  log.editorError = "no editor";
  Click("cmdExportResults");

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_TRUE(log.messages[0].text.contains(path));
  EXPECT_TRUE(log.messages[0].text.contains("no editor"));
  EXPECT_GT(QFile(path).size(), 0);
}

TEST_F(MainFormTest, AdvancedLoopAsksForTheThreshold) {
  Click("cmdExLoop");  // cancelled
  ASSERT_EQ(log.inputRequests.size(), 1u);
  EXPECT_EQ(log.inputRequests[0],
            (QStringList{"Peak U/Uy Threshold",
                         "Filter out the results in which the peak displacement over the yield "
                         "displacement of either the original or the modified model is smaller "
                         "than...",
                         "1"}));
  EXPECT_EQ(form->SolveCount(), 0);
}

QStringList FileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
}

TEST_F(MainFormTest, LoopSweepsTheMassAndLeavesTheLastValueInTheWindow) {
  form->SetStudyFolder(folder.path());
  Click("cmdCreateExperiment");
  Click("optVaryMass");
  Box("txtFrom")->setText("2");
  Box("txtTo")->setText("2.2");
  Box("txtStep")->setText("0.1");
  Click("cmdLoop");

  const QStringList lines = FileLines(folder.filePath("lresults.out"));
  ASSERT_EQ(lines.size(), 5) << lines.join("|").toStdString();
  EXPECT_EQ(lines[0], "Varying mass by changing mass");
  EXPECT_TRUE(lines[2].startsWith("2\t"));
  EXPECT_TRUE(lines[4].startsWith("2.2\t"));
  EXPECT_EQ(Box("txtMass")->text(), "2.2");
  EXPECT_TRUE(Find<QWidget>("frameExcitation")->isEnabled());
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(MainFormTest, EscapeDuringALoopEndsItAfterTheCurrentValue) {
  form->SetStudyFolder(folder.path());
  form->show();
  Click("cmdCreateExperiment");
  Click("optVaryMass");
  Box("txtFrom")->setText("1");
  Box("txtTo")->setText("100");
  Box("txtStep")->setText("1");
  Box("txtFrom")->setFocus();
  // Pressed while the study lets the window run after its first value.
  QTimer::singleShot(0, form.get(), [this] { QTest::keyClick(Box("txtFrom"), Qt::Key_Escape); });
  Click("cmdLoop");

  const QStringList lines = FileLines(folder.filePath("lresults.out"));
  ASSERT_EQ(lines.size(), 3) << lines.join("|").toStdString();
  EXPECT_EQ(Box("txtMass")->text(), "1");
}

TEST_F(MainFormTest, AdvancedLoopStudiesTheSeriesAndShowsTheLastFile) {
  form->SetStudyFolder(folder.path());
  WriteFile("1 first.quarvel", kTwoExperiments);
  WriteFile("2 second.quarvel",
            "1\nSecond\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n");
  Box("txtFrom")->setText("0.5");
  Box("txtTo")->setText("0.6");
  Box("txtStep")->setText("0.1");
  log.inputAnswers.push_back("0.0001");
  Click("cmdExLoop");

  EXPECT_TRUE(log.messages.empty());
  for (const char* name : {"1 first.quarvel.out", "2 second.quarvel.out", "EnvRelErrorUPos.out",
                           "EnvRelErrorUNeg.out", "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"}) {
    EXPECT_TRUE(QFile::exists(folder.filePath(name))) << name;
  }
  EXPECT_EQ(ExperimentNames(), QStringList{"Second"});
  EXPECT_EQ(List("cboGraphX")->currentText(), "U ");
  EXPECT_EQ(List("cboGraphY")->currentText(), "F ");
  EXPECT_EQ(Text("lblExpValue_5"), "3");
  EXPECT_FALSE(form->Bench().reactionGuard.IsSet());
}

TEST_F(MainFormTest, EscapeDuringAnAdvancedLoopEndsTheSeries) {
  form->SetStudyFolder(folder.path());
  form->show();
  WriteFile("1 first.quarvel", kTwoExperiments);
  WriteFile("2 second.quarvel", kTwoExperiments);
  Box("txtFrom")->setText("1");
  Box("txtTo")->setText("50");
  Box("txtStep")->setText("1");
  log.inputAnswers.push_back("0.0001");
  Box("txtFrom")->setFocus();
  // Pressed while the first file is solved, before its sweep begins.
  QTimer::singleShot(0, form.get(), [this] { QTest::keyClick(Box("txtFrom"), Qt::Key_Escape); });
  Click("cmdExLoop");

  EXPECT_TRUE(QFile::exists(folder.filePath("1 first.quarvel.out")));
  EXPECT_FALSE(QFile::exists(folder.filePath("2 second.quarvel.out")));
  EXPECT_TRUE(QFile::exists(folder.filePath("EnvRelErrorUPos.out")));
}

TEST_F(MainFormTest, AdvancedLoopReportsAFileThatFailsToLoad) {
  form->SetStudyFolder(folder.path());
  WriteFile("1 first.quarvel", kTwoExperiments);
  WriteFile("2 broken.quarvel", "2\nOnly one\n");
  Box("txtFrom")->setText("0.5");
  Box("txtTo")->setText("0.5");
  log.inputAnswers.push_back("1");
  Click("cmdExLoop");

  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_TRUE(log.messages[0].detail.contains("2 broken.quarvel"));
  EXPECT_TRUE(QFile::exists(folder.filePath("1 first.quarvel.out")));
  // The broken file left no experiments: the list offers none.
  EXPECT_EQ(List("cboExperiment")->count(), 0);
}

TEST_F(MainFormTest, VaryingTheMassCanOnlyChangeTheMass) {
  Click("optChangeFy");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeFy")->isChecked());
  Click("optVaryMass");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeMass")->isChecked());
  Click("optChangeUy");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeMass")->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>("optChangeUy")->isChecked());

  Click("optVaryElasticPeriod");
  Click("optChangeUy");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeUy")->isChecked());
}

TEST_F(MainFormTest, EscapeRequestsTheStudyToStop) {
  form->show();
  Box("txtFrom")->setFocus();
  EXPECT_FALSE(form->Bench().loopAbortRequested);
  QTest::keyClick(Box("txtFrom"), Qt::Key_Escape);
  EXPECT_TRUE(form->Bench().loopAbortRequested);
}

}  // namespace
}  // namespace quarvel::app
