// The main window driven through its widgets as a user would, with dialogs answered by a fake:
// its start, the experiment commands, export, About and the studies.

#include <QAbstractItemView>
#include <QDir>
#include <QInputDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <sys/fsuid.h>
#include <unistd.h>

#include <tuple>

#include "app/record_dialog.h"
#include "app/sinusoid_dialog.h"
#include "app_test_support.h"
#include "app/graph_window.h"
#include "display/response_graph.h"

namespace quarvel::app {
namespace {

using Inputs = MainWindowInputs;

// Each box and option by object name, with its text or state at start and its input.
#define BOX(name, initial) {#name, initial, &Inputs::name}
const std::tuple<const char*, const char*, std::string Inputs::*> kTextBoxes[] = {
    BOX(txtAlphaCap, "1.0"), BOX(txtBetaSmall, "0.1"), BOX(txtGammaSmall, "0.9"),
    BOX(txtNee, "2.0"), BOX(txtAlphaSmall, "0.10"), BOX(txtCharlieSmall, "0"), BOX(txtFy, "2.86"),
    BOX(txtUy, "0.111"), BOX(txtP, "2.0"), BOX(txtMass, "-1"), BOX(txtEps1, "1E-09"),
    BOX(txtSolutionEulerSteps, "1"), BOX(txtFrom, "0.1"), BOX(txtTo, "10"), BOX(txtStep, "0.01"),
    BOX(txtThresholdZ, "-1")};
const std::tuple<const char*, bool, bool Inputs::*> kOptions[] = {
    BOX(optSolutionEuler, false), BOX(optSolutionEulerStepDoubling, false),
    BOX(optSolutionRK45, false), BOX(optSolutionRKStepDoubling, true), BOX(optALLREV, true),
    BOX(optReversalLast, false), BOX(optReversalMax, false), BOX(optReversalLastAndMax, false),
    BOX(chkWithinUnloadingBranch, true), BOX(optVaryMass, false), BOX(optVaryElasticPeriod, false),
    BOX(optVaryPlasticPeriod, true), BOX(optChangeMass, true), BOX(optChangeFy, false),
    BOX(optChangeUy, false)};
#undef BOX

void PressEscape(MainForm& form) {
  QTest::keyClick(form.findChild<QLineEdit*>("txtFrom"), Qt::Key_Escape);
}

// For its lifetime the window's thread opens files as an ordinary user (nobody, 65534) would:
// root may write into any folder, whatever its permissions say. (setfsuid leaves geteuid as it
// was.)
struct OrdinaryUser {
  OrdinaryUser() {
    if (::geteuid() == 0) ::setfsuid(65534);
  }
  ~OrdinaryUser() {
    if (::geteuid() == 0) ::setfsuid(0);
  }
};

class MainFormTest : public testing::FormTest {
 protected:
  bool Checked(const char* name) { return Find<QAbstractButton>(name)->isChecked(); }
  // A new window, on screen, whose studies write into the folder `name` over "from to step".
  QString NewStudyWindow(const char* name, const QString& range) {
    form = std::make_unique<MainForm>(std::make_unique<testing::FakeDialogs>(log));
    EXPECT_TRUE(QDir(folder.path()).mkdir(name));
    form->SetStudyFolder(folder.filePath(name));
    form->show();
    for (int i = 0; i < 3; ++i) Box(kRange[i])->setText(range.section(' ', i, i));
    Box("txtFrom")->setFocus();
    return QString(name) + "/";
  }
  // Clicks the study's button, `during` running at the first events the study lets run;
  // returns "status | mass box" as the window showed them whenever it ran.
  QStringList RunStudy(const char* button, void (*during)(MainForm&)) {
    if (during) QTimer::singleShot(0, form.get(), [this, during] { during(*form); });
    QStringList shown;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      shown << form->statusBar()->currentMessage() + " | " + Box("txtMass")->text();
    });
    watch.start();
    Click(button);
    return shown;
  }
  // The program's folder "bin" (read-only for `readOnly`), the user's folder "docs/Quarvel"
  // (not made yet) and the settings file, in the scratch folder, which every user may write.
  ResultsFolderPlaces Installed(bool readOnly) {
    QDir top(folder.path());
    EXPECT_TRUE(top.mkdir("bin"));
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                     QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                     QFile::ExeOther;
    EXPECT_TRUE(QFile::setPermissions(folder.path(), all));
    if (readOnly) {
      const auto write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
      EXPECT_TRUE(QFile::setPermissions(top.filePath("bin"), all & ~write));
    }
    return {top.filePath("bin"), top.filePath("docs/Quarvel"), top.filePath("settings.ini")};
  }
  static constexpr const char* kRange[] = {"txtFrom", "txtTo", "txtStep"};
};

// On a 1280 x 800 screen a window of 1280 x 800 puts the status bar, where a study shows its
// progress, under the screen's edge once a title bar is added.
TEST_F(MainFormTest, OpensWithinTheScreenWithItsDefaultsAndEveryWidgetKeepsItsInputCurrent) {
  const QRect screen = form->screen()->availableGeometry();
  ASSERT_EQ(screen.size(), QSize(1280, 800));
  EXPECT_TRUE(screen.contains(QRect(screen.topLeft(), form->size() + MainForm::kFrameAllowance)));
  EXPECT_TRUE(QRect(0, 0, 1280, 720).contains(QRect(QPoint(), form->minimumSizeHint())));

  const Inputs& inputs = Bench().inputs;
  for (const auto& [name, text, field] : kTextBoxes) {
    EXPECT_EQ(Box(name)->text(), text) << name;
    Box(name)->setText(name);
    EXPECT_EQ(inputs.*field, name);
  }
  for (const auto& [name, on, field] : kOptions) EXPECT_EQ(Checked(name), on);
  // Varying the mass can only change the mass.
  for (const char* option : {"optChangeFy", "optVaryMass", "optChangeUy"}) Click(option);
  EXPECT_TRUE(Checked("optChangeMass"));
  for (const char* option : {"optSolutionEuler", "optReversalMax", "chkWithinUnloadingBranch",
                             "optVaryElasticPeriod", "optChangeUy"}) Click(option);
  int changed = 0;
  for (const auto& [name, on, field] : kOptions) {
    EXPECT_EQ(inputs.*field, Checked(name)) << name;
    changed += inputs.*field != on;
  }
  EXPECT_EQ(changed, 9);  // the five clicked and the four they unchecked
}

// Create: six experiments, the first selected with U against T and its solve shown; another
// selection solves and shows its own; lists changed by the program neither solve nor redraw, a
// quantity redraws without solving (Solve Now: the playback and exception tests); DC 1 and DC 2
// follow Uy; Clear empties everything.
TEST_F(MainFormTest, CreateSelectQuantitiesSolveNowDcProtocolsAndClear) {
  Click("cmdCreateExperiment");
  EXPECT_EQ(Entries(), "T=1, Amp=5|T=2, Amp=5|T=3, Amp=5|T=1, Amp=20|T=2, Amp=20|T=3, Amp=20");
  EXPECT_EQ(Shown("Axes lblExpValue_1 lblExpValue_5"), "T |U  Force 501");
  // The errors of the solves of experiments 1 and 5 as the labels show them (recorded).
  const QString errors = "lblError_1 lblError_3 lblError_5 lblError_7";
  EXPECT_EQ(Shown(errors).toStdString(), "0 0% .036 -8.686%");
  // 2 pi sqrt(m Uy / Fy) and the same over a = 0.1, with the experiments' mass 2.86.
  EXPECT_EQ(Shown("lblT_1 lblT_3"), "2.093 6.62");
  List("cboExperiment")->setCurrentIndex(4);
  EXPECT_EQ(Text("lblExpValue_5"), "1001");
  EXPECT_EQ(Shown(errors).toStdString(), "0 0% .001 .001%");

  const QImage picture = Picture();
  StaleResults();
  {
    SuppressedReactions guard(Bench().reactionGuard);
    List("cboExperiment")->setCurrentIndex(2);
    List("cboGraphX")->setCurrentIndex(5);
  }
  EXPECT_EQ(Bench().currentExperiment, 5);
  EXPECT_EQ(Bench().graphXQuantity, 0);
  EXPECT_EQ(Picture(), picture);
  List("cboGraphY")->setCurrentIndex(7);
  EXPECT_EQ(Bench().graphYQuantity, 7);
  EXPECT_NE(Picture(), picture);
  EXPECT_FALSE(Solved());

  Box("txtUy")->setText("0.2");
  Click("Command1");
  EXPECT_EQ(Shown("Entries lblExpValue_1 Axes"), "Temp DC 1 Displacement U |F ");
  EXPECT_NEAR(Bench().experiments.At(1).displacement[301], 1.5 * 0.2, 1e-12);
  Click("Command2");
  EXPECT_EQ(Shown("Entries lblExpValue_5"), "Temp DC 2 2399");

  Click("cmdClearExperiments");
  EXPECT_EQ(Shown("Entries lblExpValue_1 lblExpValue_9 Axes"), "   |");
  EXPECT_TRUE(Picture().isNull());
  Click("cmdSolve");
  EXPECT_EQ(log.asked.last(), "message exclamation: Please load a set of experiments! | ");
}

// DC 2: the Loops window lists its one loop, the original model's violation in red, and the graph
// of U against F (only that one) marks the loop's turning point in red; Clear empties the list.
TEST_F(MainFormTest, LoopsWindowListsTheLoopsAndTheGraphMarksTheViolations) {
  Click("Command2");
  Click("cmdLoops");
  auto* table = Find<QTableWidget>("tblLoops");
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->item(0, 8)->text(), "violation");
  EXPECT_EQ(table->item(0, 8)->foreground().color(), QColor(Qt::red));
  EXPECT_EQ(table->item(0, 10)->text(), "ok");
  const std::vector<GraphSeries>& series = form->GraphForm().GraphModel().SeriesList();
  ASSERT_EQ(series.size(), 8u);
  EXPECT_EQ(series[kOriginalLoopMarks].PointCount, 1);
  EXPECT_EQ(series[kModifiedLoopMarks].PointCount, 0);
  EXPECT_EQ(series[kOriginalLoopMarks].Points[0].X, Bench().experiments.At(1).displacement[2004]);
  List("cboGraphX")->setCurrentIndex(0);
  EXPECT_EQ(series.size(), 6u);
  Click("cmdClearExperiments");
  EXPECT_EQ(table->rowCount(), 0);
}

// Load shows the file; Cancel shows the set there is afresh (experiment 1, U against F, a new
// solve). A file chosen under the ground-motion records filter is read as a record, whatever it
// holds: plain words, nothing or a file that is not there fail as a record does, and the set
// stays. A failed load of a set says so and empties the set and the lists.
TEST_F(MainFormTest, LoadCancelAndFailedLoads) {
  log.answers = {WriteFile("two.quarvel", testing::kTwoExperiments)};
  Click("cmdLoadExperiments");
  EXPECT_EQ(Shown("Entries Axes lblExpValue_5"), "Pulse|Ground U |F  3");
  List("cboExperiment")->setCurrentIndex(1);
  EXPECT_EQ(Shown("lblExpValue_1 lblExpValue_2"), "Acceleration Units of g");
  List("cboGraphY")->setCurrentIndex(9);
  StaleResults();
  Click("cmdLoadExperiments");  // no answer: Cancel
  EXPECT_EQ(Shown("Entries Axes lblExpValue_1"), "Pulse|Ground U |F  Force");
  EXPECT_TRUE(Solved());

  log.openFilter = kRecordFilesFilter;
  for (const QString& path : {WriteFile("words.txt", "plain words\n"), WriteFile("empty.txt", ""),
                              folder.filePath("missing.txt")}) {
    SCOPED_TRACE(path.toStdString());
    LoadRecords(path, [](QWidget&) {});
    EXPECT_TRUE(log.asked.last().startsWith("message critical: Error while loading the file!"));
    EXPECT_EQ(Entries(), "Pulse|Ground");
  }

  log.openFilter.clear();
  log.answers = {WriteFile("bad.quarvel", "0\n")};
  StaleResults();
  Click("cmdLoadExperiments");
  EXPECT_TRUE(log.asked.last().startsWith("message critical: Error while loading the file! | "));
  EXPECT_EQ(Shown("Entries lblExpValue_1 Axes"), "  |");
  EXPECT_FALSE(Solved());
  Click("cmdLoadExperiments");  // cancelled with no set: nothing to show
  EXPECT_EQ(Entries(), "");
  EXPECT_EQ(log.asked.size(), 11);
}

// A ground-motion record asks in its dialog only what the file leaves open: for one column of
// values also the time step, Ok only for a number above 0, units only for an acceleration. It
// loads with the answers; Cancel shows the set afresh. (A record that cannot be read: the
// several files test.)
TEST_F(MainFormTest, LoadRecordAsksWhatTheFileLeavesOpen) {
  LoadRecords(WriteFile("push.txt", "1\n2\n3\n4\n"), [](QWidget& dialog) {
    auto* ok = dialog.findChild<QPushButton*>("cmdOk");
    auto* step = dialog.findChild<QLineEdit*>("txtRecordTimeStep");
    for (const char* refused : {"", "0", "-0.01", "0,01", "abc"}) {
      step->setText(refused);
      EXPECT_FALSE(ok->isEnabled()) << refused;
    }
    step->setText("0.5");
    dialog.findChild<QComboBox*>("cboRecordType")->setCurrentIndex(1);
    EXPECT_FALSE(dialog.findChild<QComboBox*>("cboRecordUnits")->isEnabled());
  });
  EXPECT_EQ(Shown("Entries lblExpValue_1 lblExpValue_5"), "push Force 4");
  EXPECT_EQ(Bench().experiments.At(1).timeStep, 0.5);

  StaleResults();
  LoadRecords(folder.filePath("push.txt"), [](QWidget&) {}, "cmdCancel");
  EXPECT_EQ(answered, 2);
  EXPECT_EQ(Entries(), "push");
  EXPECT_TRUE(Solved());
}

// An AT2 header is shown in the record dialog with the type and units it names preselected:
// a record in cm/s2 loads in m/s2, a velocity record cannot be loaded (Ok stays off).
TEST_F(MainFormTest, RecordDialogShowsAndPreselectsWhatTheHeaderSays) {
  const auto record = [this](const char* name, const std::string& header) {
    const std::string text = "PEER NGA\nQuake\n" + header + "\nNPTS= 2, DT= .01 SEC\n 0 -5\n";
    return WriteFile(name, text.c_str());
  };
  LoadRecords(record("a.at2", "ACCELERATION TIME SERIES IN UNITS OF CM/S/S"), [](QWidget& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>("lblRecordHeader")->text(),
              "ACCELERATION TIME SERIES IN UNITS OF CM/S/S");
    EXPECT_EQ(dialog.findChild<QComboBox*>("cboRecordUnits")->currentIndex(), 2);
  });
  EXPECT_EQ(Bench().experiments.At(1).acceleration[2], -0.05);
  LoadRecords(record("d.at2", "DISPLACEMENT TIME SERIES IN UNITS OF CM"), [](QWidget& dialog) {
    EXPECT_EQ(dialog.findChild<QComboBox*>("cboRecordType")->currentText(), "Displacement");
  }, "cmdCancel");
  LoadRecords(record("v.at2", "VELOCITY TIME SERIES IN UNITS OF CM/S"), [](QWidget& dialog) {
    EXPECT_FALSE(dialog.findChild<QPushButton*>("cmdOk")->isEnabled());
  }, "cmdCancel");
  EXPECT_EQ(answered, 3);
}

// A command that meets an exception (no memory for a record) says so in a message box and the
// status bar and keeps the set, whose results it drops.
TEST_F(MainFormTest, AnEscapingExceptionIsShownAndTheSetKept) {
  Click("cmdCreateExperiment");
  log.onOpen = [] { throw std::bad_alloc(); };
  Click("cmdLoadExperiments");
  EXPECT_EQ(log.asked.last(),
            "message critical: Load stopped by an unexpected error: out of memory. | "
            "The experiments are kept; their results were dropped.");
  EXPECT_TRUE(form->statusBar()->currentMessage().startsWith("Load stopped: out of memory."));
  EXPECT_EQ(Shown("lblError_1 lblError_3 lblError_5 lblError_7 lblT_1 lblT_3"), "     ");
  log.onOpen = nullptr;
  Click("cmdSolve");  // the window still works
  EXPECT_NE(Text("lblError_1"), "");
}

// The sinusoid dialog drops minus signs, reads a comma as the decimal point, selects a box's
// text when it gets the focus and takes Enter for Ok. A refused period keeps the set; Ok replaces
// it with the generated experiment, whose name is longer than the list is wide: the open list
// and the tool tips show it whole. (Cancel in a dialog: the record dialog below.)
TEST_F(MainFormTest, SinusoidDialogRefusalKeepsTheSetOkReplacesIt) {
  Click("cmdCreateExperiment");
  List("cboExperiment")->setCurrentIndex(2);
  const auto typing = [](const char* period) {
    return [period](QWidget& dialog) {
      auto* box = dialog.findChild<QLineEdit*>("txtPeriod");
      box->clear();
      QTest::keyClicks(box, period);
      auto* cycles = dialog.findChild<QLineEdit*>("txtCycles");
      cycles->setFocus();
      EXPECT_TRUE(QTest::qWaitFor([cycles] { return cycles->selectedText() == "3"; }));
      QTest::keyClicks(cycles, "7");
      QTest::keyClick(cycles, Qt::Key_Return);
    };
  };
  StaleResults();
  AnswerNextDialog(typing("0"));
  Click("cmdDCSinusoidal");
  EXPECT_TRUE(log.asked.last().startsWith("message exclamation: The experiment could not be"));
  EXPECT_EQ(Bench().experiments.Count(), 6);
  EXPECT_EQ(Bench().currentExperiment, 3);
  EXPECT_FALSE(Solved());
  // A style that does not widen the open list by itself.
  std::unique_ptr<QStyle> windows(QStyleFactory::create("Windows"));
  ASSERT_NE(windows, nullptr);
  QComboBox* list = List("cboExperiment");
  list->setStyle(windows.get());
  AnswerNextDialog(typing("-2,5"));
  Click("cmdDCSinusoidal");
  const QString name = "m=2.86, T=2.5, Amp=0.111, Cycl=7, TS=0.02";
  EXPECT_EQ(Shown("Entries lblExpValue_1 lblExpValue_5 Axes"), name + " Displacement 876 U |F ");
  EXPECT_TRUE(Solved());
  EXPECT_EQ(list->toolTip(), name);
  EXPECT_EQ(list->itemData(0, Qt::ToolTipRole).toString(), name);
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  list->showPopup();
  ASSERT_TRUE(QTest::qWaitFor([list] { return list->view()->window()->isVisible(); }));
  EXPECT_GT(list->view()->viewport()->width(), list->view()->fontMetrics().horizontalAdvance(name));
  list->hidePopup();
  list->setStyle(nullptr);
}

// A solve whose shown experiment has no finite value says so in the status bar; a sound solve
// takes the notice away. Fy = 1e308 makes both models fail at the first step after the initial
// state, the last sample the notice counts as the start.
TEST_F(MainFormTest, ASolveWithoutAFiniteValueSaysSo) {
  Box("txtFy")->setText("1e308");
  Click("cmdCreateExperiment");
  EXPECT_TRUE(form->statusBar()->currentMessage().startsWith("The solve gave no finite value"));
  Box("txtFy")->setText("2.86");
  Click("cmdSolve");
  EXPECT_EQ(form->statusBar()->currentMessage(), "");
}

// In the sinusoid dialog a minus is an exponent's sign right after E or e, dropped elsewhere.
TEST(SinusoidDialogTest, AMinusIsKeptOnlyAfterAnExponentMark) {
  SinusoidDialog dialog;
  auto* box = dialog.findChild<QLineEdit*>("txtAmplitude");
  ASSERT_NE(box, nullptr);
  for (const auto& [typed, shown] : {std::pair{"1e-6", "1e-6"}, {"2.5E-3", "2.5E-3"},
                                     {"-2", "2"}, {"2-", "2"}, {"1d-6", "1d6"}}) {
    box->clear();
    QTest::keyClicks(box, typed);
    EXPECT_EQ(box->text(), shown) << typed;
  }
}

// The input box the threshold and the graph's size are asked with answers the text typed on Ok.
TEST_F(MainFormTest, InputBoxAnswersTheTypedTextOnOk) {
  AnswerNextDialog([](QWidget& dialog) {
    static_cast<QInputDialog&>(dialog).setTextValue("0.5");
    static_cast<QInputDialog&>(dialog).accept();
  });
  EXPECT_EQ(QtDialogs().InputText(form.get(), "Threshold", "Z", "1"), QString("0.5"));
}

// Export asks for a file only when there are experiments, writes the report and opens it in the
// editor; a cancel writes nothing; a failed write and a missing editor say so. The About box
// shows the title, version and purpose, and frames of a free-distribution notice with its
// disclaimer, the institution and a contact that leads somewhere (not a placeholder address).
TEST_F(MainFormTest, ExportWritesTheReportAndOpensItOrSaysWhatFailedAndAboutShowsItsBox) {
  Click("cmdExportResults");
  EXPECT_TRUE(log.asked.isEmpty());
  Click("cmdCreateExperiment");
  struct Row {
    const char* file = nullptr;  // chosen in the dialog; none: Cancel
    const char* editorError = "";
    bool written = false;  // and opened in the editor
    const char* wantMessage = nullptr;
  };
  const Row rows[] = {{.file = nullptr},
                      {.file = "missing/report.txt", .wantMessage = "message critical: "},
                      {.file = "report.txt", .written = true},
                      {.file = "again.txt", .editorError = "no editor", .written = true,
                       .wantMessage = "message exclamation: "}};
  for (const auto& [file, editorError, written, wantMessage] : rows) {
    SCOPED_TRACE(file ? file : "cancel");
    log.asked.clear();
    log.editorError = editorError;
    const QString path = folder.filePath(file ? file : "none.txt");
    if (file) log.answers = {path};
    Click("cmdExportResults");
    EXPECT_EQ(QFile(path).size() > 0, written);
    EXPECT_EQ(log.asked.contains("editor " + path), written);
    const QString message = log.asked.filter("message").value(0);
    if (wantMessage == nullptr) {
      EXPECT_TRUE(message.isEmpty()) << message.toStdString();
      continue;
    }
    EXPECT_TRUE(message.startsWith(wantMessage)) << message.toStdString();
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains(editorError)) << message.toStdString();
  }
  AnswerNextDialog([](QWidget& about) {
    QString text = about.windowTitle();
    for (const QLabel* label : about.findChildren<QLabel*>()) text += "|" + label->text() + "|";
    EXPECT_TRUE(text.startsWith("About Quarvel|")) << text.toStdString();
    EXPECT_TRUE(text.contains("|Quarvel 1.0.0|")) << text.toStdString();
    EXPECT_TRUE(text.contains("Quarvel source repository")) << text.toStdString();
    EXPECT_FALSE(text.contains("example.")) << text.toStdString();
    about.findChild<QPushButton*>("cmdOk")->click();
  });
  Click("cmdAbout");
  EXPECT_EQ(answered, 1);
}

// Installed where an ordinary user may not write, the Loop over the mass writes into the user's
// folder, made for it. An Escape pressed before it started ends nothing (Escape and closing the
// window while a study runs: the advanced loop below, on the same loop); whenever the window
// runs, the status bar names the value whose mass the box shows, at the end what was written
// where; the box keeps the last value.
TEST_F(MainFormTest, InstalledLoopWritesIntoTheUserFolderAndTheStatusBarFollowsTheMassBox) {
  const ResultsFolderPlaces places = Installed(true);
  NewStudyWindow("loop", "2 2.2 0.1");
  const OrdinaryUser user;
  form->SetResultsFolderPlaces(places);
  EXPECT_EQ(Box("txtResultsFolder")->text(), places.userFolder);
  Click("cmdCreateExperiment");
  Click("optVaryMass");
  PressEscape(*form);
  const QStringList shown = RunStudy("cmdLoop", nullptr);
  const QStringList lines = FileLines("docs/Quarvel/lresults.out");
  ASSERT_EQ(lines.size(), 5) << lines.join("|").toStdString();
  EXPECT_EQ(Box("txtMass")->text(), "2.2");
  EXPECT_EQ(form->statusBar()->currentMessage(),
            "Loop done: 3 of 3 values solved, 3 lines written to " + places.userFolder +
                "/lresults.out.");
  EXPECT_TRUE(log.asked.isEmpty());
  EXPECT_FALSE(shown.isEmpty());
  for (const QString& pair : shown) {
    const QString mass = pair.section(" | ", 1);
    EXPECT_TRUE(pair.contains("(x = " + mass + "). Press Esc to stop. | ")) << pair.toStdString();
  }
}

// A program folder that can be written is the results folder. Browse refuses a folder that
// cannot be written and takes another, which the next run starts with.
TEST_F(MainFormTest, BrowsedResultsFolderIsRememberedAWritableProgramFolderUsed) {
  const ResultsFolderPlaces writable = Installed(false);
  form->SetResultsFolderPlaces(writable);
  ASSERT_TRUE(QDir(folder.path()).mkdir("read-only"));
  ASSERT_TRUE(QFile::setPermissions(folder.filePath("read-only"), QFile::ReadOther));
  log.answers = {folder.filePath("read-only"), folder.filePath("docs")};
  {
    const OrdinaryUser user;
    Click("cmdBrowseResultsFolder");
  }
  EXPECT_TRUE(log.asked.last().startsWith("message exclamation: Studies cannot write their "));
  EXPECT_EQ(form->ResultsFolder(), writable.programFolder);
  ASSERT_TRUE(QDir(folder.path()).mkdir("docs"));
  Click("cmdBrowseResultsFolder");
  form = std::make_unique<MainForm>(std::make_unique<testing::FakeDialogs>(log));
  form->SetResultsFolderPlaces(writable);
  EXPECT_EQ(Box("txtResultsFolder")->text(), folder.filePath("docs"));
}

// The advanced loop asks for the threshold (Cancel studies nothing) and studies each file of the
// series, the list showing the last file's set. Escape while a file is studied ends that file's
// study after its current value, and the series goes on with the next file, the status bar
// saying so and, at the end, what was studied; closing the window ends the series at once.
TEST_F(MainFormTest, EscapeEndsOnlyTheCurrentFilesStudyAndClosingEndsTheSeries) {
  form->SetStudyFolder(folder.path());
  Click("cmdExLoop");
  EXPECT_TRUE(log.asked.last().startsWith("input | Peak U/Uy Threshold | Filter out the results"));
  EXPECT_TRUE(log.asked.last().endsWith("smaller than... | 1"));
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
  struct Row {
    const char* name;
    void (*during)(MainForm&);  // run at the series' first events
    int firstFileLines, secondFileLines;  // of each file's study
    bool toldOfFile2;                      // the status bar named file 2 while it was studied
    const char* entries;                   // the list at the end
    const char* summaryEnd;                // of the status bar at the end
  };
  const Row rows[] = {
      {"Escape", PressEscape, 3, 52, true, "Second",
       ": 2 files studied, 51 values solved, 51 lines written to their study files; 4 of the 4 "
       "envelope files written. Esc ended the study of file 1 early."},
      {"Close", [](MainForm& window) { window.close(); }, 0, 0, false, "Pulse|Ground",
       ": 0 files studied, 0 values solved, 0 lines written to their study files; 4 of the 4 "
       "envelope files written."}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const QString folderName = NewStudyWindow(row.name, "1 50 1");
    WriteFile(folderName + "1 first.quarvel", testing::kTwoExperiments);
    WriteFile(folderName + "2 second.quarvel",
              "1\nSecond\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n");
    log.answers = {"0.0001"};
    const QStringList shown = RunStudy("cmdExLoop", row.during);
    EXPECT_EQ(FileLines(folderName + "1 first.quarvel.out").size(), row.firstFileLines);
    EXPECT_EQ(FileLines(folderName + "2 second.quarvel.out").size(), row.secondFileLines);
    const QRegularExpression toldOfFile2("^File 2 of the series, .*: press Esc to end this file");
    EXPECT_EQ(!shown.filter(toldOfFile2).isEmpty(), row.toldOfFile2)
        << shown.join("\n").toStdString();
    EXPECT_EQ(Entries(), row.entries);
    EXPECT_EQ(Text("lblExpValue_5"), "3");
    EXPECT_TRUE(form->statusBar()->currentMessage().endsWith(row.summaryEnd))
        << form->statusBar()->currentMessage().toStdString();
    EXPECT_FALSE(log.asked.join("").contains("message"));
  }
}

}  // namespace
}  // namespace quarvel::app
