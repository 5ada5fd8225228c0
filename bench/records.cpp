// Reading ground-motion records from disk: a PEER AT2 file of 100,000 samples (five values per
// line in the database's E form, as a long modern record holds them), read, checked and turned
// into an experiment. The goal is under 50 ms per file.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "records/record_file.h"

namespace {

constexpr int kSamples = 100'000;

// A file removed when the process ends.
struct TemporaryFile {
  std::string path;
  ~TemporaryFile() { std::filesystem::remove(path); }
};

// A 100,000-sample AT2 file in the build folder, written once per process.
const std::string& LongAt2File() {
  static const TemporaryFile file{[] {
    const std::string file = std::string(QUARVEL_BINARY_DIR) + "/bench-record-" +
                             std::to_string(::getpid()) + ".at2";
    std::ofstream out(file, std::ios::binary);
    out << "PEER NGA STRONG MOTION DATABASE RECORD\n"
           "SYNTHETIC 100000-SAMPLE RECORD, BENCH STATION, 000\n"
           "ACCELERATION TIME SERIES IN UNITS OF G\n"
           "NPTS= " << kSamples << ", DT=   .0050 SEC\n";
    char value[32];
    for (int i = 0; i < kSamples; ++i) {
      // A decaying oscillation with 7 significant digits, as the database writes them.
      const double g = 0.3 * std::exp(-i * 4e-5) * std::sin(i * 0.0314159);
      std::snprintf(value, sizeof value, "%15.7E", g);
      out << value << (i % 5 == 4 ? "\n" : "");
    }
    out << "\n";
    return file;
  }()};
  return file.path;
}

void BM_ReadAt2File100kSamples(benchmark::State& state) {
  const std::string& path = LongAt2File();
  for (auto _ : state) {
    const quarvel::RecordLoad load = quarvel::LoadRecordFile(path, {});
    if (!load.result || load.records.experiments.at(0).counter != kSamples) {
      state.SkipWithError(load.result.Describe().c_str());
      break;
    }
    benchmark::DoNotOptimize(load.records.experiments.data());
  }
  state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_ReadAt2File100kSamples)->Unit(benchmark::kMillisecond);

// A .quarvel file that claims two billion samples and ends after three: refused as soon as it
// ends, without storage for the claimed count. The goal is under 1 ms.
void BM_RefuseAFileThatClaimsTwoBillionSamples(benchmark::State& state) {
  static const TemporaryFile file{[] {
    const std::string path = std::string(QUARVEL_BINARY_DIR) + "/bench-claim-" +
                             std::to_string(::getpid()) + ".quarvel";
    std::ofstream(path, std::ios::binary)
        << "1\nPulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.5\n2000000000\n0\n-5\n0\n";
    return path;
  }()};
  for (auto _ : state) {
    const quarvel::RecordLoad load = quarvel::LoadRecordFile(file.path, {});
    if (load.result) {
      state.SkipWithError("a file shorter than it claims was read");
      break;
    }
  }
}
BENCHMARK(BM_RefuseAFileThatClaimsTwoBillionSamples)->Unit(benchmark::kMillisecond);

}  // namespace
