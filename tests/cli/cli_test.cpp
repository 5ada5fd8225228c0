// End-to-end tests: run quarvel-cli in a scratch folder and check its output, files and exit
// status.

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "reliability/reliability_support.h"
#include "support/command_runner.h"

namespace quarvel::reliability {
namespace {

using test::CliRun;
using test::kCli;
using test::RunCli;
using test::RunShell;

const char* const kEnvelopes[] = {"EnvRelErrorUPos.out", "EnvRelErrorUNeg.out",
                                  "EnvRelErrorEhPos.out", "EnvRelErrorEhNeg.out"};
const std::string kElCentro = QUARVEL_SOURCE_DIR "/examples/elcentro-1940-ns.quarvel";

class CliTest : public testing::Test {
 protected:
  CliRun Run(const std::string& arguments) { return RunCli(dir.Path(), arguments); }
  CliRun Ok(const std::string& arguments) {  // a run that must succeed
    CliRun run = Run(arguments);
    EXPECT_EQ(run.status, 0) << arguments << "\n" << run.err;
    return run;
  }
  void Fails(const std::string& arguments, const std::string& message) {  // with status 1
    const CliRun run = Run(arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  CliRun Shell(const std::string& command) { return RunShell(dir.Path(), command); }
  std::string Read(const std::string& name) { return dir.Read(name); }
  // Every text of `wanted` is in `text`.
  static void ExpectAll(const std::string& text, const std::vector<std::string>& wanted) {
    for (const std::string& part : wanted) EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  ScratchFolder dir;
};

// The whole output for an experiment of a loaded file: its details, its labels and one line per
// experiment.
TEST_F(CliTest, SolvePrintsDetailsLabelsAndOneLinePerExperiment) {
  dir.Write("pulse.quarvel",
            "2\r\nFirst\r\n1\r\n2.86\r\n0\r\n0\r\n0\r\nForce\r\nnone\r\n0.02\r\n3\r\n0\r\n5\r\n"
            "0\r\nSecond\r\n1\r\n1\r\n-0.5\r\n1e-9\r\n0.25\r\nDisplacement\r\nnone\r\n0.05\r\n4\r\n"
            "0\r\n0.1\r\n0.2\r\n0.1\r\n");
  // The lower-case spellings are the same options.
  EXPECT_EQ(Run("solve --method euler --fy 2 --uy 0.2 --p 3").out,
            Ok("solve --method euler --Fy 2 --Uy 0.2 --P 3").out);
  EXPECT_EQ(Ok("solve --load pulse.quarvel --experiment 2 --method euler").out,
            "Data type :\tDisplacement\nUnits :\tNo unit system specified\nWeight :\t1\n"
            "Time Step :\t0.05\nCounter :\t4\nMass :\t1\nInitial U :\t-0.5\n"
            "Initial U_dot :\t1E-09\nInitial Z :\t0.25\nAbsolute U :\t0\nRelative U :\t0%\n"
            "Absolute Eh :\t0\nRelative Eh :\t0%\nT elastic :\t1.238\nT plastic :\t3.914\n"
            "Experiment\tOrig Peak U\tMod Peak U\tAbs Peak U Err\tRel Peak U Err\tOrig Peak Eh\t"
            "Mod Peak Eh\tAbs Peak Eh Err\tRel Peak Eh Err\nFirst\t0\t0\t0\t0\t0\t0\t0\t0\n"
            "Second\t0.2\t0.2\t0\t0\t0.369679453010351\t0.369679453010351\t0\t0\n");
  // --sine MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP: 2 cycles of 1.5 s at 0.01 s are 301 samples
  // of a displacement whose peak is below the amplitude 0.3 only by the sampling.
  const std::string sine = Ok("solve --sine 2,0.3,1.5,2,0.01").out;
  ExpectAll(sine, {"Data type :\tDisplacement\n", "Counter :\t301\n", "Mass :\t2\n",
                   "\nm=2, T=1.5, Amp=0.3, Cycl=2, TS=0.01\t0.299934205042454\t"});
}

// The report says where it went; DC 1 meets one faulting all-reversal weight evaluation, which
// the warning places and explains.
TEST_F(CliTest, ReportAndDemoWriteTheReport) {
  const CliRun report = Ok("report --dc1 -o out.txt");
  EXPECT_EQ(report.out, "Report written to out.txt\n");
  ExpectAll(report.err,
            {"warning: ERRRR: the modified model's all-reversal weight met an arithmetic fault",
             "in 1 evaluation(s), the first in experiment 1 (Temp DC 1) at sample 1454, "
             "t = 72.65 s"});
  ExpectAll(Ok("demo --dir results").out, {"quarvel-report.txt"});
  EXPECT_TRUE(fs::exists(dir / "results/quarvel-report.txt"));
}

// Record warnings on loading, --strict (which lets a file without warnings through), and the
// check of a file without solving.
TEST_F(CliTest, LoadedFilesAreCheckedLineByLine) {
  dir.Write("slips.quarvel", "1\nSlips\n1\n1\n0\n0\n0\nAccel\ng\n0.02\n2\n0\n1\n");
  // (The warnings' texts: tests/records.)
  ExpectAll(Ok("solve --load slips.quarvel").err,
            {"slips.quarvel:8: warning: the data type", "slips.quarvel:9: warning: the units"});
  Fails("solve --load slips.quarvel --strict",
        "slips.quarvel: 2 warning(s): the file is refused under --strict");

  // The peak in g at 2.02 s, 0.31882 x 9.81 in m/s2.
  ExpectAll(Ok("check --strict " + Quote(kElCentro)).out,
            {": 1 experiment(s), 0 warning(s)\nExperiment 1 :\tEl Centro 1940 NS\n",
             "Units as written :\tg (the file)\nUnits as stored :\tg\nSamples :\t1560\n",
             "PGA :\t0.31882 g, 3.1276242 m/s^2 at 2.02 s\n", "no baseline correction)"});
  Fails("check --strict slips.quarvel", "slips.quarvel: 2 warning(s)");
}

// Records in two formats become one .quarvel file that solves to the same peaks as the AT2 file
// read directly; solving writes a history per experiment and a summary that names each
// experiment's source.
TEST_F(CliTest, RecordsConvertSolveWithHistoriesAndSummary) {
  const std::string data = QUARVEL_RECORD_VARIANTS_DIR;
  EXPECT_EQ(Ok("convert '" + data + "elcentro-npts-keywords.AT2' '" + data +
               "elcentro.csv' --name 'El Centro, NS' -o set.quarvel").out,
            "Converted 2 experiment(s) from 2 file(s) into set.quarvel\n");
  ExpectAll(Ok("solve --load set.quarvel --load '" + data +
               "elcentro-npts-first.at2' --method euler --history h --summary s.json").out,
            {"Histories written to h (3 file(s))\n"});
  const std::string history = Read("h/3-IMPERIAL_VALLEY_05_19_40_EL_CENTRO_ARRAY_9_180.csv");
  EXPECT_EQ(history.rfind("t_s,ag_g,orig_U_m,", 0), 0u);
  nlohmann::json summary = nlohmann::json::parse(Read("s.json"));
  EXPECT_EQ(summary["command"], "solve");
  EXPECT_EQ(summary["inputs"]["used"]["method"], "Euler");
  EXPECT_EQ(summary["records"][0]["source"]["format"], "quarvel");
  nlohmann::json& solved = summary["results"]["experiments"];
  EXPECT_EQ(solved[1]["name"], "El Centro, NS");
  // The converted file holds every sample to the last bit.
  EXPECT_EQ(solved[0]["original"]["peakU"], solved[2]["original"]["peakU"]);
}

// A numbered series (its naming rules: tests/studies) and the same records given in order with
// --records, of any format, each study file named after its record: the same study and envelope
// files; with --csv a companion beside each and the envelopes of every swept value with the
// record that set each. A threshold that leaves out every value is named per file and fills no
// envelope; a folder without a file 1 fails, the envelope files written (empty) all the same.
TEST_F(CliTest, AdvancedLoopStudiesTheSeriesOrTheGivenRecords) {
  dir.Write("1 sine.quarvel", SineFile(40, 0.24, 6));
  dir.Write("2 push.quarvel", "1\nPush\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n4\n0\n60\n0\n-60\n");
  dir.Write("push.csv", "t,P\n0,0\n0.02,60\n0.04,0\n0.06,-60\n");
  const std::string range = " --from 1 --to 1.2 --step 0.05 --method euler";
  Ok("advanced-loop --dir . --threshold 0.001" + range);
  fs::create_directories(dir / "out");
  Ok("advanced-loop --records '1 sine.quarvel' push.csv --type force --dir out --csv "
     "--summary out/s.json --threshold 0.001" + range);
  EXPECT_EQ(Read("out/1 sine.quarvel.out"), Read("1 sine.quarvel.out"));
  EXPECT_EQ(Read("out/push.csv.out"), Read("2 push.quarvel.out"));
  for (const char* envelope : kEnvelopes) {
    EXPECT_EQ(Read(std::string("out/") + envelope), Read(envelope)) << envelope;
  }
  ExpectAll(
      "\n" + Read("out/push.csv.csv") + "\n" + Read("out/EnvRelError.csv"),
      {"\nT_plastic_s,mass_kg,orig_peak_U_m,", "\nT_plastic_s,rel_err_U_max,rel_err_U_max_record"});
  nlohmann::json summary = nlohmann::json::parse(Read("out/s.json"));
  EXPECT_EQ(summary["command"], "advanced-loop");
  EXPECT_EQ(summary["records"][1]["experiments"][0]["source"]["format"], "csv");
  EXPECT_EQ(summary["records"][1]["experiments"][0]["type"], "force");
  EXPECT_EQ(summary["records"].size(), 2u);
  EXPECT_EQ(summary["results"]["csv"].size(), 3u);

  ExpectAll(Ok("advanced-loop --dir . --threshold 1e9" + range).err,
            {"warning: 1 sine.quarvel: every swept value was left out by --threshold",
             "warning: 2 push.quarvel: every swept value was left out by --threshold"});
  dir.Write("unnumbered/record.quarvel", SineFile(40, 0.24, 6));
  Fails("advanced-loop --dir unnumbered" + range, "No file in unnumbered fits the series naming");
  for (const char* envelope : kEnvelopes) {  // written, and empty
    const std::string path = std::string("unnumbered/") + envelope;
    EXPECT_TRUE(fs::exists(dir / path)) << path;
    EXPECT_EQ(Read(path), "") << path;
  }
}

// The default study over a range, whole and as four shards run side by side and merged: the same
// file, byte for byte, in a folder made for it. (Jobs and the experiments solved: tests/studies.)
// Ctrl-C during a loop with two jobs: the values in progress are finished, the file holds the
// lines of the values finished in order (a prefix of the study, every line whole), status 130.
TEST_F(CliTest, LoopJobsShardsAndInterruptWriteTheSameStudy) {
  std::string range = "loop --from 3 --to 4.5 --step 0.05 ";
  const CliRun one = Ok(range + "--dir one/deep --jobs 1");  // no progress bar off a terminal
  EXPECT_EQ(one.err + one.out, "Study written to one/deep/lresults.out (31 values, 31 lines)\n");
  std::string expected = Read("one/deep/lresults.out");
  // (wait ends with status 0 whatever the shards did: the merge refuses a missing one.)
  Shell("for k in 1 2 3 4; do " + kCli + range + "--dir shards --jobs 1 --shard $k/4 & done; wait");
  Ok("merge shards/lresults.out.shard-[1-4]-of-4");
  EXPECT_EQ(Read("shards/lresults.out"), expected);

  range = "loop --from 0.1 --to 0.6 --step 0.01 ";
  Ok(range + "--dir whole --jobs 2");
  expected = Read("whole/lresults.out");
  // Ctrl-C once the header and the first two values are in the file.
  const CliRun cut = Shell(kCli + range +
                           "--dir cut --jobs 2 & pid=$!; "
                           "while kill -0 $pid 2>/dev/null && "
                           "[ \"$(cat cut/lresults.out 2>/dev/null | wc -l)\" -lt 4 ]; "
                           "do sleep 0.005; done; kill -INT $pid; wait $pid");
  const std::string written = Read("cut/lresults.out");
  EXPECT_EQ(cut.status, 130) << cut.err;
  ExpectAll(cut.err, {"Interrupted"});
  EXPECT_LT(written.size(), expected.size());
  EXPECT_EQ(expected.compare(0, written.size(), written), 0) << "not a prefix of the study";
  EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
}

// The advanced study split by files over three shards run side by side: each file's study and,
// once merged, the four envelope files (each with entries) are those of one run. A shard holds
// values at which all four envelopes have entries (shard 3: files 3 and 6).
TEST_F(CliTest, AdvancedLoopShardsMergeIntoTheFilesOfOneRun) {
  const double amplitudes[] = {3.0, 2.25, 3.75, 0.75, 2.7, 1.5};
  std::vector<std::string> files(std::begin(kEnvelopes), std::end(kEnvelopes));
  for (int k = 1; k <= 6; ++k) {
    files.push_back(std::to_string(k) + " sine.quarvel.out");
    dir.Write("single/" + std::to_string(k) + " sine.quarvel", SineFile(amplitudes[k - 1], 1, 101));
  }
  fs::copy(dir / "single", dir / "sharded");
  const std::string study = "advanced-loop --threshold 0.5 --from 0.5 --to 2 --step 0.1 ";
  Ok(study + "--dir single --jobs 2");
  Shell("for k in 1 2 3; do " + kCli + study + "--dir sharded --jobs 1 --shard $k/3 & done; wait");
  Ok("merge sharded/EnvRelError.out.shard-[1-3]-of-3");
  for (const std::string& file : files) {
    EXPECT_EQ(Read("sharded/" + file), Read("single/" + file)) << file;
    EXPECT_NE(Read("single/" + file), "") << file;
  }
}

// The picture has the size asked for (the PNG header's width and height: 640 x 480); the frame
// is a playback frame of the experiment drawn.
TEST_F(CliTest, PlotWritesAPictureOfTheRequestedSize) {
  const CliRun run = Ok("plot --rule last-max --frame 501 --experiment 4 --size 640x480 -o f.png");
  EXPECT_EQ(run.err + run.out, "Picture written to f.png (640x480 png)\n");
  EXPECT_EQ(Read("f.png").substr(12, 12), std::string("IHDR\0\0\x02\x80\0\0\x01\xe0", 12));
}

// Each kind of picture holds its legend and axis titles, with units where the record fixes them,
// as a reader finds them: SVG texts as written, PDF texts through poppler's pdftotext. (The
// legends of the response pictures: tests/plots.)
TEST_F(CliTest, PlotDrawsEachKindWithItsLegendAndUnits) {
  const std::string range = " --from 0.5 --to 0.7 --step 0.1 --vary elastic --by fy";
  Ok("loop --dir . -o s.out" + range);
  dir.Write("series/1 elcentro.quarvel", ReadWholeFile(kElCentro));
  Ok("advanced-loop --dir series --threshold 0.1" + range);
  const std::tuple<std::string, std::vector<std::string>, const char*> rows[] = {  // absent text
      {"--experiment all -o f.pdf", {"Time (s)", "T=3, Amp=20", "Modified Model (dashed)"}, ""},
      {"--no-legend -o f.svg", {">Displacement<"}, "Model"},  // a force record: no units
      {"--load 'series/1 elcentro.quarvel' --y F -o f.svg", {">Force (N)<"}, ""},  // units of g
      {"--study s.out -o f.svg",
       {">Elastic period (s)<", ">Peak displacement U<", ">Peak hysteretic energy Eh<"}, ""},
      {"--envelopes series -o f.svg", {">Largest, peak U<", ">Smallest, peak Eh<"}, ""},
  };
  for (const auto& [arguments, present, absent] : rows) {
    Ok("plot " + arguments);
    const std::string text =
        arguments.ends_with("pdf") ? Shell("pdftotext -q f.pdf -").out : Read("f.svg");
    ExpectAll(text, present);
    EXPECT_TRUE(!*absent || text.find(absent) == std::string::npos) << arguments;
  }
}

// Two records (El Centro and a short shock): the rows and statistics tables are the same, byte
// for byte, with one job, two jobs, as three shards merged and with El Centro read from its AT2
// file; the picture is drawn (its legend and titles: tests/plots), and drawn again from the merged
// table byte for byte.
TEST_F(CliTest, SpectrumTablesAreTheSameWhateverTheJobsOrShards) {
  dir.Write("shock.quarvel",
            "1\nShock\n1\n1\n0\n0\n0\nAcceleration\nUnits of g\n0.02\n4\n0.1\n-0.3\n0.2\n0\n");
  const std::string spectrum = "spectrum " + Quote(kElCentro) + " shock.quarvel --ductility 4 ";
  const std::string periods = "--periods 0.2:1:0.2 ";
  ExpectAll(Ok(spectrum + periods + "--jobs 1 -o one/s.csv").out, {"10 points, 5 periods"});
  const std::string rows = Read("one/s.csv"), statistics = Read("one/s-stats.csv");

  // The AT2 variant of the record, given the .quarvel record's name, solves bit for bit the
  // same; the summary names each record's format.
  Ok("spectrum '" QUARVEL_RECORD_VARIANTS_DIR "elcentro-npts-first.at2' shock.quarvel "
     "--name 'El Centro 1940 NS' --ductility 4 " + periods + "-o at2/s.csv --summary at2/s.json");
  nlohmann::json summary = nlohmann::json::parse(Read("at2/s.json"));
  EXPECT_EQ(summary["command"], "spectrum");
  EXPECT_EQ(summary["records"][0]["source"]["format"], "at2");
  EXPECT_EQ(summary["results"]["pointsWritten"], 10);
  EXPECT_EQ(summary["inputs"]["used"]["ductility"], 4.0);  // numbers, not texts
  EXPECT_EQ(summary["inputs"]["used"]["damping-ratio"], 0.05);

  Ok(spectrum + periods + "--jobs 2 -o two/s.csv --plot s.svg");

  for (const char* part : {"1/3", "2/3", "3/3"}) {
    Ok(spectrum + periods + "--jobs 1 -o shards/s.csv --shard " + part);
  }
  Ok("merge shards/s.csv.shard-[1-3]-of-3");
  for (const std::string folder : {"at2/", "two/", "shards/"}) {
    EXPECT_EQ(Read(folder + "s.csv") + Read(folder + "s-stats.csv"), rows + statistics) << folder;
  }
  Ok("plot --spectrum shards/s.csv -o merged.svg");  // the picture of the merged table
  EXPECT_EQ(Read("merged.svg"), Read("s.svg"));
}

// DC 2's one loop breaks the postulate in the original model only: the table, the CSV, the
// loops summary and the solve summary say so. --experiment K audits experiment K alone.
TEST_F(CliTest, LoopsListsTheLoopsOfBothModelsWithTheirViolations) {
  ExpectAll(Ok("loops --dc2 --csv l.csv --summary l.json").out,
            {"\n1\tU\t1803\t2004\t90.1\t100.15\t", "\tVIOLATION\t",
             "Violations :\toriginal 1, modified 0\n", "Loops written to l.csv\n"});
  const std::string csv = Read("l.csv");
  EXPECT_EQ(csv.substr(csv.find('\n') + 1, 26), "1,Temp DC 2,1,U,1803,2004,");
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2);
  nlohmann::json loops = nlohmann::json::parse(Read("l.json"));
  EXPECT_EQ(loops["command"], "loops");
  EXPECT_EQ(loops["results"]["experiments"][0]["counts"]["modified"]["violations"], 0);
  EXPECT_EQ(loops["results"]["experiments"][0]["loops"][0]["original"]["violation"], true);
  Ok("solve --dc2 --summary s.json");
  nlohmann::json solved = nlohmann::json::parse(Read("s.json"))["results"]["experiments"][0];
  EXPECT_EQ(solved["loops"]["original"]["violations"], 1);
  EXPECT_EQ(solved["loops"]["original"]["worst"]["loop"], 1);
  const std::string second = Ok("loops --experiment 2").out;
  EXPECT_EQ(second.rfind("Experiment 2 :\tT=2, Amp=5\n", 0), 0u);
}

// A force of 1e308 at sample 4 (t = 0.06 s) blows the response up in the Runge-Kutta interval
// that ends there, which stops the pass: stderr, the summary, the spectrum's row (counted on
// stderr) and the study's companion (counted on stderr) say so.
TEST_F(CliTest, RunFaultsReachTheSummarySpectrumAndStudyCsv) {
  dir.Write("big.txt", "0\n0\n0\n1e308\n0\n0\n");
  const std::string record = "big.txt --dt 0.02 --type force --method rk ";
  ExpectAll(Ok("solve --load " + record + "--damping-ratio 0.05 --summary s.json").err,
            {"warning: experiment 1 (big): The solve met a fault at t = 0.06 s in both models"});
  nlohmann::json summary = nlohmann::json::parse(Read("s.json"));
  nlohmann::json& solved = summary["results"]["experiments"][0];
  EXPECT_EQ(solved["original"]["fault"]["stopped"], true);
  EXPECT_EQ(solved["modified"]["fault"]["firstSample"], 4);
  EXPECT_EQ(solved["original"]["fault"]["time"], 0.06);
  // The inputs used are named as the options, the engineering ones as numbers among them.
  EXPECT_EQ(summary["inputs"]["used"]["damping-ratio"], 0.05);
  EXPECT_EQ(summary["inputs"]["used"]["threshold-z"], -1.0);
  ExpectAll(Ok("spectrum " + record + "--periods 1 --strength-ratio 0.1 -o s.csv").err,
            {"warning: at 1 of 1 points a model's run met a fault"});
  EXPECT_NE(Read("s.csv").find(",big,fault at t = 0.06 s,"), std::string::npos);
  ExpectAll(Ok("loop --load " + record + "--from 1 --to 1.5 --step 0.5 --csv --dir d").err,
            {"warning: d/lresults.out: at 2 of 2 swept values a model's run met a fault"});
  const std::string csv = Read("d/lresults.csv");
  EXPECT_EQ(csv.substr(csv.size() - 22), ",fault at t = 0.06 s\r\n");
}

// Every command of the README that runs quarvel-cli from the top of the repository (and the
// mkdir / cp lines that prepare them) runs as written, in order, from a folder that holds the
// build's programs and the examples where the repository top does.
TEST_F(CliTest, ReadmeCommandsRunAsWritten) {
  fs::create_directory_symlink(fs::path(QUARVEL_CLI).parent_path(), dir / "build");
  fs::create_directory_symlink(fs::path(QUARVEL_SOURCE_DIR) / "examples", dir / "examples");
  std::istringstream readme(ReadWholeFile(fs::path(QUARVEL_SOURCE_DIR) / "README.md"));
  int commands = 0;
  for (std::string line; std::getline(readme, line);) {
    if (line.starts_with("    build/quarvel-cli ") || line.starts_with("    mkdir ") ||
        line.starts_with("    cp ")) {
      EXPECT_EQ(Shell(line.substr(4)).status, 0) << line;
      ++commands;
    }
  }
  EXPECT_GE(commands, 8);
}

// Failures: the status (1 for a fault, 2 for a usage error), a short message on stderr that
// holds the given text, and no picture. Status 0: solved, the text on stdout or stderr.
struct ErrorCase { const char *name, *arguments; int status; const char* message; };

const ErrorCase kErrorCases[] = {
    {"zero_weights", "solve --load zero.quarvel", 1, "The weights of the experiments are zero!"},
    {"experiment_out_of_range", "solve --experiment 7", 2, "--experiment 7: the set has only 6"},
    {"experiment_beyond_int32", "solve --experiment 2147483648", 2, "--experiment: \"21474836"},
    {"no_subcommand", "", 2, "A subcommand is required"},
    {"misspelt_subcommand", "slove", 2, "unknown subcommand slove; did you mean solve?"},
    {"misspelt_option", "solve --fYy 1", 2, "solve: unknown option --fYy; did you mean --Fy?"},
    {"unknown_option", "solve --no-such-option", 2, "solve: unknown option --no-such-option\n"},
    {"other_command_option", "solve --jobs 2", 2, "--jobs is not an option of solve (it"},
    {"stray_argument", "solve extra", 2, "solve: unexpected argument extra"},
    {"loops_csv_unwritable", "loops --csv no/l.csv", 1, "The loops were not written"},
    {"ambiguous_a", "solve --a 0.1", 2, "--a: ambiguous: give --A"},
    {"bad_method", "solve --method fast", 2, "--method"},
    {"clamped_sub_steps", "solve --method euler --euler-steps 500", 0,
     "note: --euler-steps 500: 128 sub-step"},
    // The sinusoid: five finite numbers, a period and time step above 0, cycles
    // not negative; too many samples is the generator's refusal.
    {"sine_empty", "solve --sine ,,,,", 2, "--sine: MASS \"\" is not a number"},
    {"sine_zero_period", "solve --sine 1,0.1,0,1,0.02", 2, "--sine: PERIOD \"0\": the period must"},
    {"sine_negative_cycles", "solve --sine 1,1,1,-1,0.02", 2, "--sine: CYCLES \"-1\": the number"},
    {"sine_zero_time_step", "solve --sine 1,1,1,1,0", 2, "--sine: TIMESTEP \"0\": the time step"},
    {"sine_four_values", "solve --sine 1,0.1,1,1", 2, "five numbers are needed"},
    {"sine_too_many_samples", "solve --sine 1,1,1,1,1e-300", 1, "--sine"},
    {"sine_negative_mass", "solve --mass -1 --method euler --sine -1,0.1,1,1,0.02", 0, ""},
    {"sine_zero_cycles", "solve --mass -1 --method euler --sine 1,0.1,1,0,0.02", 0, ""},
    // A study names per study file the swept values where the all-reversal
    // weight faulted (P = -1: a ratio of 0 gives an infinite weight) and counts the
    // evaluations that faulted (95, recorded; the study tests check them value by value).
    {"advanced_loop_weight_faults",
     "advanced-loop --dir series --threshold 0.001 --from 2 --to 3 --step 0.5 --vary mass --by "
     "mass --P -1", 0, "1 a.quarvel.out: ERRRR at 3 of 3 swept values (2 to 3): 95 evaluations"},
    {"zero_jobs", "loop --jobs 0", 2, "--jobs: \"0\": must be a whole number from 1"},
    // advanced-loop takes its experiments from the series files.
    {"advanced_loop_load", "advanced-loop --dir . --load f.quarvel", 2, "--load does not apply"},
    {"advanced_loop_without_folder", "advanced-loop", 2,
     "--dir FOLDER (the numbered series) or --records"},
    {"advanced_loop_missing_folder", "advanced-loop --dir missing", 1, "missing: No such file"},
    {"advanced_loop_same_records", "advanced-loop --records one.txt ./one.txt", 2,
     "--records: two files are"},
    // Records.
    {"record_without_time_step", "solve --load one.txt", 1,
     "Give the time step with --dt SECONDS."},
    {"record_zero_time_step", "solve --load one.txt --dt 0", 2, "--dt: \"0\": the time step must"},
    {"record_zero_scale", "solve --load one.txt --dt 0.1 --scale 0", 2, "--scale: \"0\": a scale"},
    {"check_scaled_record", "check a.at2 --scale -2 --json", 0, "\"scaleFactor\": -2"},
    {"check_scaled_text", "check a.at2 --scale 2", 0, "Scale factor :\t2 (every sample"},
    // What an AT2 header says, through each command that reads records; an option
    // that contradicts the header is refused.
    {"check_record_in_cm_s2", "check a.at2 --json", 0, "\"unitsWritten\": \"CM/S/S\""},
    {"convert_units_contradict_header", "convert a.at2 --units g -o f.quarvel", 2,
     "--units g contradicts a.at2: line 3: the header says \"ACCELERATION TIME SERIES IN UNITS"},
    {"spectrum_type_contradicts_header", "spectrum a.at2 --type force --periods 1 --ductility 4", 2,
     "--type force contradicts a.at2: line 3"},
    {"records_units_contradict_header", "advanced-loop --records a.at2 --units g", 2,
     "(--units g contradicts it)"},
    {"records_quarvel_strict", "advanced-loop --records slip.quarvel --strict", 1,
     "slip.quarvel:8: warning: the data type"},
    {"csv_of_a_shard", "loop --csv --shard 1/2", 2, "--csv needs the whole study"},
    {"convert_without_output", "convert one.txt", 2, "--output"},
    {"convert_bad_record", "convert one.txt uneven.txt --dt 0.1 -o f.quarvel", 1,
     "Error while loading the file!\nuneven.txt: line 3: the time step is not uniform"},
    {"merge_not_a_shard", "merge bad.quarvel", 1, "not a shard file"},
    {"check_bad_file", "check zero.quarvel bad.quarvel", 1, "bad.quarvel: line 1"},
    {"plot_unknown_quantity", "plot --x Q -o f.png", 2, "--x"},
    // A response that grows to 1e200 before it overflows is drawn as far as it
    // is finite.
    {"plot_huge_response", "plot --method euler --mass 1e-12 -o g.svg", 0, "written to g.svg"},
    {"plot_unknown_extension", "plot -o f.xyz", 2, "-o f.xyz: .xyz is not a picture format"},
    {"plot_without_extension", "plot -o f", 2, "-o f: the file name has no extension"},
    {"plot_frame_of_all", "plot --experiment all --frame 3 -o f.png", 2, "--frame draws the playb"},
    {"plot_experiment_neither", "plot --experiment al -o f.png", 2, "\"al\" is neither an exp"},
    {"plot_study_solve_option", "plot --study s.out --x U -o f.png", 2, "--study: draws files"},
    {"plot_study_envelopes", "plot --study s.out --envelopes . -o f.png", 2, "--study excludes"},
    {"plot_study_missing", "plot --study missing.out -o f.png", 1, "missing.out: No such file or"},
    {"plot_envelopes_missing", "plot --envelopes . -o f.png", 1, "EnvRelErrorUPos.out: No such"},
    {"plot_size_without_height", "plot --size 800 -o f.png", 2, "--size"},
    {"plot_width_too_small", "plot --size 399x600 -o f.png", 2, "--size"},
    {"plot_size_too_large", "plot --size 800x4001 -o f.png", 2, "--size"},
    {"plot_frame_beyond_the_record", "plot --frame 502 -o f.png", 2, "--frame 502"},
    {"plot_frame_negative", "plot --frame -1 -o f.png", 2, "a whole number from 0 to"},
    {"plot_folder_missing", "plot -o missing/f.png", 1, "missing/f.png"},
    {"plot_dpi_too_large", "plot --size 4000x3000 --dpi 300 -o f.png", 2,
     "--dpi 300: a 4000x3000 picture would be 12000x9000 pixels"},
    {"plot_spectrum_not_a_table", "plot --spectrum zero.quarvel -o f.png", 1,
     "zero.quarvel: line 1: not the header of a spectrum's rows table"},
    {"plot_spectrum_solve_option", "plot --spectrum s.csv --x U -o f.png", 2, "--spectrum: draws"},
    {"plot_quantity_without_spectrum", "plot --plot-quantity PSA -o f.png", 2,
     "--plot-quantity: applies to --spectrum only"},
    {"demo_into_a_file", "demo --dir bad.quarvel", 1, "bad.quarvel/quarvel-report.txt: Not a dir"},
    // Engineering inputs, which give the oscillator the period asked for (the note of what they
    // give: tests/app/reach_test.cpp), and spectra.
    {"period_and_strength_ratio", "solve --period 0.7 --strength-ratio 0.2 --mass 3", 0,
     "T elastic :\t.7\n"},
    {"mass_with_period", "solve --mass 2 --period 1", 2, "--mass conflicts with --period"},
    {"uy_with_period_and_ratio", "solve --Uy 0.1 --period 1 --strength-ratio 0.1", 2,
     "--Uy conflicts with"},
    // Inputs without physical meaning are refused, unlikely ones warned about, for every command.
    {"ductility_below_1", "spectrum one.txt --dt 0.02 --periods 1 --ductility 0.5", 2,
     "--ductility 0.5: the ductility MU must be at least 1"},
    {"damping_ratio_in_percent", "solve --damping-ratio 2", 2,
     "--damping-ratio 2: the damping ratio must be below 1 (critical damping); a ratio, not a"},
    {"reduction_below_1", "spectrum one.txt --dt 0.02 --periods 1 --reduction 0.5", 0,
     "warning: --reduction 0.5: a reduction R below 1"},
    {"post_yield_above_1", "solve --method euler --alpha 1.5", 0, "warning: --alpha 1.5: a post"},
    {"spectrum_without_kind", "spectrum zero.quarvel --periods 1", 2, "give exactly one of"},
    {"spectrum_two_kinds", "spectrum zero.quarvel --periods 1 --ductility 4 --reduction 2", 2,
     "give exactly one"},
    {"spectrum_displacement_record",
     "spectrum one.txt --dt 0.02 --type displacement --periods 1 --ductility 4", 1,
     "one.txt: experiment 1 (one) prescribes the displacement"},
    {"spectrum_problem_in_a_later_file",
     "spectrum a.at2 massless.quarvel --periods 1 --ductility 4", 1,
     "massless.quarvel: experiment 1 (No mass) has a mass of 0 kg"},
    {"spectrum_plot_of_a_shard",
     "spectrum zero.quarvel --periods 1 --ductility 4 --shard 1/2 --plot f.png", 2,
     "a shard (--shard) has only part of it"},
};

class CliErrorTest : public CliTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(CliErrorTest, FailsWithStatusAndMessage) {
  dir.Write("bad.quarvel", "zero experiments\n");
  dir.Write("zero.quarvel", "1\nNo weight\n0\n1\n0\n0\n0\nForce\nnone\n0.02\n2\n0\n1\n");
  dir.Write("massless.quarvel", "1\nNo mass\n1\n0\n0\n0\n0\nForce\nnone\n0.02\n2\n0\n1\n");
  dir.Write("one.txt", "1\n2\n");
  dir.Write("uneven.txt", "0 1\n0.02 2\n0.05 3\n");
  dir.Write("slip.quarvel", "1\nP\n1\n1\n0\n0\n0\nForse\nnone\n0.02\n2\n0\n1\n");
  const std::string head = "PEER NGA\nQuake\n", values = "\nNPTS= 3, DT= .01 SEC\n 0 -5 2\n";
  dir.Write("a.at2", head + "ACCELERATION TIME SERIES IN UNITS OF CM/S/S" + values);
  dir.Write("series/1 a.quarvel", SineFile(5, 1, 501));  // the first built-in experiment
  const CliRun run = Run(GetParam().arguments);
  EXPECT_EQ(run.status, GetParam().status) << run.err;
  EXPECT_NE((GetParam().status == 0 ? run.out + run.err : run.err).find(GetParam().message),
            std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir / "f.png"));
  EXPECT_FALSE(fs::exists(dir / "f.quarvel"));
  EXPECT_TRUE(GetParam().status == 0 || run.err.size() < 400u) << "a message must stay short";
}

INSTANTIATE_TEST_SUITE_P(Cases, CliErrorTest, testing::ValuesIn(kErrorCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarvel::reliability
