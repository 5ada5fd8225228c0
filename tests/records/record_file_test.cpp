#include "records/record_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "solve/solve_digest.h"

namespace quarvel {
namespace {

namespace fs = std::filesystem;

const std::string kDataDir = QUARVEL_RECORD_VARIANTS_DIR;

// Digest of the default solve of the El Centro .quarvel file (solve_digest_test, ElCentroDefaults).
constexpr uint64_t kElCentroDefaultsDigest = 0x321bf612551ba17e;

RecordOptions WithStep(double step) {
  RecordOptions options;
  options.timeStep = step;
  return options;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct VariantRow {
  const char* name;
  const char* file;
  RecordFormat format;  // as recognised
  RecordOptions options;
};

class ElCentroVariant : public ::testing::TestWithParam<VariantRow> {};

// Each variant was written from the .quarvel file by make_elcentro_variants.py: the same
// decimal numbers in another form. Read, it must be the same record and solve to the same bits.
TEST_P(ElCentroVariant, SolvesBitIdenticallyToTheQuarvelFile) {
  const VariantRow& row = GetParam();
  const std::string path = row.file[0] == '/' ? std::string(row.file) : kDataDir + row.file;
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(DetectRecordFormat(std::string(std::istreambuf_iterator<char>(in), {}), path),
            row.format);

  Workbench reference;
  ASSERT_TRUE(test::LoadDigestSet(test::DigestSet::ElCentro, reference));
  Workbench bench;
  std::vector<RecordProvenance> provenance;
  const FileResult load = LoadRecordFiles({{path, row.options}}, bench.experiments, &provenance);
  ASSERT_TRUE(load) << load.Describe();
  ASSERT_EQ(bench.experiments.Count(), 1);
  const Experiment& expected = reference.experiments.At(1);
  const Experiment& e = bench.experiments.At(1);
  EXPECT_EQ(e.dataType, expected.dataType);
  EXPECT_EQ(e.unitsOfG, expected.unitsOfG);
  EXPECT_EQ(e.timeStep, expected.timeStep);
  EXPECT_EQ(e.counter, expected.counter);
  EXPECT_EQ(e.mass, expected.mass);
  EXPECT_EQ(e.weight, expected.weight);
  EXPECT_TRUE(SameBits(e.acceleration, expected.acceleration));
  ASSERT_EQ(provenance.size(), 1u);
  EXPECT_EQ(provenance[0].format, row.format);
  EXPECT_EQ(provenance[0].units, "g");
  EXPECT_EQ(provenance[0].samples, 1560);

  bench.SelectFirst(0, 1);
  test::RecordingUserInterface ui;
  const SolveOutcome outcome = SolveExperiments(bench, ui, true);
  ASSERT_TRUE(outcome.solved);
  EXPECT_EQ(test::DigestOf(bench, outcome, ui.calls), kElCentroDefaultsDigest);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ElCentroVariant,
    ::testing::Values(
        VariantRow{"Quarvel", QUARVEL_SOURCE_DIR "/tests/experiments/data/elcentro-1940-ns.quarvel",
                   RecordFormat::Quarvel, {}},
        VariantRow{"At2CountKeywords", "elcentro-npts-keywords.AT2", RecordFormat::At2, {}},
        VariantRow{"At2CountFirst", "elcentro-npts-first.at2", RecordFormat::At2, {}},
        VariantRow{"OneColumn", "elcentro-one-column.txt", RecordFormat::Columns, WithStep(0.02)},
        VariantRow{"TwoColumns", "elcentro-two-columns.txt", RecordFormat::Columns, {}},
        VariantRow{"Csv", "elcentro.csv", RecordFormat::Csv, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Writes `text` to a file of this process named `name`.
std::string WriteInput(const std::string& name, const std::string& text) {
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("quarvel_records_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string path = (folder / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

const char* const kAt2Head =
    "PEER NGA STRONG MOTION DATABASE RECORD\n"
    "NORTHRIDGE 01/17/94, SOME STATION, 090\n"
    "ACCELERATION TIME SERIES IN UNITS OF G\n";

struct BadRow {
  const char* name;
  const char* file;  // the extension counts in recognising the format
  std::string text;
  int64_t line;
  const char* reason;  // a part of the reason
};

class BadRecord : public ::testing::TestWithParam<BadRow> {};

// A bad record fails with the file, the line and the reason, and the set loaded before stays
// as it was, even when the bad file comes after a good one in the same load.
TEST_P(BadRecord, FailsNamingTheLineAndKeepsTheCurrentSet) {
  const BadRow& row = GetParam();
  const std::string path = WriteInput(row.file, row.text);
  const std::string good = WriteInput("good.txt", "0 1\n0.5 2\n1 3\n");

  ExperimentSet set;
  ASSERT_TRUE(LoadRecordFiles({{good, {}}}, set));
  std::vector<RecordProvenance> provenance(1);
  const FileResult result = LoadRecordFiles({{good, {}}, {path, {}}}, set, &provenance);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.fileName, path);
  EXPECT_EQ(result.lineNumber, row.line) << result.Describe();
  EXPECT_NE(result.reason.find(row.reason), std::string::npos) << result.Describe();
  ASSERT_EQ(set.Count(), 1);
  EXPECT_EQ(set.At(1).counter, 3);
  EXPECT_EQ(provenance.size(), 1u);
  fs::remove(path);
  fs::remove(good);
}

INSTANTIATE_TEST_SUITE_P(
    Records, BadRecord,
    ::testing::Values(
        BadRow{"At2FewerValuesThanDeclared", "short.at2",
               std::string(kAt2Head) + "NPTS=  4, DT= .01 SEC\n .1 .2\n .3\n", 7,
               "ends after 3 of the 4 values"},
        BadRow{"At2MoreValuesThanDeclared", "long.at2",
               std::string(kAt2Head) + "   2   .01  NPTS, DT\n .1 .2\n .3\n", 6,
               "more values than the 2"},
        BadRow{"At2CountLineMissing", "nocount.at2", std::string(kAt2Head) + ".1 .2\n", 4,
               "gives no count and time step"},
        BadRow{"At2CountNotWhole", "half.at2", std::string(kAt2Head) + "NPTS= 2.5, DT= .01\n", 4,
               "NPTS must be a whole number"},
        BadRow{"At2ValueNotANumber", "text.at2",
               std::string(kAt2Head) + "NPTS= 3, DT= .01\n .1 x.2 .3\n", 5, "\"x.2\""},
        BadRow{"At2HeaderCut", "cut.at2", "PEER NGA STRONG MOTION DATABASE RECORD\n", 2,
               "inside its four header lines"},
        BadRow{"TimesNotUniform", "uneven.txt", "0 1\n0.02 2\n0.04 3\n0.07 4\n", 4,
               "not uniform"},
        BadRow{"TimesNotIncreasing", "back.txt", "0.02 1\n0.02 2\n", 2, "must increase"},
        BadRow{"TextInValueColumn", "text.txt", "0 1\n0.02 abc\n", 2, "\"abc\""},
        BadRow{"DecimalCommaInColumns", "comma.txt", "0,00 1\n0,02 2\n", 1, "\"0,00\""},
        BadRow{"ColumnCountChanges", "ragged.txt", "0 1\n0.02\n", 2, "1 columns here, 2 on line 1"},
        BadRow{"ThreeColumns", "three.txt", "0 1 2\n", 1, "3 columns"},
        BadRow{"OneColumnWithoutStep", "values.txt", "1\n2\n", 0, "a time step is needed"},
        BadRow{"EmptyColumnsFile", "empty.txt", "", 1, "the file is empty"},
        BadRow{"EmptyAt2File", "empty.at2", "", 1, "the file is empty"},
        BadRow{"EmptyCsvFile", "empty.csv", "", 1, "the file is empty"},
        BadRow{"CsvWithoutHeader", "noheader.csv", "0,1\n0.02,2\n", 1, "needs a header row"},
        BadRow{"CsvTextInColumn", "text.csv", "t,a\n0,1\n0.02,n/a\n", 3, "column \"a\""},
        BadRow{"CsvShortRow", "short.csv", "t,a\n0,1\n0.02\n", 3, "1 fields here, 2 in the header"},
        BadRow{"CsvQuoteNotClosed", "quote.csv", "t,\"a\n0,1\n", 1, "quote is not closed"},
        BadRow{"CsvOnlyHeader", "header.csv", "t,a\n", 1, "no values below the header"},
        BadRow{"QuarvelDeclaresTwoHoldsOne", "two.quarvel",
               "2\nPulse\n1\n1\n0\n0\n0\nForce\nnone\n0.02\n1\n5\n", 13,
               "the file ends before the name of experiment 2"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadRow {
  const char* name;
  const char* file;
  std::string text;
  RecordOptions options;
  // Expected record:
  ExperimentDataType type;
  int32_t unitsOfG;
  std::vector<double> samples;  // 1..n
  double timeStep;
  std::string recordName;
  std::string units;       // in the provenance
  double startTime;
  std::string column;
};

RecordOptions Options(std::optional<ExperimentDataType> type, std::optional<AccelerationUnits> units,
                      std::optional<std::string> column = {}, std::optional<std::string> name = {},
                      std::optional<double> step = {}) {
  RecordOptions options;
  options.type = type;
  options.units = units;
  options.column = column;
  options.name = name;
  options.timeStep = step;
  return options;
}

class ReadRecord : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ReadRecord, TakesWhatTheFileLeavesOpenFromTheOptions) {
  const ReadRow& row = GetParam();
  RecordSet out;
  const FileResult result = ReadRecordText(row.text, row.file, row.options, out);
  ASSERT_TRUE(result) << result.Describe();
  ASSERT_EQ(out.experiments.size(), 1u);
  const Experiment& e = out.experiments[0];
  EXPECT_EQ(e.dataType, row.type);
  EXPECT_EQ(e.unitsOfG, row.unitsOfG);
  std::vector<double> expected{0.0};
  expected.insert(expected.end(), row.samples.begin(), row.samples.end());
  EXPECT_EQ(SamplesOf(e), expected);
  EXPECT_EQ(e.counter, static_cast<int32_t>(row.samples.size()));
  EXPECT_EQ(e.timeStep, row.timeStep);
  EXPECT_EQ(e.name, row.recordName);
  EXPECT_EQ(out.provenance[0].units, row.units);
  EXPECT_EQ(out.provenance[0].startTime, row.startTime);
  EXPECT_EQ(out.provenance[0].column, row.column);
}

constexpr auto kAcc = ExperimentDataType::Acceleration;

INSTANTIATE_TEST_SUITE_P(
    Records, ReadRecord,
    ::testing::Values(
        // Dividing by 100 is correctly rounded: 981 cm/s2 is exactly 9.81 m/s2.
        ReadRow{"CentimetresPerSecondSquaredDividedBy100", "quake.txt", "0 981\n0.5 -3\n",
                Options({}, AccelerationUnits::CentimetresPerSecondSquared), kAcc, 0,
                {981.0 / 100.0, -3.0 / 100.0}, 0.5, "quake", "cm/s^2", 0.0, ""},
        ReadRow{"MetresPerSecondSquaredAsWritten", "quake.txt", "0 9.81\n0.5 -0.03\n",
                Options({}, AccelerationUnits::MetresPerSecondSquared), kAcc, 0, {9.81, -0.03},
                0.5, "quake", "m/s^2", 0.0, ""},
        ReadRow{"ForceIgnoresUnits", "push.txt", "1\n2\n",
                Options(ExperimentDataType::Force, AccelerationUnits::CentimetresPerSecondSquared,
                        {}, "Push", 0.1),
                ExperimentDataType::Force, 0, {1, 2}, 0.1, "Push", "N", 0.0, ""},
        ReadRow{"DisplacementRecord", "drive.txt", "0.01\n0.02\n",
                Options(ExperimentDataType::Displacement, {}, {}, {}, 0.1),
                ExperimentDataType::Displacement, 0, {0.01, 0.02}, 0.1, "drive", "m", 0.0, ""},
        ReadRow{"TimesNeedNotStartAtZero", "late.dat", "# t a\n\n 2.5\t1\n 2.75\t2\n 3\t3\n",
                {}, kAcc, 1, {1, 2, 3}, 0.25, "late", "g", 2.5, ""},
        ReadRow{"At2NamedAfterItsSecondLine", "rec.at2",
                std::string(kAt2Head) + "NPTS=  3, DT=   .0050 SEC\n  .1E-01 -.2E-01\n 3\n", {},
                kAcc, 1, {0.01, -0.02, 3}, 0.005, "NORTHRIDGE 01/17/94, SOME STATION, 090", "g",
                0.0, ""},
        ReadRow{"CsvColumnByName", "r.csv", "Time (s);a_x;\"a;y\"\n0;1;2\n0.1;3;4\n",
                Options({}, {}, "A;Y"), kAcc, 1, {2, 4}, 0.1, "r", "g", 0.0, "a;y"},
        ReadRow{"CsvColumnByNumber", "r.csv", "t,a,b\r\n0,1,2\r\n0.1,3,4\r\n",
                Options({}, {}, "3"), kAcc, 1, {2, 4}, 0.1, "r", "g", 0.0, "b"},
        ReadRow{"CsvFirstColumnBesideTime", "r.csv", "a, t\n1, 0\n3, 0.1\n", {}, kAcc, 1, {1, 3},
                0.1, "r", "g", 0.0, "a"},
        ReadRow{"CsvWithoutTimeTakesTheStep", "r.csv", "temperature\n1\n3\n",
                Options({}, {}, {}, {}, 0.01), kAcc, 1, {1, 3}, 0.01, "r", "g", 0.0,
                "temperature"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DetectRow {
  const char* name;
  const char* path;
  const char* head;
  RecordFormat format;
  bool needsTimeStep;
};

class Detect : public ::testing::TestWithParam<DetectRow> {};

TEST_P(Detect, RecognisesTheFormatAndWhatTheFileLeavesOpen) {
  const RecordQuestions questions = QuestionsOf(GetParam().head, GetParam().path);
  EXPECT_EQ(questions.format, GetParam().format);
  EXPECT_EQ(questions.needsTimeStep, GetParam().needsTimeStep);
}

INSTANTIATE_TEST_SUITE_P(
    Records, Detect,
    ::testing::Values(
        DetectRow{"At2HeaderWinsOverExtension", "x.txt", "A\nB\nC\n 3 .01 NPTS, DT\n",
                  RecordFormat::At2, false},
        DetectRow{"QuarvelByExtension", "x.quarvel", "1\n2\n", RecordFormat::Quarvel, false},
        DetectRow{"QuarvelByContent", "x.txt",
                  "1\nPulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n1\n5\n", RecordFormat::Quarvel,
                  false},
        DetectRow{"TwoColumnsByContent", "x", "0 1\n0.1 2\n", RecordFormat::Columns, false},
        DetectRow{"OneColumnNeedsTheStep", "x", "# g\n1\n2\n", RecordFormat::Columns, true},
        DetectRow{"TabColumnsAreNotCsv", "x.dat", "0\t1\n0.1\t2\n", RecordFormat::Columns, false},
        DetectRow{"CsvByHeader", "x.txt", "time;acc\n0;1\n", RecordFormat::Csv, false},
        DetectRow{"CsvWithoutTimeNeedsTheStep", "x.csv", "acc,vel\n1,2\n", RecordFormat::Csv,
                  true},
        DetectRow{"CsvByExtension", "x.CSV", "acc\n1\n", RecordFormat::Csv, true},
        DetectRow{"At2ByExtension", "x.AT2", "", RecordFormat::At2, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quarvel
