// The main window driven through its widgets, with dialogs answered by a fake.

#include <QAbstractItemView>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

#include "app/graph_box.h"
#include "app/legend_sample.h"
#include "app_test_support.h"
#include "solve/labels.h"

namespace quarvel::app {
namespace {

using MainFormTest = testing::FormTest;
using Inputs = MainWindowInputs;

// Each box and option by object name, with its text or state at start and its input.
#define BOX(name, initial) {#name, initial, &Inputs::name}
const std::tuple<const char*, const char*, std::string Inputs::*> kTextBoxes[] = {
    BOX(txtAlphaCap, "1.0"), BOX(txtBetaSmall, "0.1"),    BOX(txtGammaSmall, "0.9"),
    BOX(txtNee, "2.0"),      BOX(txtAlphaSmall, "0.10"),  BOX(txtCharlieSmall, "0"),
    BOX(txtFy, "2.86"),      BOX(txtUy, "0.111"),         BOX(txtP, "2.0"),
    BOX(txtMass, "-1"),      BOX(txtEps1, "1E-09"),       BOX(txtSolutionEulerSteps, "1"),
    BOX(txtFrom, "0.1"),     BOX(txtTo, "10"),            BOX(txtStep, "0.01"),
    BOX(txtThresholdZ, "-1")};
const std::tuple<const char*, bool, bool Inputs::*> kOptions[] = {
    BOX(optSolutionEuler, false),     BOX(optSolutionEulerStepDoubling, false),
    BOX(optSolutionRK45, false),      BOX(optSolutionRKStepDoubling, true),
    BOX(optALLREV, true),             BOX(optReversalLast, false),
    BOX(optReversalMax, false),       BOX(optReversalLastAndMax, false),
    BOX(chkWithinUnloadingBranch, true), BOX(optVaryMass, false),
    BOX(optVaryElasticPeriod, false), BOX(optVaryPlasticPeriod, true),
    BOX(optChangeMass, true),         BOX(optChangeFy, false),
    BOX(optChangeUy, false)};
#undef BOX

TEST_F(MainFormTest, StartsWithTheDefaultInputsAndTheLegendInTheSeriesColours) {
  EXPECT_EQ(form->windowTitle(), "Quarvel : Bouc-Wen model modification");
  for (const auto& [name, text, field] : kTextBoxes) EXPECT_EQ(Box(name)->text(), text) << name;
  for (const auto& [name, checked, field] : kOptions) {
    EXPECT_EQ(Find<QAbstractButton>(name)->isChecked(), checked) << name;
  }
  EXPECT_EQ(Box("txtMass")->toolTip(),
            "Oscilating mass. Set to a negative value to use the mass of the input file.");
  const QStringList quantities = {"T ", "U ", "U_DOT", "U_DOT_DOT", "F ",
                                  "Z ", "Fext", "Fh", "Et", "Eh"};
  for (const char* name : {"cboGraphX", "cboGraphY"}) {
    EXPECT_EQ(Entries(name), quantities) << name;
    EXPECT_EQ(List(name)->currentIndex(), -1) << name;
  }
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(Text("lblError_1") + Text("lblT_1"), "");
  EXPECT_FALSE(Find<QPushButton>("cmdPause")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("cmdStop")->isEnabled());
  EXPECT_EQ(Find<QScrollBar>("HScroll")->maximum(), 1000);
  auto* slider = Find<QSlider>("Slider");
  EXPECT_EQ(std::tuple(slider->minimum(), slider->value(), slider->maximum()),
            std::tuple(-9, 0, 9));
  // Colours as 0x00BBGGRR, as the graph draws the series.
  using Shape = LegendSample::Shape;
  const std::tuple<const char*, uint32_t, int, Shape> samples[] = {
      {"lineOriginalModel", 0x0000FF, 3, Shape::Line},
      {"lineModifiedModel", 0xFF0000, 2, Shape::Line},
      {"lineReversalPlus", 0x00FF00, 2, Shape::Plus},
      {"lineReversalMinus", 0xFF00FF, 2, Shape::Plus}};
  for (const auto& [name, colour, width, shape] : samples) {
    const auto* line = Find<LegendSample>(name);
    EXPECT_EQ(std::tuple(line->Colour(), line->PenWidth(), line->SampleShape()),
              std::tuple(colour, width, shape)) << name;
  }
}

// On a 1280 x 800 screen a window of 1280 x 800 puts the status bar, where a study shows its
// progress, under the screen's edge once a title bar is added.
TEST_F(MainFormTest, OpensWithinTheScreenWithRoomForTheWindowFrame) {
  const QRect available = form->screen()->availableGeometry();
  ASSERT_EQ(available.size(), QSize(1280, 800));
  const QSize opened = form->size() + MainForm::kFrameAllowance;
  EXPECT_TRUE(available.width() >= opened.width() && available.height() >= opened.height())
      << form->width() << "x" << form->height();
  const QSize minimum = form->minimumSizeHint();
  EXPECT_TRUE(minimum.width() <= 1280 && minimum.height() <= 720)
      << minimum.width() << "x" << minimum.height();
}

// The inputs follow the widgets as they change, whatever reads them next; a study's rewritten
// texts reach the boxes whenever it lets the window run.
TEST_F(MainFormTest, EveryBoxAndOptionKeepsItsOwnInputCurrent) {
  const Inputs& inputs = form->Bench().inputs;
  for (const auto& [name, text, field] : kTextBoxes) {
    Box(name)->setText(QString(name) + " typed");
    EXPECT_EQ(inputs.*field, std::string(name) + " typed");
  }
  for (const char* option : {"optSolutionEuler", "optReversalMax", "chkWithinUnloadingBranch"}) {
    Click(option);
  }
  EXPECT_TRUE(inputs.optSolutionEuler && !inputs.optSolutionRKStepDoubling);
  for (const char* option : {"optVaryElasticPeriod", "optChangeUy"}) Click(option);
  int changed = 0;
  for (const auto& [name, checked, field] : kOptions) {
    EXPECT_EQ(inputs.*field, Find<QAbstractButton>(name)->isChecked()) << name;
    changed += inputs.*field != checked;
  }
  EXPECT_EQ(changed, 9);  // the five clicked and the four they unchecked

  form->Bench().inputs.txtMass = "12.345678";
  QTimer::singleShot(0, form.get(), [this] { Box("txtFy")->setText("3.5"); });
  form->ProcessEvents();
  EXPECT_EQ(Box("txtMass")->text(), "12.345678");
  EXPECT_EQ(form->Bench().inputs.txtFy, "3.5");
  EXPECT_TRUE(Find<GraphBox>("picBoucWen")->Image().isNull());
}

TEST_F(MainFormTest, CreateFillsTheListSelectsTimeAndDisplacementAndShowsTheSolve) {
  Click("cmdCreateExperiment");
  EXPECT_EQ(Entries("cboExperiment"), (QStringList{"T=1, Amp=5", "T=2, Amp=5", "T=3, Amp=5",
                                                   "T=1, Amp=20", "T=2, Amp=20", "T=3, Amp=20"}));
  EXPECT_EQ(List("cboExperiment")->currentIndex(), 0);
  EXPECT_EQ(Axes(), "T |U ");
  EXPECT_EQ(Text("lblExp_1") + Text("lblExpValue_1"), "Data type :Force");
  EXPECT_EQ(Text("lblExpValue_5"), "501");
  EXPECT_FALSE(Find<QLabel>("lblExpValue_3")->toolTip().isEmpty());
  EXPECT_TRUE(log.messages.empty());
  const auto expectErrorsOf = [this](int32_t k) {
    const ExperimentResults& e = form->Bench().results.At(k);
    ASSERT_GT(e.originalPeakU, 0.0) << "the solve stored no results";
    const ErrorLabelTexts want = ErrorLabels(e.absErrorU, e.relErrorU, e.absErrorEh, e.relErrorEh);
    EXPECT_EQ(Text("lblError_1").toStdString(), want.absoluteU);
    EXPECT_EQ(Text("lblError_3").toStdString(), want.relativeU);
    EXPECT_EQ(Text("lblError_5").toStdString(), want.absoluteEh);
    EXPECT_EQ(Text("lblError_7").toStdString(), want.relativeEh);
  };
  expectErrorsOf(1);
  // 2 pi sqrt(m Uy / Fy) and the same over a = 0.1, with the experiments' mass 2.86.
  EXPECT_EQ(Text("lblT_1") + " " + Text("lblT_3"), "2.093 6.62");

  List("cboExperiment")->setCurrentIndex(4);  // solves again and shows its own results
  EXPECT_EQ(form->Bench().currentExperiment, 5);
  EXPECT_EQ(Text("lblExpValue_5"), "1001");
  expectErrorsOf(5);

  // Lists changed by the program with the reaction guard set neither solve nor redraw; the
  // quantity lists redraw without solving.
  const QImage picture = Find<GraphBox>("picBoucWen")->Image();
  StaleResults();
  {
    SuppressedReactions guard(form->Bench().reactionGuard);
    List("cboExperiment")->setCurrentIndex(2);
    List("cboGraphX")->setCurrentIndex(5);
  }
  EXPECT_EQ(form->Bench().currentExperiment, 5);
  EXPECT_EQ(form->Bench().graphXQuantity, 0);
  EXPECT_EQ(Find<GraphBox>("picBoucWen")->Image(), picture);
  List("cboGraphY")->setCurrentIndex(7);
  EXPECT_EQ(form->Bench().graphYQuantity, 7);
  EXPECT_NE(Find<GraphBox>("picBoucWen")->Image(), picture);
  EXPECT_FALSE(Solved());
}

// Solve Now shares the experiments among threads; the results must be those of the solve in
// index order on one thread, to the last bit.
TEST_F(MainFormTest, SolveNowGivesTheResultsOfTheSequentialSolve) {
  Click("cmdCreateExperiment");
  StaleResults();
  Click("cmdSolve");
  EXPECT_TRUE(Solved());
  Workbench sequential;
  sequential.inputs = form->Bench().inputs;
  CreateSineForceExperiments(sequential.experiments);
  sequential.SelectFirst(SetSource::BuiltIn);
  SilentUserInterface silent;
  ASSERT_TRUE(SolveExperiments(sequential, silent, false).solved);

  const auto sameBits = [](const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
  };
  ASSERT_EQ(form->Bench().experiments.Count(), sequential.experiments.Count());
  for (int32_t k = 1; k <= sequential.experiments.Count(); ++k) {
    SCOPED_TRACE(k);
    const ExperimentResults& shown = form->Bench().results.At(k);
    const ExperimentResults& expected = sequential.results.At(k);
    for (const auto pass : {&ExperimentResults::original, &ExperimentResults::modified}) {
      const ResponseHistory& a = shown.*pass;
      const ResponseHistory& b = expected.*pass;
      EXPECT_TRUE(sameBits(a.U, b.U) && sameBits(a.Z, b.Z) && sameBits(a.Eh, b.Eh));
    }
    EXPECT_EQ(shown.relErrorU, expected.relErrorU);
    EXPECT_EQ(shown.relErrorEh, expected.relErrorEh);
  }
}

TEST_F(MainFormTest, GraphIsDrawnAtTheSizeOfItsBoxAndFollowsIt) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  auto* box = Find<GraphBox>("picBoucWen");
  Click("cmdCreateExperiment");
  EXPECT_EQ(box->Image().size(), box->size());
  for (const QRgb colour : {qRgb(255, 0, 0), qRgb(0, 0, 255)}) {  // original, modified model
    int count = 0;
    for (int y = 0; y < box->Image().height(); ++y) {
      for (int x = 0; x < box->Image().width(); ++x) count += box->Image().pixel(x, y) == colour;
    }
    EXPECT_GT(count, 100) << std::hex << colour;
  }
  form->resize(form->width() - 40, form->height() - 60);
  EXPECT_TRUE(QTest::qWaitFor([box] { return box->Image().size() == box->size(); }));
  Click("cmdClearExperiments");
  EXPECT_TRUE(box->Image().isNull());
}

// Load shows the file; Cancel shows the set there is afresh (experiment 1, U against F, a new
// solve); a failed load empties the set and the lists.
TEST_F(MainFormTest, LoadCancelAndFailedLoad) {
  log.openAnswers.push_back(WriteFile("two.quarvel", testing::kTwoExperiments));
  Click("cmdLoadExperiments");
  ASSERT_EQ(log.openRequests.size(), 1u);
  EXPECT_EQ(log.openRequests[0].title, "Load file");
  EXPECT_EQ(log.openRequests[0].filters, QStringList{"Quarvel files (*.quarvel)"});
  EXPECT_EQ(log.openRequests[0].directory, QCoreApplication::applicationDirPath());
  EXPECT_EQ(Entries("cboExperiment"), (QStringList{"Pulse", "Ground"}));
  EXPECT_EQ(Axes(), "U |F ");
  EXPECT_EQ(Text("lblExpValue_5"), "3");
  List("cboExperiment")->setCurrentIndex(1);
  EXPECT_EQ(Text("lblExpValue_1") + "|" + Text("lblExpValue_2"), "Acceleration|Units of g");
  List("cboGraphY")->setCurrentIndex(9);

  StaleResults();
  Click("cmdLoadExperiments");  // no answer queued: cancel
  EXPECT_EQ(log.openRequests.size(), 2u);
  EXPECT_EQ(Entries("cboExperiment"), (QStringList{"Pulse", "Ground"}));
  EXPECT_EQ(List("cboExperiment")->currentIndex(), 0);
  EXPECT_EQ(form->Bench().currentExperiment, 1);
  EXPECT_EQ(Axes(), "U |F ");
  EXPECT_EQ(Text("lblExpValue_1"), "Force");
  EXPECT_TRUE(Solved());
  EXPECT_TRUE(log.messages.empty());

  log.openAnswers.push_back(WriteFile("bad.quarvel", "0\n"));
  StaleResults();
  Click("cmdLoadExperiments");
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Error while loading the file!");
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Critical);
  EXPECT_TRUE(log.messages[0].detail.contains("bad.quarvel"));
  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_FALSE(Solved());
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(Text("lblExpValue_1"), "");
  EXPECT_TRUE(Find<GraphBox>("picBoucWen")->Image().isNull());

  Click("cmdLoadExperiments");  // cancelled with no set: nothing to show
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(log.messages.size(), 1u);
}

TEST_F(MainFormTest, ClearEmptiesTheSetListsAndDetails) {
  Click("cmdCreateExperiment");
  Click("cmdClearExperiments");
  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_EQ(List("cboExperiment")->count(), 0);
  EXPECT_EQ(List("cboGraphX")->count(), 10);
  EXPECT_EQ(List("cboGraphX")->currentIndex() + List("cboGraphY")->currentIndex(), -2);
  EXPECT_EQ(Text("lblExpValue_1") + Text("lblExpValue_9") + Text("lblProgressDataPoints"), "");
  Click("cmdSolve");
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Please load a set of experiments!");
}

// The generated experiment's name is longer than the list is wide: the open list and the tool
// tips show it whole.
TEST_F(MainFormTest, SinusoidDialogCancelAndRefusalKeepTheSetOkReplacesIt) {
  Click("cmdCreateExperiment");
  List("cboExperiment")->setCurrentIndex(2);
  SinusoidDialogTexts noPeriod;
  noPeriod.period = "0";
  log.sinusoidAnswers = {std::nullopt, noPeriod, SinusoidDialogTexts{}};
  StaleResults();
  Click("cmdDCSinusoidal");  // Cancel
  Click("cmdDCSinusoidal");  // a period of 0 is refused with a reason
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(form->Bench().experiments.Count(), 6);
  EXPECT_EQ(form->Bench().currentExperiment, 3);
  EXPECT_FALSE(Solved());

  // A style that does not widen the open list by itself.
  std::unique_ptr<QStyle> windows(QStyleFactory::create("Windows"));
  ASSERT_NE(windows, nullptr);
  QComboBox* list = List("cboExperiment");
  list->setStyle(windows.get());
  Click("cmdDCSinusoidal");  // Ok with the dialog's defaults
  const QString name = "m=2.86, T=4, Amp=0.111, Cycl=3, TS=0.02";
  EXPECT_EQ(Entries("cboExperiment"), QStringList{name});
  EXPECT_EQ(Text("lblExpValue_1") + " " + Text("lblExpValue_5"), "Displacement 601");
  EXPECT_EQ(Axes(), "U |F ");
  EXPECT_TRUE(Solved());

  EXPECT_EQ(list->toolTip(), name);
  EXPECT_EQ(list->itemData(0, Qt::ToolTipRole).toString(), name);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  list->showPopup();
  QWidget* popup = list->view()->window();
  ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }));
  EXPECT_GT(list->view()->viewport()->width(),
            list->view()->fontMetrics().horizontalAdvance(name));
  list->hidePopup();
  list->setStyle(nullptr);
}

TEST_F(MainFormTest, DcProtocolsScaleWithTheYieldDisplacementInTheWindow) {
  Box("txtUy")->setText("0.2");
  Click("Command1");
  EXPECT_EQ(Entries("cboExperiment"), QStringList{"Temp DC 1"});
  const Experiment& dc1 = form->Bench().experiments.At(1);
  EXPECT_EQ(dc1.counter, 1647);
  EXPECT_NEAR(dc1.displacement[301], 1.5 * 0.2, 1e-12);
  EXPECT_EQ(Text("lblExpValue_1"), "Displacement");
  EXPECT_EQ(Axes(), "U |F ");
  Click("Command2");
  EXPECT_EQ(Entries("cboExperiment"), QStringList{"Temp DC 2"});
  EXPECT_EQ(Text("lblExpValue_5"), "2399");
}

TEST_F(MainFormTest, ExportWritesTheReportAndOpensIt) {
  Click("cmdExportResults");  // no experiments: no dialog
  EXPECT_TRUE(log.saveRequests.empty());
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
  EXPECT_TRUE(contents.contains("Mass =-1\r\n") && contents.contains("T=3, Amp=20\r\n"));
  EXPECT_EQ(log.editorPaths, QStringList{path});
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(MainFormTest, ExportCancelledOrFailingWritesOrOpensNothingUnsaid) {
  struct Row {
    const char* file;  // nullptr: cancel
    const char* editorError;
    bool wantMessage, wantEditor, wantFile;
  };
  const Row rows[] = {{nullptr, "", false, false, false},
                      {"missing folder/report.txt", "", true, false, false},
                      {"report.txt", "no editor", true, true, true}};  // the file stays
  Click("cmdCreateExperiment");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file ? row.file : "cancel");
    log.messages.clear();
    log.editorPaths.clear();
    log.editorError = row.editorError;
    const QString path = folder.filePath(row.file ? row.file : "none.txt");
    if (row.file) log.saveAnswers.push_back(path);
    Click("cmdExportResults");
    ASSERT_EQ(log.messages.size(), row.wantMessage ? 1u : 0u);
    if (row.wantMessage) {
      EXPECT_TRUE(log.messages[0].text.contains(path) &&
                  log.messages[0].text.contains(row.editorError));
      EXPECT_TRUE(row.wantFile || log.messages[0].icon == MessageIcon::Critical);
    }
    EXPECT_EQ(!log.editorPaths.isEmpty(), row.wantEditor);
    EXPECT_EQ(QFile(path).size() > 0, row.wantFile);
    EXPECT_TRUE(row.file || QDir(folder.path()).entryList(QDir::Files).isEmpty());
  }
}

// Loop over the mass; something happens while the study lets the window run after its first
// value. Whenever the window runs, the status bar names the value whose mass the box shows.
TEST_F(MainFormTest, LoopWritesTheStudyAndEscapeOrCloseEndItAfterTheCurrentValue) {
  struct Row {
    const char* name;
    const char* from;
    const char* to;
    const char* step;
    void (*during)(MainForm&);
    int wantLines;
    const char* wantMass;
  };
  const Row rows[] = {
      {"ThreeValues", "2", "2.2", "0.1", nullptr, 5, "2.2"},
      {"Escape", "1", "100", "1",
       [](MainForm& f) { QTest::keyClick(f.findChild<QLineEdit*>("txtFrom"), Qt::Key_Escape); }, 3,
       "1"},
      {"Close", "1", "100", "1", [](MainForm& f) { f.close(); }, 3, "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    form = std::make_unique<MainForm>(std::make_unique<testing::FakeDialogs>(log));
    ASSERT_TRUE(QDir(folder.path()).mkdir(row.name));
    form->SetStudyFolder(folder.filePath(row.name));
    form->show();
    Click("cmdCreateExperiment");
    Click("optVaryMass");
    SetRange(row.from, row.to, row.step);
    Box("txtFrom")->setFocus();
    if (row.during) QTimer::singleShot(0, form.get(), [&] { row.during(*form); });
    QStringList shown;  // "status | mass" whenever the window ran
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (form) shown << form->statusBar()->currentMessage() + " | " + Box("txtMass")->text();
    });
    watch.start();
    Click("cmdLoop");
    watch.stop();

    const QStringList lines = FileLines((std::string(row.name) + "/lresults.out").c_str());
    ASSERT_EQ(lines.size(), row.wantLines) << lines.join("|").toStdString();
    EXPECT_EQ(lines[0], "Varying mass by changing mass");
    EXPECT_TRUE(lines[2].startsWith(QString(row.from) + "\t"));
    EXPECT_TRUE(lines.back().startsWith(QString(row.wantMass) + "\t"));
    EXPECT_EQ(Box("txtMass")->text(), row.wantMass);
    EXPECT_EQ(form->isVisible(), row.name != std::string("Close"));
    EXPECT_TRUE(log.messages.empty());
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& pair : shown) {
      const QString mass = pair.section(" | ", 1);
      EXPECT_TRUE(pair.contains(QString("(x = %1). Press Esc to stop. | ").arg(mass)))
          << pair.toStdString();
    }
  }
}

TEST_F(MainFormTest, AdvancedLoopAsksForTheThresholdAndStudiesTheSeries) {
  form->SetStudyFolder(folder.path());
  Click("cmdExLoop");  // cancelled: nothing solved, nothing written
  ASSERT_EQ(log.inputRequests.size(), 1u);
  EXPECT_EQ(log.inputRequests[0],
            (QStringList{"Peak U/Uy Threshold",
                         "Filter out the results in which the peak displacement over the yield "
                         "displacement of either the original or the modified model is smaller "
                         "than...",
                         "1"}));
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());

  WriteFile("1 first.quarvel", testing::kTwoExperiments);
  WriteFile("2 second.quarvel", "1\nSecond\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n");
  SetRange("0.5", "0.6", "0.1");
  log.inputAnswers.push_back("0.0001");
  Click("cmdExLoop");
  EXPECT_TRUE(log.messages.empty());
  for (const char* name : {"1 first.quarvel.out", "2 second.quarvel.out", "EnvRelErrorUPos.out",
                           "EnvRelErrorUNeg.out", "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"}) {
    EXPECT_TRUE(QFile::exists(folder.filePath(name))) << name;
  }
  EXPECT_EQ(Entries("cboExperiment"), QStringList{"Second"});
  EXPECT_EQ(Axes(), "U |F ");
  EXPECT_EQ(Text("lblExpValue_5"), "3");
  EXPECT_FALSE(form->Bench().reactionGuard.IsSet());
}

// Escape while a file of the series is studied ends that file's study after its current value,
// and the series goes on with the next file, the status bar saying so; closing the window ends
// the series. An Escape pressed before the series started ends nothing.
TEST_F(MainFormTest, EscapeEndsOnlyTheCurrentFilesStudyAndClosingEndsTheSeries) {
  struct Row {
    const char* name;
    bool staleEscape;                // pressed before the series starts
    void (*during)(MainForm&);       // at the first events the series lets run
    int wantFirstValues;             // values in the first file's study
    bool wantSecond;                 // the second file studied, whole
  };
  const auto escape = [](MainForm& f) {
    QTest::keyClick(f.findChild<QLineEdit*>("txtFrom"), Qt::Key_Escape);
  };
  const Row rows[] = {
      {"StaleEscape", true, nullptr, 50, true},
      {"Escape", false, escape, 1, true},
      {"Close", false, [](MainForm& f) { f.close(); }, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    form = std::make_unique<MainForm>(std::make_unique<testing::FakeDialogs>(log));
    ASSERT_TRUE(QDir(folder.path()).mkdir(row.name));
    const std::string sub = std::string(row.name) + "/";
    form->SetStudyFolder(folder.filePath(row.name));
    form->show();
    WriteFile((sub + "1 first.quarvel").c_str(), testing::kTwoExperiments);
    WriteFile((sub + "2 second.quarvel").c_str(), testing::kTwoExperiments);
    SetRange("1", "50", "1");
    Box("txtFrom")->setFocus();
    if (row.staleEscape) QTest::keyClick(Box("txtFrom"), Qt::Key_Escape);
    QStringList status;
    QObject::connect(form->statusBar(), &QStatusBar::messageChanged,
                     [&status](const QString& message) { status << message; });
    log.inputAnswers.push_back("0.0001");
    if (row.during) QTimer::singleShot(0, form.get(), [&] { row.during(*form); });
    Click("cmdExLoop");

    EXPECT_EQ(FileLines((sub + "1 first.quarvel.out").c_str()).size(), 2 + row.wantFirstValues);
    EXPECT_EQ(FileLines((sub + "2 second.quarvel.out").c_str()).size(), row.wantSecond ? 52 : 0);
    EXPECT_TRUE(QFile::exists(folder.filePath((sub + "EnvRelErrorUPos.out").c_str())));
    const bool toldOfFile2 = std::any_of(status.begin(), status.end(), [](const QString& text) {
      return text.startsWith("File 2 of the series") &&
             text.endsWith("press Esc to end this file's study");
    });
    EXPECT_EQ(toldOfFile2, row.wantSecond) << status.join("\n").toStdString();
  }
}

TEST_F(MainFormTest, VaryingTheMassCanOnlyChangeTheMass) {
  Click("optChangeFy");
  Click("optVaryMass");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeMass")->isChecked());
  Click("optChangeUy");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeMass")->isChecked());
  Click("optVaryElasticPeriod");
  Click("optChangeUy");
  EXPECT_TRUE(Find<QAbstractButton>("optChangeUy")->isChecked());
  EXPECT_TRUE(form->Bench().inputs.optChangeUy && form->Bench().inputs.optVaryElasticPeriod);
}

}  // namespace
}  // namespace quarvel::app
