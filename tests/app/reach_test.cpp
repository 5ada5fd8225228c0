// What the window offers beyond its first form, driven through the widgets: a record's measures
// and scale in the record dialog, several files loaded as one set, the oscillator by its period,
// and response spectra, each compared with the command line on the same inputs.

#include <QListWidget>
#include <QPushButton>

#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>

#include "app/graph_window.h"
#include "app_test_support.h"
#include "support/command_runner.h"

namespace quarvel::app {
namespace {

const QString kElCentro = QUARVEL_SOURCE_DIR "/examples/elcentro-1940-ns.AT2";

class ReachTest : public testing::FormTest {
 protected:
  static QString Shown(QWidget& dialog, const char* label) {
    return dialog.findChild<QLabel*>(label)->text();
  }
  test::CliRun Cli(const std::string& arguments) {
    return test::RunCli(folder.path().toStdString(), arguments);
  }
  // The scratch folder's file `name`, which must be there.
  std::string Read(const char* name) {
    EXPECT_TRUE(QFile::exists(folder.filePath(name))) << name;
    return test::ReadWholeFile(folder.filePath(name).toStdString());
  }
};

// The dialog shows what the file holds before it is accepted; a scale factor of 2 loads the
// record doubled, and its solve is the command line's --scale 2 solve to the last bit (both
// models run on the one record, whose scale every peak shows). The graph's axes name their
// units.
TEST_F(ReachTest, RecordDialogShowsTheMeasuresAndAScaledRecordSolvesAsTheCommandLine) {
  // The header's 1560 samples at 0.02 s; the file's largest value, 0.31882 g, is its 102nd:
  // at 2.02 s, shown doubled once the scale is 2.
  LoadRecords(kElCentro, [](QWidget& dialog) {
    EXPECT_EQ(Shown(dialog, "lblRecordRead").toStdString(),
              "Acceleration, 1560 samples, time step 0.02 s, duration 31.18 s");
    dialog.findChild<QLineEdit*>("txtRecordScale")->setText("2");
    EXPECT_EQ(Shown(dialog, "lblRecordPeak").toStdString(), "PGA 0.6376 g = 6.255 m/s^2 at 2.02 s");
    EXPECT_EQ(Shown(dialog, "lblRecordStored").toStdString(),
              "g (\"Units of g\": the solve multiplies by 9.81 m/s^2), read from G (units from "
              "the header), scaled by 2");
  });
  ASSERT_EQ(answered, 1);
  ASSERT_EQ(Bench().experiments.Count(), 1);
  // A record in units of g fixes the units of the window's graph.
  EXPECT_EQ(form->GraphForm().GraphModel().Settings().YTitle, "Force (N)");

  const test::CliRun cli = Cli("solve --load '" + kElCentro.toStdString() +
                                      "' --scale 2 --summary s.json");
  ASSERT_EQ(cli.status, 0) << cli.err;
  const nlohmann::json summary = nlohmann::json::parse(Read("s.json"));
  const nlohmann::json& result = summary["results"]["experiments"][0];
  const ExperimentResults& window = Bench().results.At(1);
  EXPECT_EQ(window.originalPeakU, result["original"]["peakU"].get<double>());
}

// Files chosen together make one set in the order chosen; a CSV file offers its columns.
TEST_F(ReachTest, SeveralFilesLoadAsOneSet) {
  const QString csv = WriteFile("two.csv", "t,first,second\n0,1,2\n0.1,3,4\n");
  const QString quarvel = WriteFile("two.quarvel", testing::kTwoExperiments);
  LoadRecords(csv + "\n" + quarvel, [](QWidget& dialog) {
    dialog.findChild<QComboBox*>("cboRecordColumn")->setCurrentIndex(1);
  });
  EXPECT_EQ(Entries().toStdString(), "two|Pulse|Ground");
  EXPECT_EQ(Bench().experiments.At(1).acceleration[2], 4.0);

  // A record of the selection that cannot be read says why and keeps the set there was, as it
  // was shown (no new solve); a scale of 0 is refused before Ok.
  const QString uneven = WriteFile("uneven.txt", "0 1\n0.5 2\n1.5 3\n");
  StaleResults();
  LoadRecords(csv + "\n" + uneven, [](QWidget& dialog) {
    dialog.findChild<QLineEdit*>("txtRecordScale")->setText("0");
    EXPECT_FALSE(dialog.findChild<QPushButton*>("cmdOk")->isEnabled());
    dialog.findChild<QLineEdit*>("txtRecordScale")->setText("1");
  });
  EXPECT_TRUE(log.asked.last().contains("uneven.txt: line 3: the time step is not uniform"));
  EXPECT_EQ(Entries().toStdString(), "two|Pulse|Ground");
  EXPECT_FALSE(Solved());
}

// The By period window fills Mass, c, Fy and Uy as the command line's engineering inputs do
// (its note gives the texts; the derivation itself is checked against its definitions in the
// spectra inputs test). Without a mass the ratios give nothing, nor does a period that is not a
// number (that a refusal leaves the inputs: the spectra inputs test).
TEST_F(ReachTest, ByPeriodFillsTheBoxesAsTheCommandLine) {
  using ::testing::StartsWith;
  Click("cmdByPeriod");
  // Types the mass and the words of "period damping strength" into their boxes (an empty word
  // leaves its box empty) and applies them.
  const auto apply = [this](const char* mass, const QString& ratios) {
    Box("txtMass")->setText(mass);
    const char* boxes[] = {"txtPeriod", "txtDampingRatio", "txtStrengthRatio"};
    for (int i = 0; i < 3; ++i) Box(boxes[i])->setText(ratios.section(' ', i, i));
    Click("cmdApplyByPeriod");
  };
  apply("-1", "  0.5");
  EXPECT_THAT(Text("lblByPeriodDerived").toStdString(), StartsWith("No oscillator: "));
  apply("2", "1,5  ");
  EXPECT_THAT(Text("lblByPeriodDerived").toStdString(), StartsWith("Period T: \"1,5\" is not"));

  apply("2", "6.283185307179586 0.25 0.5");
  EXPECT_THAT(Text("lblByPeriodDerived").toStdString(), StartsWith("Derived: "));
  const test::CliRun cli =
      Cli("solve --period 6.283185307179586 --damping-ratio 0.25 --strength-ratio 0.5 --mass 2");
  std::map<std::string, std::string> given;  // the note's options and their values
  std::istringstream note(cli.err.substr(cli.err.find(" give ") + 6));
  for (std::string option, value; note >> option >> value && option.starts_with("--");) {
    given[option] = value;
  }
  for (const auto& [option, box] : {std::pair{"--mass", "txtMass"}, {"--c", "txtCharlieSmall"},
                                    {"--Fy", "txtFy"}, {"--Uy", "txtUy"}}) {
    EXPECT_EQ(Box(box)->text().toStdString(), given[option]) << option << "\n" << cli.err;
  }
}

// The Spectra window's tables are byte for byte those of quarvel-cli spectrum on the same
// record and inputs (the model boxes apply as the options do); it draws the picture and saves it.
// Cancel ends a run early.
TEST_F(ReachTest, SpectraTablesAreTheCommandLinesAndThePictureIsSaved) {
  LoadRecords(kElCentro, [](QWidget&) {});
  Box("txtAlphaSmall")->setText("0.05");
  Click("cmdSpectra");
  Box("txtSpectrumList")->setText("0.2,0.5:1.5:0.5");
  List("cboSpectrumKind")->setCurrentIndex(2);
  Box("txtSpectrumTarget")->setText("4");
  Click("cmdRunSpectrum");
  EXPECT_TRUE(Text("lblSpectrumStatus").startsWith("4 points, 4 periods of 1 record(s)"));
  EXPECT_FALSE(Find<SpectraWindow>("frmSpectra")->Picture().isNull());
  log.answers = {folder.filePath("w.csv"), folder.filePath("w.svg")};
  Click("cmdSaveSpectrumTables");
  Click("cmdSaveSpectrumPicture");

  const test::CliRun cli =
      Cli("spectrum '" + kElCentro.toStdString() + "' --periods 0.2,0.5:1.5:0.5 --ductility 4 "
          "--damping-ratio 0.05 --alpha 0.05 -o c.csv");
  ASSERT_EQ(cli.status, 0) << cli.err;
  for (const auto& [cliName, windowName] :
       {std::pair{"c.csv", "w.csv"}, std::pair{"c-stats.csv", "w-stats.csv"}}) {
    SCOPED_TRACE(cliName);
    EXPECT_EQ(Read(windowName), Read(cliName));
  }
  EXPECT_NE(Read("w.svg").find("<svg"), std::string::npos);

  // Cancel at the first events the run lets through keeps the points finished, no more.
  Box("txtSpectrumList")->clear();
  QTimer::singleShot(0, form.get(), [this] { Click("cmdCancelSpectrum"); });
  Click("cmdRunSpectrum");
  EXPECT_TRUE(Text("lblSpectrumStatus").startsWith("Cancelled; kept "))
      << Text("lblSpectrumStatus").toStdString();
  EXPECT_TRUE(Find<QPushButton>("cmdRunSpectrum")->isEnabled());

  // A value without physical meaning is refused as on the command line.
  Box("txtSpectrumTarget")->setText("0.5");
  Click("cmdRunSpectrum");
  EXPECT_EQ(Text("lblSpectrumStatus"),
            "Not computed: the ductility MU must be at least 1: below 1 the peak displacement "
            "stays under Uy, where no strength is defined by it.");
}

}  // namespace
}  // namespace quarvel::app
