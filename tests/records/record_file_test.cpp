#include "records/record_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "solve/solve_digest.h"
#include "support/scratch_folder.h"
#include "text/number_text.h"

// GCC 12 warns about designated initializers that leave members to their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace quarvel {
namespace {

using enum AccelerationUnits;
using enum ExperimentDataType;

const std::string kDataDir = QUARVEL_RECORD_VARIANTS_DIR;

// Digest of the default solve of the El Centro .quarvel file (solve_digest_test, ElCentroDefaults).
constexpr uint64_t kElCentroDefaultsDigest = 0x321bf612551ba17e;

// Each variant was written from the .quarvel file by make_elcentro_variants.py: the same
// decimal numbers in another form. Read, it must be the same record: its solve (which takes every
// sample, the time step, type, units, mass and weight) the same to the last bit.
TEST(ElCentroVariant, SolvesBitIdenticallyToTheQuarvelFile) {
  const std::pair<std::string, RecordOptions> rows[] = {
      {kDataDir + "elcentro-npts-keywords.AT2", {}},
      {kDataDir + "elcentro-npts-first.at2", {}},
      {kDataDir + "elcentro-one-column.txt", {.timeStep = 0.02}},
      {kDataDir + "elcentro-two-columns.txt", {}},
      {kDataDir + "elcentro.csv", {}},
  };
  for (const auto& [path, options] : rows) {
    SCOPED_TRACE(path);
    RecordLoad load = LoadRecordFile(path, options);
    ASSERT_TRUE(load.result) << load.result.Describe();
    ASSERT_EQ(load.records.experiments.size(), 1u);
    Workbench bench;
    bench.experiments.Assign(std::move(load.records.experiments));
    bench.SelectFirst(0, 1);
    test::RecordingUserInterface ui;
    const SolveOutcome outcome = SolveExperiments(bench, ui, true);
    ASSERT_TRUE(outcome.solved);
    EXPECT_EQ(test::DigestOf(bench, outcome, ui.calls), kElCentroDefaultsDigest);
  }
}

const char* const kAt2Head =
    "PEER NGA STRONG MOTION DATABASE RECORD\n"
    "NORTHRIDGE 01/17/94, SOME STATION, 090\n"
    "ACCELERATION TIME SERIES IN UNITS OF G\n";

// A bad record fails with the file, the line and the reason. (The extension counts in recognising
// the format; that a failure gives no experiment is the record fuzz targets' check.)
TEST(BadRecord, FailsNamingTheLine) {
  const std::string at2 = kAt2Head;
  const std::tuple<const char*, std::string, int64_t, const char*> rows[] = {
      {"short.at2", at2 + "NPTS=  4, DT= .01 SEC\n .1 .2\n .3\n", 7,
       "ends after 3 of the 4 values"},
      {"long.at2", at2 + "   2   .01  NPTS, DT\n .1 .2\n .3\n", 6, "more values than the 2"},
      {"nocount.at2", at2 + ".1 .2\n", 4, "gives no count and time step"},
      {"half.at2", at2 + "NPTS= 2.5, DT= .01\n", 4, "a whole number from 1 to 2000000000"},
      {"text.at2", at2 + "NPTS= 3, DT= .01\n .1 x.2 .3\n", 5, "\"x.2\""},
      {"cut.at2", "PEER NGA STRONG MOTION DATABASE RECORD\n", 2, "inside its four header lines"},
      {"back.txt", "0.02 1\n0.02 2\n", 2, "must increase"},
      {"text.txt", "0 1\n0.02 abc\n", 2, "\"abc\""},
      {"ragged.txt", "0 1\n0.02\n", 2, "1 columns here, 2 on line 1"},
      {"three.txt", "0 1 2\n", 1, "3 columns"},
      {"values.txt", "1\n2\n", 0, "a time step is needed"},
      {"empty.txt", "", 1, "the file is empty"},
      {"empty.at2", "", 1, "the file is empty"},
      {"empty.csv", "", 1, "the file is empty"},
      {"noheader.csv", "0,1\n0.02,2\n", 1, "needs a header row"},
      {"text.csv", "t,a\n0,1\n0.02,n/a\n", 3, "text where a number belongs (column \"a\")"},
      {"short.csv", "t,a\n0,1\n0.02\n", 3, "1 fields here, 2 in the header"},
      {"quote.csv", "t,\"a\n0,1\n", 1, "quote is not closed"},
      {"header.csv", "t,a\n", 1, "no values below the header"},
      {"two.quarvel", "2\nPulse\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n1\n5\n", 13,
       "the file ends before the name of experiment 2"},
  };
  const test::ScratchFolder folder;
  for (const auto& [file, text, line, reason] : rows) {
    SCOPED_TRACE(file);
    const std::string path = folder.Write(file, text);
    const RecordLoad load = LoadRecordFile(path, {});
    EXPECT_EQ(load.result.lineNumber, line);
    EXPECT_NE(load.result.reason.find(reason), std::string::npos) << load.result.Describe();
    EXPECT_EQ(load.needsTimeStep, std::string_view(file) == "values.txt");  // the --dt hint
  }
}

// What the file leaves open comes from the options. Expected: "<type> <units of g> <name> |
// <time step> | <samples> | <provenance units> <start time> <column>", numbers in their shortest
// form (so to the last bit).
TEST(ReadRecord, TakesWhatTheFileLeavesOpenFromTheOptions) {
  const std::string at2 =
      std::string(kAt2Head) + "NPTS=  3, DT=   .0050 SEC\n  .1E-01 -.2E-01\n 3\n";
  using O = RecordOptions;
  const std::tuple<const char*, std::string, RecordOptions, std::string> rows[] = {
      {"push.txt", "1\n2\n",  // units of acceleration do not apply to a force
       O{.type = Force, .units = CentimetresPerSecondSquared, .name = "Push", .timeStep = 0.1},
       "1 0 Push | 0.1 | 1 2 | N 0 "},
      {"drive.txt", "0.01\n0.02\n", O{.type = Displacement, .timeStep = 0.1},
       "2 0 drive | 0.1 | 0.01 0.02 | m 0 "},
      {"late.dat", "# t a\n\n 2.5\t1\n 2.75\t2\n 3\t3\n", {}, "0 1 late | 0.25 | 1 2 3 | g 2.5 "},
      {"rec.at2", at2, {},
       "0 1 NORTHRIDGE 01/17/94, SOME STATION, 090 | 0.005 | 0.01 -0.02 3 | g 0 "},
      {"r.csv", "Time (s);a_x;\"a;y\"\n0;1;2\n0.1;3;4\n", O{.column = "A;Y"},
       "0 1 r | 0.1 | 2 4 | g 0 a;y"},
      {"r.csv", "t,a,b\r\n0,1,2\r\n0.1,3,4\r\n", O{.column = "3"}, "0 1 r | 0.1 | 2 4 | g 0 b"},
      {"r.csv", "a, t\n1, 0\n3, 0.1\n", {}, "0 1 r | 0.1 | 1 3 | g 0 a"},
      {"r.csv", "temperature\n1\n3\n", O{.timeStep = 0.01}, "0 1 r | 0.01 | 1 3 | g 0 temperature"},
      // A scale multiplies the samples after the units' division (whatever the format: the scale
      // is applied to the load of any reader).
      {"r.csv", "t,a\n0,981\n0.1,-981\n", O{.units = CentimetresPerSecondSquared, .scale = 2},
       "0 0 r | 0.1 | 19.62 -19.62 | cm/s^2 0 a"},
  };
  for (const auto& [file, text, options, expected] : rows) {
    SCOPED_TRACE(text);
    const RecordLoad load = LoadRecordText(text, file, options);
    ASSERT_TRUE(load.result) << load.result.Describe();
    ASSERT_EQ(load.records.experiments.size(), 1u);
    const Experiment& e = load.records.experiments[0];
    const RecordProvenance& p = load.records.provenance[0];
    std::string made = std::to_string(int(e.dataType)) + " " + std::to_string(e.unitsOfG) + " " +
                       e.name + " | " + FormatShortest(e.timeStep) + " |";
    for (int32_t i = 1; i <= e.counter; ++i) made += " " + FormatShortest(SamplesOf(e)[i]);
    EXPECT_EQ(made + " | " + p.units + " " + FormatShortest(p.startTime) + " " + p.column,
              expected);
  }
}

// An AT2 file whose third line is `line`, with the samples 981 and 0.
std::string At2(const char* line) {
  return "PEER NGA\nQuake\n" + std::string(line) + "\nNPTS= 2, DT= .01 SEC\n 981 0\n";
}

// An AT2 file's third line decides the type and the units, which an option may repeat. The
// file's value 981 is stored in the experiment's units (g, m/s2 or m): divided by 100 or 1000,
// which is correctly rounded, it is exactly the literal.
TEST(At2Header, DecidesTheTypeAndTheUnits) {
  struct Row { const char* line; RecordOptions options;
               double stored; const char* unitsSource; const char* units; };
  const Row rows[] = {
      {"ACCELERATION TIME SERIES IN UNITS OF G", {.units = G}, 981, "header", "g"},
      {"ACCELERATION TIME SERIES IN UNITS OF CM/S^2", {}, 9.81, "header", "cm/s^2"},
      {"Acceleration time series in units of cm/sec/sec", {}, 9.81, "header", "cm/s^2"},
      {"ACCELERATION TIME SERIES IN UNITS OF M/S/S", {}, 981, "header", "m/s^2"},
      {"ACCELERATION TIME SERIES IN UNITS OF MM/S2", {}, 0.981, "header", "mm/s^2"},
      {"ACCELERATION TIME HISTORY IN UNITS OF G. FILTER POINTS: HP=0.1 Hz", {}, 981, "header", "g"},
      {"DISPLACEMENT TIME SERIES IN UNITS OF CM", {.type = Displacement}, 9.81, "header", "cm"},
      {"DISPLACEMENT TIME SERIES IN UNITS OF M", {.type = Displacement}, 981, "header", "m"},
      {"RECORD OF STATION 4", {.units = CentimetresPerSecondSquared}, 9.81, "options", "cm/s^2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const RecordLoad load = LoadRecordText(At2(row.line), "r.at2", row.options);
    ASSERT_TRUE(load.result) << load.result.Describe();
    const Experiment& e = load.records.experiments.at(0);
    EXPECT_EQ(SamplesOf(e)[1], row.stored);
    EXPECT_EQ(load.records.provenance[0].unitsSource, row.unitsSource);
    EXPECT_EQ(load.records.provenance[0].units, row.units);
    EXPECT_DOUBLE_EQ(load.records.provenance[0].scale, row.stored / 981);  // stored over read
  }
}

// A velocity is no excitation; a displacement is one only when asked for; units not known are
// read only when given; an option that says otherwise than the header is named as such.
TEST(At2Header, RefusesWhatItCannotReadAndOptionsThatContradictIt) {
  struct Row { const char* line; RecordOptions options; RecordOption contradicted;
               const char* reason; };
  const Row rows[] = {
      {"VELOCITY TIME SERIES IN UNITS OF CM/S", {}, RecordOption::None, ": a velocity record"},
      {"VELOCITY TIME SERIES IN UNITS OF CM/SEC", {.type = Acceleration}, RecordOption::Type, ""},
      {"DISPLACEMENT TIME SERIES IN UNITS OF CM", {}, RecordOption::None, ": a displacement"},
      {"DISPLACEMENT TIME SERIES IN UNITS OF CM", {.type = Force}, RecordOption::Type, ""},
      {"ACCELERATION TIME SERIES IN UNITS OF IN/S/S", {}, RecordOption::None, "none of g, m/s2"},
      {"DISPLACEMENT TIME SERIES IN UNITS OF IN", {.type = Displacement}, RecordOption::None,
       "none of m, cm, mm"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const RecordLoad load = LoadRecordText(At2(row.line), "r.at2", row.options);
    EXPECT_EQ(load.result.lineNumber, 3);
    EXPECT_EQ(load.contradicted, row.contradicted);
    const std::string says = "the header says \"" + std::string(row.line) + "\"";
    EXPECT_EQ(load.result.reason.rfind(says, 0), 0u) << load.result.reason;
    EXPECT_NE(load.result.reason.find(row.reason, says.size()), std::string::npos);
  }
}

TEST(Detect, RecognisesTheFormatAndWhetherTheFileNeedsATimeStep) {
  const std::tuple<const char*, const char*, RecordFormat, bool> rows[] = {
      {"x.txt", "A\nB\nC\n 3 .01 NPTS, DT\n", RecordFormat::At2, false},  // the header wins
      {"x.quarvel", "1\n2\n", RecordFormat::Quarvel, false},
      {"x.txt", "1\nPulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n1\n5\n", RecordFormat::Quarvel,
       false},
      {"x", "# g\n1\n2\n", RecordFormat::Columns, true},
      {"x.dat", "0\t1\n0.1\t2\n", RecordFormat::Columns, false},  // tabs are not CSV
      {"x.txt", "time;acc\n0;1\n", RecordFormat::Csv, false},
      {"x.txt", "0.01,0.5\n0.02,0.7\n", RecordFormat::Csv, false},  // numbers between commas
      {"x.csv", "acc,vel\n1,2\n", RecordFormat::Csv, true},
      {"x.CSV", "acc\n1\n", RecordFormat::Csv, true},
  };
  for (const auto& [path, head, format, needsTimeStep] : rows) {
    SCOPED_TRACE(std::string(path) + " " + head);
    EXPECT_EQ(QuestionsOf(head, path).format, format);
    EXPECT_EQ(QuestionsOf(head, path).needsTimeStep, needsTimeStep);
  }
}

}  // namespace
}  // namespace quarvel
